#pragma once
// Data-aware list of translation records: one row per record, showing its "Ascii" text,
// " <-> " and its "Html" text. The current row is the source's cursor both ways. Keys:
// Shift+Down / Shift+Up move the current record down / up, Ctrl+PageUp and Ctrl+PageDown go
// to the first and last record, PageUp and PageDown one record back and on.
#include "gui/ui/DBFieldLink.h"

#include <QListWidget>

class DBTranslationList : public QListWidget, public DBFieldLink {
    Q_OBJECT
public:
    explicit DBTranslationList(QWidget* parent = nullptr);

    // Binds the list to every field of `source` (the list shows two of them).
    void SetDataSource(pw::TnkDBSource* source) { DBFieldLink::SetDataSource(source, {}); }

    static QString RowText(const pw::TnkDBSource& source, int record);

protected:
    void ReadField() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void moveRecord(int step);
};
