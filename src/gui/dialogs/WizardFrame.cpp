#include "gui/dialogs/WizardFrame.h"

#include "gui/dialogs/DialogLayout.h"
#include "gui/dialogs/DialogPictures.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

QPushButton* WizardFrame::Button(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

WizardFrame::WizardFrame(QDialog* dialog, const char* stackName, QWidget* note) {
    auto* picture = new QLabel(dialog);
    picture->setObjectName(QStringLiteral("imWizard"));
    picture->setFrameShape(QFrame::Box);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setPixmap(DialogPictures::WizardSide(QSize(120, 256)));
    picture->setFixedSize(120 + 2 * picture->frameWidth(), 256 + 2 * picture->frameWidth());

    Pages = new QStackedWidget(dialog);
    Pages->setObjectName(QString::fromLatin1(stackName));
    Previous = Button(dialog, "btPrevious", "&Previous");
    Next = Button(dialog, "btNext", "&Next");
    Cancel = Button(dialog, "btCancel", "&Cancel");
    Finish = Button(dialog, "btFinish", "&Finish");
    Finish->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(Pages, 1);
    auto* buttons = new QHBoxLayout;
    if (note) buttons->addWidget(note);
    buttons->addStretch(1);
    buttons->addWidget(Previous);
    buttons->addWidget(Next);
    buttons->addSpacing(8);
    // Finish takes Cancel's place: only one of the two is ever shown.
    buttons->addWidget(Cancel);
    buttons->addWidget(Finish);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(top, 1);
    layout->addWidget(DialogLayout::HorizontalRule(dialog));
    layout->addLayout(buttons);
}
