#pragma once

#include <cstdint>
#include <string>

namespace tavolin {

// Reading numbers out of settings texts the way the program always has:
// like the scanf conversions "%d" and "%02x".

// Optional leading white space, an optional sign, decimal digits. False
// when the text does not begin with a number. Values beyond what a
// setting can mean saturate at +/-100000000, so that arithmetic on them
// cannot overflow.
bool scanDecimal(const std::string& text, std::int32_t& value);

// Optional leading white space, then one or two hexadecimal digits. False
// when the text does not begin with a hexadecimal digit.
bool scanHexByte(const std::string& text, std::uint8_t& value);

}  // namespace tavolin
