#include "gui/ui/DBFieldLink.h"

#include "core/storage/TnkDBSource.h"

#include <QWidget>

using namespace pw;

namespace {
// Sets a flag for the lifetime of the guard, also when the write throws.
struct FlagGuard {
    explicit FlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    bool& m_flag;
};
} // namespace

void DBFieldLink::SetDataSource(TnkDBSource* source, std::string field) {
    Unlink();
    m_source = source;
    m_field = std::move(field);
    if (m_source) m_source->RegisterControl(m_field, this);
    DataChanged();
}

void DBFieldLink::Unlink() {
    if (m_source) m_source->UnregisterControl(this);
    m_source = nullptr;
}

bool DBFieldLink::HasRecord() const {
    return m_source && m_source->CurrentIndex() >= 0 && m_source->RecordCount() > 0;
}

void DBFieldLink::DataChanged() {
    if (m_writing) return;
    const bool was = m_refreshing;
    m_refreshing = true;
    ReadField();
    m_refreshing = was;
}

std::string DBFieldLink::ReadString() const {
    return HasRecord() ? m_source->GetString(m_field) : std::string();
}

int DBFieldLink::ReadInteger() const {
    return HasRecord() ? m_source->GetInteger(m_field) : 0;
}

void DBFieldLink::WriteString(const std::string& text) {
    if (m_refreshing || !HasRecord()) return;
    FlagGuard guard(m_writing);
    if (m_storeAsText)
        m_source->SetText(m_field, text);
    else
        m_source->SetString(m_field, text);
}

void DBFieldLink::WriteInteger(int value) {
    if (m_refreshing || !HasRecord()) return;
    FlagGuard guard(m_writing);
    m_source->SetInteger(m_field, value);
}

void UnlinkDBControls(QWidget* root) {
    if (!root) return;
    for (QWidget* child : root->findChildren<QWidget*>())
        if (auto* link = dynamic_cast<DBFieldLink*>(child)) link->Unlink();
}
