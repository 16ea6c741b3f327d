#pragma once
// Data-aware drop-down list: the field holds the index of the chosen item as an integer.
#include "gui/ui/DBFieldLink.h"

#include <QComboBox>

class DBComboBox : public QComboBox, public DBFieldLink {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);

protected:
    void ReadField() override;
};
