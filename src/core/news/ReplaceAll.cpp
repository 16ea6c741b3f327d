#include "core/news/ReplaceAll.h"

#include "core/news/TextSearch.h"

namespace pw {

std::string ReplaceAll(std::string text, std::string_view search, std::string_view replacement) {
    if (search.empty()) return text;
    const std::string_view source(text);
    size_t match = FindText(source, search);
    if (match == std::string_view::npos) return text;

    // One pass into a new buffer: the cost stays linear in the text however many matches.
    std::string result;
    result.reserve(replacement.size() > search.size() ? source.size() + source.size() / 4
                                                      : source.size());
    size_t from = 0;
    while (match != std::string_view::npos) {
        result.append(source.substr(from, match - from));
        result.append(replacement);
        from = match + search.size();
        match = FindText(source, search, from);
    }
    result.append(source.substr(from));
    return result;
}

} // namespace pw
