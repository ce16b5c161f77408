#pragma once

#include <QIcon>

namespace quadrel {

// The program's own icon (data/quadrel.svg): a transmitter with its two
// sticks. Every window carries it.
QIcon programIcon();

}  // namespace quadrel
