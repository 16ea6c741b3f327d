#include "gui/ui/DBComboBox.h"

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (HasRecord())
            WriteInteger(index);
        else
            DataChanged();
    });
}

void DBComboBox::ReadField() {
    const int index = ReadInteger();
    // An index the list does not hold shows no item.
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}
