#pragma once
// Replacement of every occurrence of a text, left to right, without rescanning inserted text.
#include <string>
#include <string_view>

namespace pw {

// Returns `text` with every occurrence of `search` replaced by `replacement`. Occurrences are
// taken from left to right and never overlap; an inserted replacement is not searched again,
// so replacing "a" by "aa" terminates. An empty `search` leaves the text unchanged.
std::string ReplaceAll(std::string text, std::string_view search, std::string_view replacement);

} // namespace pw
