#include "gui/dialogs/TfmAbout.h"

#include "gui/dialogs/DialogKeys.h"
#include "gui/dialogs/DialogPictures.h"
#include "gui/dialogs/WebLinkLabel.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>

#include <algorithm>

namespace {
const char* const kCompanyName = "Pagewright Software";
const char* const kLegalCopyright = "Copyright (c) 2001 Pagewright Software";
const char* const kFileDescription = "Pagewright, a WWW update program";
const char* const kProductName = "Pagewright2";
const char* const kProductVersion = "2.0.0.0";
const char* const kBuildDate = "2001/5/9";

QLabel* placed(QLabel* label, const char* name, QRect where) {
    if (name) label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    return label;
}

LinkOpenResult openWithDesktop(const QUrl& url) {
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return LinkOpenResult::NotFound;
    if (QDesktopServices::openUrl(url)) return LinkOpenResult::Opened;
    // The desktop hands web addresses to xdg-open; without it no browser can be started.
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return LinkOpenResult::NoBrowser;
    return LinkOpenResult::Failed;
}
} // namespace

TfmAbout::TfmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_face(FaceImage()) {
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(kWidth, kHeight);

    auto* icon = placed(new QLabel(this), "imIcon", QRect(22, 28, 32, 32));
    icon->setPixmap(DialogPictures::ProgramIcon(32));
    auto* title = placed(new QLabel(this), "imTitle", QRect(62, 26, 252, 37));
    title->setPixmap(DialogPictures::Title(QSize(252, 37)));
    auto* globe = placed(new QLabel(this), "imGlobe", QRect(kWidth - 121 - 22, 26, 121, 37));
    globe->setPixmap(DialogPictures::Globe(QSize(121, 37)));

    auto* program = placed(new QLabel(QStringLiteral("Pagewright v2.0"), this), "labProgram",
                           {24, 68, 200, 18});
    QFont bold = program->font();
    bold.setBold(true);
    program->setFont(bold);
    labBuild = placed(new QLabel(QStringLiteral("build "), this), "labBuild", {24, 88, 160, 16});
    labBuild->setText(labBuild->text() + QString::fromLatin1(kBuildDate));
    labPatchLevel = placed(new QLabel(this), "labPatchLevel", {190, 88, 160, 16});
    labPatchLevel->setText(QStringLiteral("patchlevel 8"));

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(22, 108, kWidth - 44, 4);

    auto* notice = placed(new QLabel(QString::fromLatin1(kLegalCopyright), this), "labNotice",
                          {24, 116, 260, 16});
    lvVersionResource = new QTreeWidget(this);
    lvVersionResource->setObjectName(QStringLiteral("lvVersionResource"));
    lvVersionResource->setGeometry(24, 136, kWidth - 48, 86);
    lvVersionResource->setHeaderLabels({QStringLiteral("Resource"), QStringLiteral("Value")});
    lvVersionResource->setRootIsDecorated(false);
    lvVersionResource->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvVersionResource->setSelectionMode(QAbstractItemView::NoSelection);
    lvVersionResource->setFocusPolicy(Qt::NoFocus);
    lvVersionResource->header()->setSectionsClickable(false);
    lvVersionResource->setColumnWidth(0, 130);
    const std::pair<const char*, const char*> entries[] = {{"CompanyName", kCompanyName},
                                                           {"FileDescription", kFileDescription},
                                                           {"ProductName", kProductName},
                                                           {"ProductVersion", kProductVersion}};
    for (const auto& [resource, value] : entries)
        lvVersionResource->addTopLevelItem(new QTreeWidgetItem(
            QStringList{QString::fromLatin1(resource), QString::fromLatin1(value)}));

    // The link sits at the right end of the notice's row, as wide as its text.
    auto* link = new WebLinkLabel(WebAddress().toString(), this);
    labWebLink = link;
    labWebLink->setObjectName(QStringLiteral("labWebLink"));
    labWebLink->adjustSize();
    const int linkWidth = labWebLink->sizeHint().width();
    labWebLink->setGeometry(kWidth - 24 - linkWidth, 116, linkWidth, 16);
    notice->setGeometry(24, 116, std::max(0, labWebLink->x() - 24 - 8), 16);
    connect(link, &WebLinkLabel::clicked, this, &TfmAbout::OpenWebLink);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setAutoDefault(false);
    btOK->setDefault(false);
    btOK->setGeometry(kWidth - 24 - 100, kHeight - 33, 100, 26);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);

    updateShape();
}

QImage TfmAbout::FaceImage() {
    return DialogPictures::AboutFace(QSize(kWidth, kHeight));
}

QUrl TfmAbout::WebAddress() {
    return QUrl(QStringLiteral("https://pagewright.example.org/"));
}

QString TfmAbout::FailureText(LinkOpenResult result) {
    switch (result) {
    case LinkOpenResult::Opened:
        return {};
    case LinkOpenResult::NotFound:
        return QStringLiteral("The webpage could not be found");
    case LinkOpenResult::NoBrowser:
        return QStringLiteral("There is no browser installed, or it is installed incorrectly");
    case LinkOpenResult::Failed:
        break;
    }
    return QStringLiteral("An error occured opening the webpage");
}

std::function<LinkOpenResult(const QUrl&)>& TfmAbout::LinkOpener() {
    static std::function<LinkOpenResult(const QUrl&)> opener = openWithDesktop;
    return opener;
}

void TfmAbout::OpenWebLink() {
    const LinkOpenResult result =
        LinkOpener() ? LinkOpener()(WebAddress()) : openWithDesktop(WebAddress());
    if (result == LinkOpenResult::Opened) return;
    QMessageBox::information(this, windowTitle(), FailureText(result), QMessageBox::Ok);
}

QRegion TfmAbout::FaceRegion(const QImage& face) {
    // Row by row, the runs of pixels that are not magenta.
    const QRgb magenta = qRgb(255, 0, 255);
    QRegion region;
    for (int y = 0; y < face.height(); ++y) {
        int x = 0;
        while (x < face.width()) {
            while (x < face.width() && face.pixel(x, y) == magenta)
                ++x;
            const int start = x;
            while (x < face.width() && face.pixel(x, y) != magenta)
                ++x;
            if (x > start) region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

void TfmAbout::updateShape() {
    // The face without its magenta pixels, plus every visible control.
    QRegion region = FaceRegion(m_face);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden()) region += child->geometry();
    setMask(region);
}

void TfmAbout::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
}

void TfmAbout::keyPressEvent(QKeyEvent* event) {
    // OK is neither the default nor the cancel button: Enter and Escape do not close the box.
    if (!DialogKeys::SwallowEnterAndEscape(event)) QDialog::keyPressEvent(event);
}

void TfmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    updateShape();
}
