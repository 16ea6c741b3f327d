#pragma once
// Substring search in large texts, linear in the text whatever its content.
#include <string_view>

namespace pw {

// The first occurrence of `needle` in `text` at or after `from`; npos when there is none.
// An empty needle is found at `from` (when `from` is within the text).
size_t FindText(std::string_view text, std::string_view needle, size_t from = 0);

// The first CR or LF at or after `from`; npos when there is none.
size_t FindLineEnd(std::string_view text, size_t from);

} // namespace pw
