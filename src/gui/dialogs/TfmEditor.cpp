#include "gui/dialogs/TfmEditor.h"

#include "gui/dialogs/DialogKeys.h"
#include "gui/ui/TextLines.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmEditor::TfmEditor(QWidget* parent) : QDialog(parent) {
    setObjectName("fmEditor");
    setWindowTitle("Editor");
    setSizeGripEnabled(true);
    resize(497, 300);
    auto* column = new QVBoxLayout(this);
    meEditor = new QPlainTextEdit(this);
    meEditor->setObjectName("meEditor");
    meEditor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    meEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    meEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meEditor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    column->addWidget(meEditor, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btOK = new QPushButton("OK", this);
    btOK->setObjectName("btOK");
    btCancel = new QPushButton("Cancel", this);
    btCancel->setObjectName("btCancel");
    for (QPushButton* b : {btOK, btCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmEditor::SetText(const QString& text) {
    meEditor->setPlainText(text);
}

QString TfmEditor::Lines() const {
    return JoinTextLines(meEditor->toPlainText());
}

void TfmEditor::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape neither press a button nor close the dialog.
    if (!DialogKeys::SwallowEnterAndEscape(event)) QDialog::keyPressEvent(event);
}
