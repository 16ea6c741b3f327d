#include "gui/dialogs/TfmCreateFolder.h"

#include "gui/dialogs/DialogLayout.h"
#include "gui/dialogs/DialogPictures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfmCreateFolder::TfmCreateFolder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("fmCreateFolder"));
    setWindowTitle(QStringLiteral("Create new folder"));

    auto* picture = new QLabel(this);
    picture->setPixmap(DialogPictures::Folder(40));
    picture->setFixedSize(40, 40);
    auto* text = new QLabel(
        QStringLiteral("Please enter the name of the folder which you want to create.\n"
                       "The folder will appear in the listview to the directory. To enter the\n"
                       "folder you must double-click the name of the folder."),
        this);
    auto* labFolder = new QLabel(QStringLiteral("Folder"), this);
    edFolder = new QLineEdit(this);
    edFolder->setObjectName(QStringLiteral("edFolder"));
    labFolder->setBuddy(edFolder);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    btOK->setDefault(true);
    btOK->setEnabled(false);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btCancel->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* entry = new QHBoxLayout;
    entry->addWidget(labFolder);
    entry->addWidget(edFolder, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DialogLayout::HorizontalRule(this));
    layout->addLayout(entry);
    layout->addWidget(DialogLayout::HorizontalRule(this));
    layout->addLayout(buttons);

    connect(edFolder, &QLineEdit::textChanged, this,
            [this](const QString& name) { btOK->setEnabled(!name.isEmpty()); });
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    DialogLayout::FitClientArea(this, QSize(369, 129), true);
    edFolder->setFocus();
}

QString TfmCreateFolder::FolderName() const {
    return edFolder->text();
}
