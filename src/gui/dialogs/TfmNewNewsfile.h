#pragma once
// The newsfile wizard: six pages that walk through choosing a configuration, naming the file
// on the server, writing its header and footer and posting it. It has no function yet and
// says so: it stores, creates and sends nothing.
#include <QDialog>

namespace pw {
class TnkDBSource;
}
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

class TfmNewNewsfile : public QDialog {
    Q_OBJECT
public:
    enum Result { Finished = 1, Cancelled = 2 };
    // `configurations` fills the configuration chooser.
    explicit TfmNewNewsfile(const pw::TnkDBSource& configurations, QWidget* parent = nullptr);

    int PageIndex() const;
    void reject() override; // the close box and Cancel: result 2

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildStartPage();
    QWidget* buildConfigPage(const pw::TnkDBSource& configurations);
    QWidget* buildFilePage();
    QWidget* buildMemoPage(const char* pageName, const char* text, const char* caption,
                           const char* memoName);
    QWidget* buildFinalPage();
    void goToPage(int index);
    void updateButtons();

    QStackedWidget* pcWizard;
    QPushButton *btPrevious, *btNext, *btCancel, *btFinish;
};
