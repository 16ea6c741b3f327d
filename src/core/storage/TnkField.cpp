#include "core/storage/TnkField.h"

#include "core/storage/IntConvert.h"
#include "core/storage/TnkTable.h"

namespace pw {

TnkField::TnkField() = default;
TnkField::~TnkField() = default;
TnkField::TnkField(TnkField&&) noexcept = default;
TnkField& TnkField::operator=(TnkField&&) noexcept = default;

void TnkField::SetDataType(TnkDataType type) {
    switch (type) {
    case dtNone:
        m_payload.emplace<dtNone>();
        break;
    case dtInteger:
        m_payload.emplace<dtInteger>(0);
        break;
    case dtString:
        m_payload.emplace<dtString>();
        break;
    case dtStrings:
        m_payload.emplace<dtStrings>();
        break;
    case dtStream:
        m_payload.emplace<dtStream>();
        break;
    case dtTable:
        m_payload.emplace<dtTable>(std::make_unique<TnkTable>());
        break;
    }
    ValueKind = DefaultValueKind(type);
}

std::string TnkField::AsString() const {
    switch (DataType()) {
    case dtInteger:
        return std::to_string(Integer());
    case dtString:
        return String();
    case dtStrings: {
        std::string text;
        for (const auto& line : Strings()) {
            text += line;
            text += "\r\n";
        }
        return text;
    }
    default:
        return {};
    }
}

int32_t TnkField::AsInteger() const {
    switch (DataType()) {
    case dtInteger:
        return Integer();
    case dtString:
        return TryStrToInt(String()).value_or(0);
    default:
        return 0;
    }
}

bool TnkField::WriteString(std::string_view text) {
    // A stored text ends at its first NUL byte.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

    const bool same = DataType() == dtString ? String() == text : AsString() == text;
    if (same) return false;
    if (text.empty()) {
        SetDataType(dtNone);
        return true;
    }
    if (text.size() == 1 || text.front() != '0') {
        if (const auto number = TryStrToInt(text)) return WriteInteger(*number);
    }
    SetDataType(dtString);
    String().assign(text);
    return true;
}

bool TnkField::WriteText(std::string_view text) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    if (text.empty()) return WriteString(text);
    if (DataType() == dtString && String() == text) return false;
    SetDataType(dtString);
    String().assign(text);
    return true;
}

bool TnkField::WriteInteger(int32_t value) {
    if (AsInteger() == value) return false;
    if (value == 0) {
        SetDataType(dtNone);
    } else {
        SetDataType(dtInteger);
        Integer() = value;
    }
    ValueKind = DefaultValueKind(dtInteger);
    return true;
}

} // namespace pw
