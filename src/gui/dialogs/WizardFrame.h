#pragma once
// The frame the wizards share: the picture strip in a bevel beside a stack of pages without
// tabs, a rule, an optional note at the bottom left and the buttons "&Previous", "&Next" and
// "&Cancel" / "&Finish" (one place, Finish hidden at first). No button is a default button.
class QDialog;
class QPushButton;
class QStackedWidget;
class QWidget;

struct WizardFrame {
    // Lays the frame out in `dialog`, which has no layout yet. `note` may be null.
    WizardFrame(QDialog* dialog, const char* stackName, QWidget* note = nullptr);

    QStackedWidget* Pages;
    QPushButton* Previous;
    QPushButton* Next;
    QPushButton* Cancel;
    QPushButton* Finish;

    // A push button that is never a default button, as all of the wizards' buttons.
    static QPushButton* Button(QWidget* parent, const char* name, const char* caption);
};
