// Counts every global operator new in the benchmark binary.
#pragma once

long long allocationCount();
