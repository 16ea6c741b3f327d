#pragma once
// The record storage component: owns one table and passes its change notification on to the
// record source bound to it.
#include "core/storage/TnkTable.h"

#include <string>

namespace pw {

class TnkDBSource;

class TnkDBData {
public:
    TnkDBData();
    ~TnkDBData();
    TnkDBData(const TnkDBData&) = delete;
    TnkDBData& operator=(const TnkDBData&) = delete;

    TnkTable& Table() { return m_table; }
    const TnkTable& Table() const { return m_table; }

    // Initial content as a form definition carries it: u32 byte count, then a table stream.
    // Loaded into the table by Loaded(), after which the buffer is freed.
    void SetBinData(std::string bytes) { m_binData = std::move(bytes); }
    const std::string& BinData() const { return m_binData; }
    void Loaded();

    // Swaps two records in every column.
    void Exchange(int a, int b);
    void AddField(const std::string& name) { m_table.AddField(name); }

    TnkDBSource* Source() const { return m_source; }

private:
    friend class TnkDBSource;
    void setSource(TnkDBSource* source);

    TnkTable m_table;
    std::string m_binData;
    TnkDBSource* m_source = nullptr;
};

} // namespace pw
