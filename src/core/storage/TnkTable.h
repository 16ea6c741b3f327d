#pragma once
// A record table: named fields (looked up without regard to letter case), each owning one
// column of values. Every column holds RecordCount values. Every completed change fires
// OnChange once; operations that touch many values hold the change lock while they work.
#include "core/storage/TnkFields.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

class ByteReader;
class ByteWriter;

class TnkTable {
public:
    std::string TableName;
    std::function<void()> OnChange;
    std::function<void(int percent)> OnReadProgress;
    std::function<void(int percent)> OnWriteProgress;

    int FieldCount() const { return static_cast<int>(m_columns.size()); }
    const std::string& FieldName(int index) const { return m_columns[size_t(index)].name; }
    int FieldIndex(std::string_view name) const; // -1 when absent; letter case ignored
    int RecordCount() const { return m_columns.empty() ? 0 : m_columns.front().values.Count(); }

    TnkFields& Column(int field) { return m_columns[size_t(field)].values; }
    const TnkFields& Column(int field) const { return m_columns[size_t(field)].values; }
    TnkField& Value(int field, int record) { return Column(field)[record]; }
    const TnkField& Value(int field, int record) const { return Column(field)[record]; }

    // Adds a field filled with RecordCount empty values; does nothing when a field of that
    // name (in any letter case) exists. Returns the field's index.
    int AddField(std::string_view name);
    void RemoveAllFields();

    // Value writes through the writing rules; fire OnChange when the value changed.
    void WriteString(int field, int record, std::string_view text);
    void WriteText(int field, int record, std::string_view text);
    void WriteInteger(int field, int record, int32_t value);

    void AppendRecord();
    void InsertRecord(int at);
    void DeleteRecord(int at);
    void ClearRecords();
    void Exchange(int a, int b);

    // Holds the change lock; the last EndUpdate fires OnChange when anything changed.
    void BeginUpdate() { ++m_lock; }
    void EndUpdate();
    void Changed(); // a completed change: fires now, or at the last EndUpdate

    // Writes the table stream, then fires the change notification once.
    void SaveToStream(ByteWriter& out);
    // Replaces all fields and records with the stream's table. Damaged data throws
    // EStreamError and leaves the table as it was.
    void LoadFromStream(ByteReader& in);

    void Swap(TnkTable& other) noexcept; // contents only; events stay

private:
    struct ColumnEntry {
        std::string name;
        TnkFields values;
    };
    friend class TableStreamReader;
    std::vector<ColumnEntry> m_columns;
    int m_lock = 0;
    bool m_pending = false;
};

// The first four bytes of every table stream.
inline constexpr uint32_t kTableSignature = 0x0001DBDB;

// Letter-case-insensitive comparison of 8-bit names (ASCII and Latin-1 letters).
bool SameTextCi(std::string_view a, std::string_view b);

} // namespace pw
