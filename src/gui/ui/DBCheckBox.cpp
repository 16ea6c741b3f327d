#include "gui/ui/DBCheckBox.h"

DBCheckBox::DBCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        if (HasRecord())
            WriteString(checked ? "TRUE" : "");
        else
            DataChanged(); // nothing to write into: show the (empty) value again
    });
}

void DBCheckBox::ReadField() {
    setChecked(ReadString() == "TRUE");
}
