#include "core/storage/TnkDBSource.h"

#include "core/storage/ByteStream.h"
#include "core/storage/TnkDBControl.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/nkErrors.h"

#include <algorithm>

namespace pw {

TnkDBSource::TnkDBSource() = default;

TnkDBSource::TnkDBSource(TnkDBData* data, TnkDBFieldCollection fields)
    : DBFields(std::move(fields)) {
    SetDBData(data);
}

TnkDBSource::~TnkDBSource() {
    SetDBData(nullptr);
}

void TnkDBSource::SetDBData(TnkDBData* data) {
    if (m_data == data) return;
    if (m_data) m_data->setSource(nullptr);
    m_data = data;
    if (m_data) m_data->setSource(this);
}

TnkTable* TnkDBSource::table() const {
    return m_data ? &m_data->Table() : nullptr;
}

void TnkDBSource::Loaded() {
    if (!m_data) return;
    m_data->Loaded();
    TnkTable& t = m_data->Table();
    t.BeginUpdate();
    for (const auto& def : DBFields)
        t.AddField(def.Name);
    t.EndUpdate();
    NotifyAll();
    if (RecordCount() > 0 && m_recNo < 0) m_recNo = 0;
}

int TnkDBSource::RecordCount() const {
    return m_data ? m_data->Table().RecordCount() : 0;
}

int TnkDBSource::RecNo() {
    const int count = RecordCount();
    if (m_recNo >= count) {
        m_recNo = count - 1;
        NotifyAll();
    }
    return m_recNo;
}

void TnkDBSource::SetRecNo(int index) {
    const int count = RecordCount();
    m_recNo = count > 0 ? std::clamp(index, 0, count - 1) : -1;
    NotifyAll();
}

void TnkDBSource::First() {
    m_recNo = RecordCount() > 0 ? 0 : -1;
    NotifyAll();
}

void TnkDBSource::Last() {
    m_recNo = RecordCount() - 1;
    NotifyAll();
}

void TnkDBSource::Prior() {
    if (m_recNo > 0) --m_recNo;
    NotifyAll();
}

void TnkDBSource::Next() {
    if (m_recNo < RecordCount() - 1) ++m_recNo;
    NotifyAll();
}

int TnkDBSource::Append() {
    TnkTable* t = table();
    if (!t) return -1;
    t->BeginUpdate();
    t->AppendRecord();
    const int index = t->RecordCount() - 1;
    for (const auto& def : DBFields) {
        if (def.Default.empty()) continue;
        if (const int f = t->FieldIndex(def.Name); f >= 0 && index >= 0)
            t->WriteString(f, index, def.Default);
    }
    t->EndUpdate();
    m_recNo = index;
    NotifyAll();
    return index;
}

void TnkDBSource::Insert() {
    TnkTable* t = table();
    if (!t) return;
    if (m_recNo < 0) {
        Append();
        return;
    }
    const int at = std::min(m_recNo, t->RecordCount());
    t->BeginUpdate();
    t->InsertRecord(at);
    for (const auto& def : DBFields)
        if (const int f = t->FieldIndex(def.Name); f >= 0) t->WriteString(f, at, def.Default);
    t->EndUpdate();
    m_recNo = at;
    NotifyAll();
}

void TnkDBSource::Delete() {
    TnkTable* t = table();
    if (!t || t->RecordCount() == 0) return;
    t->DeleteRecord(resolve(m_recNo));
    if (m_recNo >= t->RecordCount()) --m_recNo;
    NotifyAll();
}

void TnkDBSource::Clear() {
    if (TnkTable* t = table()) t->ClearRecords();
    m_recNo = -1;
    NotifyAll();
}

int TnkDBSource::resolve(int record) const {
    const int count = RecordCount();
    if (count == 0) return -1;
    if (record < 0) throw EListError(record);
    return std::min(record, count - 1);
}

std::string TnkDBSource::GetString(int record, std::string_view field) const {
    const TnkTable* t = table();
    if (!t) return {};
    const int f = t->FieldIndex(field);
    const int r = resolve(record);
    if (f < 0 || r < 0) return {};
    return t->Value(f, r).AsString();
}

int32_t TnkDBSource::GetInteger(int record, std::string_view field) const {
    const TnkTable* t = table();
    if (!t) return 0;
    const int f = t->FieldIndex(field);
    const int r = resolve(record);
    if (f < 0 || r < 0) return 0;
    return t->Value(f, r).AsInteger();
}

void TnkDBSource::SetString(int record, std::string_view field, std::string_view text) {
    TnkTable* t = table();
    if (!t) return;
    const int f = t->FieldIndex(field);
    const int r = resolve(record);
    if (f < 0 || r < 0) return;
    t->WriteString(f, r, text);
    if (record == m_recNo) Notify(field);
}

void TnkDBSource::SetText(int record, std::string_view field, std::string_view text) {
    TnkTable* t = table();
    if (!t) return;
    const int f = t->FieldIndex(field);
    const int r = resolve(record);
    if (f < 0 || r < 0) return;
    t->WriteText(f, r, text);
    if (record == m_recNo) Notify(field);
}

void TnkDBSource::SetInteger(int record, std::string_view field, int32_t value) {
    TnkTable* t = table();
    if (!t) return;
    const int f = t->FieldIndex(field);
    const int r = resolve(record);
    if (f < 0 || r < 0) return;
    t->WriteInteger(f, r, value);
    if (record == m_recNo) Notify(field);
}

void TnkDBSource::EnableControls() {
    m_disabled = false;
    NotifyAll();
}

void TnkDBSource::RegisterControl(std::string field, TnkDBControl* control) {
    m_controls.emplace_back(std::move(field), control);
}

void TnkDBSource::UnregisterControl(TnkDBControl* control) {
    std::erase_if(m_controls, [control](const auto& link) { return link.second == control; });
}

void TnkDBSource::Notify(std::string_view field) {
    notify(field, false);
}
void TnkDBSource::NotifyAll() {
    notify({}, true);
}

void TnkDBSource::notify(std::string_view field, bool all) {
    if (m_disabled || m_notifying || m_controls.empty()) return;
    m_notifying = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_notifying};

    if (m_recNo == -1 && RecordCount() > 0) m_recNo = 0;
    if (OnChange) OnChange(*this);
    // A control may unregister itself (or others) while refreshing: work on a copy.
    const auto controls = m_controls;
    for (const auto& [name, control] : controls) {
        if (all || name.empty() || name == field) {
            const bool stillLinked =
                std::any_of(m_controls.begin(), m_controls.end(),
                            [c = control](const auto& link) { return link.second == c; });
            if (stillLinked) control->DataChanged();
        }
    }
}

void TnkDBSource::DataChanged() {
    NotifyAll();
    if (!m_disabled && OnChange) OnChange(*this);
}

void TnkDBSource::LoadFromStream(ByteReader& in) {
    TnkTable* t = table();
    if (!t) return;
    t->OnReadProgress = OnLoadProgress;
    t->LoadFromStream(in);
    if (t->RecordCount() > 0) m_recNo = 0;
    for (const auto& def : DBFields) {
        bool exact = false;
        for (int f = 0; f < t->FieldCount() && !exact; ++f)
            exact = t->FieldName(f) == def.Name;
        // A new field gets its default in every record. A stored field whose name differs
        // only in case is the same field to every look-up and keeps the values it holds.
        if (!exact) {
            t->BeginUpdate();
            const int before = t->FieldCount();
            const int f = t->AddField(def.Name);
            for (int r = 0; f == before && r < t->RecordCount(); ++r)
                t->WriteString(f, r, def.Default);
            t->EndUpdate();
        }
        Notify(def.Name);
    }
    NotifyAll();
}

void TnkDBSource::SaveToStream(ByteWriter& out) {
    TnkTable* t = table();
    if (!t) return;
    t->OnWriteProgress = OnSaveProgress;
    t->SaveToStream(out);
}

bool TnkDBSource::MoveCurrent(int step) {
    const int from = CurrentIndex();
    const int to = from + step;
    if (!m_data || from < 0 || to < 0 || to >= RecordCount()) return false;
    m_data->Exchange(from, to);
    SetRecNo(to);
    return true;
}

} // namespace pw
