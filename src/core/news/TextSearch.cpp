#include "core/news/TextSearch.h"

#include <cstring>

namespace pw {

namespace {
// Candidates (first character matches, the rest does not) tried by the fast scan before a
// search hands over to memmem, which is linear in the worst case.
constexpr int kCandidateBudget = 64;
} // namespace

size_t FindText(std::string_view text, std::string_view needle, size_t from) {
    if (from > text.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    if (needle.size() > text.size() - from) return std::string_view::npos;

    // memchr on the first character is the fastest scan for ordinary text, where it rarely
    // stops in vain.
    const char* const begin = text.data();
    const char* pos = begin + from;
    const char* const last = begin + text.size() - needle.size(); // last possible start
    for (int budget = kCandidateBudget; budget > 0; --budget) {
        const void* hit = std::memchr(pos, needle[0], static_cast<size_t>(last - pos) + 1);
        if (!hit) return std::string_view::npos;
        const char* candidate = static_cast<const char*>(hit);
        if (std::memcmp(candidate + 1, needle.data() + 1, needle.size() - 1) == 0)
            return static_cast<size_t>(candidate - begin);
        pos = candidate + 1;
        if (pos > last) return std::string_view::npos;
    }
    const void* hit =
        memmem(pos, text.size() - static_cast<size_t>(pos - begin), needle.data(), needle.size());
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - begin)
               : std::string_view::npos;
}

size_t FindLineEnd(std::string_view text, size_t from) {
    if (from >= text.size()) return std::string_view::npos;
    const char* const begin = text.data();
    size_t limit = text.size() - from;
    const void* cr = std::memchr(begin + from, '\r', limit);
    if (cr) limit = static_cast<size_t>(static_cast<const char*>(cr) - (begin + from));
    const void* lf = std::memchr(begin + from, '\n', limit);
    const void* first = lf ? lf : cr;
    return first ? static_cast<size_t>(static_cast<const char*>(first) - begin)
                 : std::string_view::npos;
}

} // namespace pw
