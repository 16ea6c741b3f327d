#include "core/storage/TnkTable.h"

#include "core/storage/nkErrors.h"

namespace pw {

namespace {
unsigned char foldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    return c;
}
} // namespace

bool SameTextCi(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) !=
            foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int TnkTable::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (SameTextCi(m_columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

int TnkTable::AddField(std::string_view name) {
    if (const int existing = FieldIndex(name); existing >= 0) return existing;
    const int records = RecordCount();
    m_columns.push_back({std::string(name), {}});
    m_columns.back().values.Resize(records);
    Changed();
    return FieldCount() - 1;
}

void TnkTable::RemoveAllFields() {
    if (m_columns.empty()) return;
    m_columns.clear();
    Changed();
}

void TnkTable::WriteString(int field, int record, std::string_view text) {
    if (Value(field, record).WriteString(text)) Changed();
}

void TnkTable::WriteText(int field, int record, std::string_view text) {
    if (Value(field, record).WriteText(text)) Changed();
}

void TnkTable::WriteInteger(int field, int record, int32_t value) {
    if (Value(field, record).WriteInteger(value)) Changed();
}

void TnkTable::AppendRecord() {
    for (auto& column : m_columns)
        column.values.Append();
    Changed();
}

void TnkTable::InsertRecord(int at) {
    for (auto& column : m_columns)
        column.values.Insert(at);
    Changed();
}

void TnkTable::DeleteRecord(int at) {
    for (auto& column : m_columns)
        column.values.Delete(at);
    Changed();
}

void TnkTable::ClearRecords() {
    for (auto& column : m_columns)
        column.values.Clear();
    Changed();
}

void TnkTable::Exchange(int a, int b) {
    for (auto& column : m_columns)
        column.values.Exchange(a, b);
    Changed();
}

void TnkTable::EndUpdate() {
    if (m_lock > 0 && --m_lock == 0 && m_pending) {
        m_pending = false;
        if (OnChange) OnChange();
    }
}

void TnkTable::Changed() {
    if (m_lock > 0) {
        m_pending = true;
        return;
    }
    if (OnChange) OnChange();
}

void TnkTable::Swap(TnkTable& other) noexcept {
    std::swap(TableName, other.TableName);
    std::swap(m_columns, other.m_columns);
}

} // namespace pw
