#pragma once
// The record source: the view through which forms read and write a table's values, move a
// record cursor, receive change notifications and keep data-aware controls up to date.
#include "core/storage/TnkDBFieldCollection.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pw {

class ByteReader;
class ByteWriter;
class TnkDBControl;
class TnkDBData;
class TnkTable;

class TnkDBSource {
public:
    TnkDBSource();
    explicit TnkDBSource(TnkDBData* data, TnkDBFieldCollection fields = {});
    ~TnkDBSource();
    TnkDBSource(const TnkDBSource&) = delete;
    TnkDBSource& operator=(const TnkDBSource&) = delete;

    TnkDBFieldCollection DBFields;
    std::function<void(TnkDBSource&)> OnChange;
    std::function<void(int percent)> OnLoadProgress;
    std::function<void(int percent)> OnSaveProgress;

    TnkDBData* DBData() const { return m_data; }
    void SetDBData(TnkDBData* data);

    // As after creation from a form definition: the storage's initial content is loaded,
    // each defined field is added when missing, all controls are notified and the cursor
    // moves to 0 when there are records.
    void Loaded();

    int RecordCount() const;
    int RecNo(); // clamps a cursor at or beyond the end (and then notifies)
    void SetRecNo(int index);
    int CurrentIndex() const { return m_recNo; } // the cursor as it stands, unclamped
    void First();
    void Last();
    void Prior();
    void Next();
    int Append();
    void Insert();
    void Delete();
    // Moves the current record `step` places (negative: towards the first) and follows it;
    // false when there is no current record or the place lies outside the table.
    bool MoveCurrent(int step);
    void Clear();

    std::string GetString(int record, std::string_view field) const;
    void SetString(int record, std::string_view field, std::string_view text);
    // As SetString, but the value is kept as text even when it reads as a whole number.
    void SetText(int record, std::string_view field, std::string_view text);
    void SetText(std::string_view field, std::string_view text) { SetText(m_recNo, field, text); }
    int32_t GetInteger(int record, std::string_view field) const;
    void SetInteger(int record, std::string_view field, int32_t value);
    std::string GetString(std::string_view field) const { return GetString(m_recNo, field); }
    void SetString(std::string_view field, std::string_view text) {
        SetString(m_recNo, field, text);
    }
    int32_t GetInteger(std::string_view field) const { return GetInteger(m_recNo, field); }
    void SetInteger(std::string_view field, int32_t value) { SetInteger(m_recNo, field, value); }

    void DisableControls() { m_disabled = true; }
    void EnableControls();
    bool ControlsDisabled() const { return m_disabled; }

    void RegisterControl(std::string field, TnkDBControl* control);
    void UnregisterControl(TnkDBControl* control);

    // Refreshes the controls linked to one field (or to all fields).
    void Notify(std::string_view field);
    void NotifyAll();

    // Reads a table stream (replacing fields and records), then adds and fills the defined
    // fields that the stream lacks. Damaged data throws and leaves the table unchanged.
    void LoadFromStream(ByteReader& in);
    void SaveToStream(ByteWriter& out);

    // The storage's change path: every completed change of the bound table ends here.
    void DataChanged();

private:
    TnkTable* table() const;
    // Resolves a record index: -1 without storage or records; the last record for an index
    // at or beyond the end; EListError for a negative index on a table with records.
    int resolve(int record) const;
    void notify(std::string_view field, bool all);

    TnkDBData* m_data = nullptr;
    int m_recNo = -1;
    bool m_disabled = false;
    bool m_notifying = false;
    std::vector<std::pair<std::string, TnkDBControl*>> m_controls;
};

} // namespace pw
