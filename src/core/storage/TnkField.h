#pragma once
// One value of a record table: a type, the ValueKind byte that travels with it, and a
// payload that follows the type.
#include "core/storage/TnkDataType.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pw {

class TnkTable;

class TnkField {
public:
    TnkField();
    ~TnkField();
    TnkField(TnkField&&) noexcept;
    TnkField& operator=(TnkField&&) noexcept;
    TnkField(const TnkField&) = delete;
    TnkField& operator=(const TnkField&) = delete;

    TnkDataType DataType() const { return static_cast<TnkDataType>(m_payload.index()); }
    uint8_t ValueKind = 0;

    // Frees the old payload, creates an empty one of the new type and sets ValueKind.
    void SetDataType(TnkDataType type);

    // The text reading: integers in decimal, strings as held, lines each followed by CR LF,
    // everything else empty.
    std::string AsString() const;
    // The integer reading: integers as held, strings through the whole-string conversion
    // (0 when it fails), everything else 0.
    int32_t AsInteger() const;

    // The writing rules. Each returns true when the value changed (and an event is due).
    bool WriteString(std::string_view text);
    // Stores `text` as text even when it reads as a whole number (empty stays empty).
    bool WriteText(std::string_view text);
    bool WriteInteger(int32_t value);

    // Payload access by type; each requires the value to hold that type.
    int32_t& Integer() { return std::get<dtInteger>(m_payload); }
    std::string& String() { return std::get<dtString>(m_payload); }
    std::vector<std::string>& Strings() { return std::get<dtStrings>(m_payload); }
    std::string& Stream() { return std::get<dtStream>(m_payload); }
    TnkTable& Table() { return *std::get<dtTable>(m_payload); }
    const TnkTable& Table() const { return *std::get<dtTable>(m_payload); }
    const std::string& String() const { return std::get<dtString>(m_payload); }
    const std::vector<std::string>& Strings() const { return std::get<dtStrings>(m_payload); }
    const std::string& Stream() const { return std::get<dtStream>(m_payload); }
    int32_t Integer() const { return std::get<dtInteger>(m_payload); }

private:
    std::variant<std::monostate, int32_t, std::string, std::vector<std::string>, std::string,
                 std::unique_ptr<TnkTable>>
        m_payload;
};

} // namespace pw
