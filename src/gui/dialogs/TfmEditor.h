#pragma once
// The editor for the page text before or after the news section: a resizable dialog with one
// fixed-pitch memo and OK and Cancel, neither of which answers Enter or Escape.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfmEditor : public QDialog {
    Q_OBJECT
public:
    explicit TfmEditor(QWidget* parent = nullptr);

    void SetText(const QString& text);
    // The memo's lines, each followed by CR LF.
    QString Lines() const;

    QPlainTextEdit* meEditor;
    QPushButton* btOK;
    QPushButton* btCancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
