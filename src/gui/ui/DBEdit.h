#pragma once
// Data-aware single-line edit: shows its field's text and writes every change the user makes
// back into the current record. Read-only while the source has no current record.
#include "gui/ui/DBFieldLink.h"

#include <QLineEdit>

class DBEdit : public QLineEdit, public DBFieldLink {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    // Replaces the text as if the user had typed it, so it reaches the field too.
    void SetTextAndStore(const QString& text);

protected:
    void ReadField() override;
};

// The same edit showing "*" for each character (passwords).
class DBPasswordEdit : public DBEdit {
    Q_OBJECT
public:
    explicit DBPasswordEdit(QWidget* parent = nullptr);
};
