#pragma once
// The modal dialogs and message boxes that the main window and its pages open. They all go
// through one object handed to the window, so that tests can answer them without a screen.
class QDialog;
class QString;
class QWidget;

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Runs a modal dialog to its end.
    virtual void RunDialog(QDialog& dialog);
    // Shows an error message box over `parent`.
    virtual void ShowError(QWidget* parent, const QString& message);
    // Asks a Yes/No question over `parent`; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& caption, const QString& text);
};
