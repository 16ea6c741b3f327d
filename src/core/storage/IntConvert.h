#pragma once
// Whole-string conversion of text to a signed 32-bit integer: leading blanks, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "x" or "0x". Anything else,
// trailing characters, an empty number or a decimal value outside the 32-bit range fails.
// Hexadecimal numbers may use all 32 bits ("$FFFFFFFF" is -1).
#include <cstdint>
#include <optional>
#include <string_view>

namespace pw {

std::optional<int32_t> TryStrToInt(std::string_view text);

// The value of one hexadecimal digit (either case), or -1.
int HexDigitValue(char c);

} // namespace pw
