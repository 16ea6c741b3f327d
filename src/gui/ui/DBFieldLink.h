#pragma once
// The link between a data-aware control and one field of a record source. The control
// registers with the source, re-reads the field of the current record whenever the source
// tells it to, and writes the user's edits back into that record.
#include "core/storage/TnkDBControl.h"

#include <string>

class QWidget;
namespace pw {
class TnkDBSource;
}

class DBFieldLink : public pw::TnkDBControl {
public:
    DBFieldLink() = default;
    ~DBFieldLink() override { Unlink(); }
    DBFieldLink(const DBFieldLink&) = delete;
    DBFieldLink& operator=(const DBFieldLink&) = delete;

    // Binds the control to `field` of `source` (nullptr unbinds) and shows its value.
    void SetDataSource(pw::TnkDBSource* source, std::string field);
    void Unlink();

    pw::TnkDBSource* DataSource() const { return m_source; }
    const std::string& DataField() const { return m_field; }

    // Whether the source has a current record that edits can be written into.
    bool HasRecord() const;
    // Edits are stored as text even when they read as whole numbers (passwords).
    void SetStoreAsText(bool on) { m_storeAsText = on; }

protected:
    // Called with refreshing set, so that the control's own change signals do not write back.
    virtual void ReadField() = 0;
    void DataChanged() final;
    // The field of the current record; empty (0) without a current record.
    std::string ReadString() const;
    int ReadInteger() const;
    void WriteString(const std::string& text);
    void WriteInteger(int value);
    bool Refreshing() const { return m_refreshing; }

private:
    pw::TnkDBSource* m_source = nullptr;
    std::string m_field;
    bool m_refreshing = false;
    bool m_storeAsText = false;
    bool m_writing = false; // the control's own write: its text already shows the value
};

// Unlinks every data-aware control below `root`. A window whose record sources are members
// calls this in its destructor: the child widgets outlive those members.
void UnlinkDBControls(QWidget* root);
