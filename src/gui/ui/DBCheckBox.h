#pragma once
// Data-aware check box: ticked exactly when its field reads "TRUE"; a click writes "TRUE" or
// the empty text.
#include "gui/ui/DBFieldLink.h"

#include <QCheckBox>

class DBCheckBox : public QCheckBox, public DBFieldLink {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void ReadField() override;
};
