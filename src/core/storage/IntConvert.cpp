#include "core/storage/IntConvert.h"

namespace pw {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int32_t> TryStrToInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;

    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        if (hex) {
            const int d = HexDigitValue(s[i]);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        } else {
            if (s[i] < '0' || s[i] > '9') return std::nullopt;
            value = value * 10 + static_cast<uint64_t>(s[i] - '0');
            if (value > 2147483648ull) return std::nullopt;
        }
    }
    if (!hex && !negative && value > 2147483647ull) return std::nullopt;
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

} // namespace pw
