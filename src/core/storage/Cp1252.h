#pragma once
// Stored texts are Windows-1252 bytes. These conversions to and from UTF-8 are lossless:
// the five bytes that code page leaves undefined (81, 8D, 8F, 90, 9D) map to U+0081 ...
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pw {

char32_t Cp1252ToUnicode(unsigned char byte);
// The byte for a code point, or nothing when Windows-1252 has no such character.
std::optional<unsigned char> UnicodeToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view bytes);
// Nothing when the text is not valid UTF-8 or holds a character Windows-1252 lacks.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);
// Strict UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);

} // namespace pw
