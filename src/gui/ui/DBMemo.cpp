#include "gui/ui/DBMemo.h"

#include "gui/ui/Cp1252Text.h"

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (Refreshing()) return;
        QString text = toPlainText();
        if (m_lineBreak != QLatin1String("\n")) text.replace(QLatin1Char('\n'), m_lineBreak);
        WriteString(ToCp1252(text));
    });
}

void DBMemo::ReadField() {
    setReadOnly(!HasRecord());
    QString value = FromCp1252(ReadString());
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (toPlainText() != value) setPlainText(value);
}
