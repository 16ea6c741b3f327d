#include "gui/ui/DBEdit.h"

#include "gui/ui/Cp1252Text.h"
#include "gui/ui/PasswordEcho.h"

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& text) { WriteString(ToCp1252(text)); });
}

void DBEdit::SetTextAndStore(const QString& text) {
    if (!HasRecord()) return;
    setText(text);
    WriteString(ToCp1252(text));
}

void DBEdit::ReadField() {
    setReadOnly(!HasRecord());
    const QString value = FromCp1252(ReadString());
    // Keep the caret where it is when the value is what the user just typed.
    if (text() != value) setText(value);
}

DBPasswordEdit::DBPasswordEdit(QWidget* parent) : DBEdit(parent) {
    ShowPasswordAsStars(this);
    SetStoreAsText(true);
}
