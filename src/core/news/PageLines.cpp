#include "core/news/PageLines.h"

#include <cstring>

namespace pw {

namespace {
// Already a list of lines: every CR starts a CR LF, every LF ends one, and the text ends
// with CR LF (or is empty).
bool alreadyJoined(std::string_view bytes) {
    const char* const data = bytes.data();
    size_t lineStart = 0;
    while (lineStart < bytes.size()) {
        const void* lf = std::memchr(data + lineStart, '\n', bytes.size() - lineStart);
        if (!lf) return false; // a last line without a line end
        const size_t end = static_cast<size_t>(static_cast<const char*>(lf) - data);
        if (end == lineStart || data[end - 1] != '\r') return false;
        if (std::memchr(data + lineStart, '\r', end - 1 - lineStart)) return false;
        lineStart = end + 1;
    }
    return true;
}
} // namespace

std::string JoinPageLines(std::string_view bytes) {
    if (alreadyJoined(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16 + 2);
    size_t i = 0;
    while (i < bytes.size()) {
        size_t end = i;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        out.append(bytes.substr(i, end - i));
        out += "\r\n";
        if (end >= bytes.size()) break;
        i = end +
            ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return out;
}

} // namespace pw
