#include "core/news/PageLines.h"

namespace {
// Already a list of lines: every CR starts a CR LF, every LF ends one, and the text ends
// with CR LF (or is empty).
bool alreadyJoined(std::string_view bytes) {
    if (bytes.empty()) return true;
    if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n") return false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') return false;
            ++i;
        } else if (bytes[i] == '\n') {
            return false;
        }
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
