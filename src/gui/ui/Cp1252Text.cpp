#include "gui/ui/Cp1252Text.h"

#include "core/storage/Cp1252.h"

using namespace pw;

QString FromCp1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes)
        text.append(QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c)))));
    return text;
}

std::string ToCp1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        const auto byte = UnicodeToCp1252(ch.unicode());
        bytes.push_back(byte ? static_cast<char>(*byte) : '?');
    }
    return bytes;
}
