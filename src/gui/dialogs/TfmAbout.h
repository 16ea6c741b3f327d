#pragma once
// The About box: a frameless, shaped window with the program's name, version, build date,
// patch level, version information and a web link.
#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

// How opening the web link ended.
enum class LinkOpenResult { Opened, NotFound, NoBrowser, Failed };

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* parent = nullptr);

    static constexpr int kWidth = 499;
    static constexpr int kHeight = 261;

    // The face: a grey plate on magenta; magenta pixels are outside the window.
    static QImage FaceImage();
    // The pixels of a face that are not magenta.
    static QRegion FaceRegion(const QImage& face);
    static QUrl WebAddress();
    // The message shown for a failed opening (empty for Opened).
    static QString FailureText(LinkOpenResult result);
    // Opens a web address with the desktop's browser. Replaceable so tests never start one.
    static std::function<LinkOpenResult(const QUrl&)>& LinkOpener();

    void OpenWebLink();

    QLabel* labBuild = nullptr;
    QLabel* labPatchLevel = nullptr;
    QLabel* labWebLink = nullptr;
    QTreeWidget* lvVersionResource = nullptr;
    QPushButton* btOK = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void updateShape();
    QImage m_face;
};
