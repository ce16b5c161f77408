// Numbers as the settings file and the port dialog hold them: texts read by
// their leading number, and numbers written in plain shortest decimal form.
#pragma once

#include <string>
#include <string_view>

namespace quadrel {

// The number formed by the text's leading characters (blanks skipped, an
// optional sign, digits, an optional decimal point and digits): "12" is
// 12, "1x" is 1, "1.5" is 1.5. 0 when the text does not begin with a
// number, or the number does not fit a double.
double numericValue(std::string_view text);

// The numeric value of the first character only: "12" is 1.
double numericValueOfFirstCharacter(std::string_view text);

// "19200", "1.5", "-3": no exponent, no trailing zeros.
std::string plainNumber(double value);

}  // namespace quadrel
