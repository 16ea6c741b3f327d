// The About box: its texts and version list, the shaped window, and the messages shown when
// the web link cannot be opened.
#include "gui/dialogs/TfmAbout.h"
#include "test_dlg_helpers.h"

#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void showsVersion();
    void windowIsShapedByTheFace();
    void webLinkFailures_data();
    void webLinkFailures();
    void onlyOkCloses();
    void cleanup() { TfmAbout::LinkOpener() = nullptr; }
};

void TestAboutBox::showsVersion() {
    TfmAbout about;
    about.show();
    QCOMPARE(about.size(), QSize(499, 261));
    QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(about.labBuild->text(), QStringLiteral("build 2001/5/9"));
    QCOMPARE(about.labPatchLevel->text(), QStringLiteral("patchlevel 8"));
    QTreeWidget* list = about.lvVersionResource;
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Resource"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Value"));
    QVERIFY(!list->header()->sectionsClickable());
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("Pagewright, a WWW update program"));
    QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("Pagewright2"));
    QCOMPARE(list->topLevelItem(3)->text(1), QStringLiteral("2.0.0.0"));
    QVERIFY(about.labWebLink->font().underline());
    QCOMPARE(about.labWebLink->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!about.btOK->isDefault());
}

void TestAboutBox::windowIsShapedByTheFace() {
    const QImage face = TfmAbout::FaceImage();
    QCOMPARE(face.size(), QSize(499, 261));
    const QRgb magenta = qRgb(255, 0, 255);
    // The corners lie outside the plate; the middle is plate.
    QCOMPARE(face.pixel(0, 0), magenta);
    QCOMPARE(face.pixel(498, 260), magenta);
    QVERIFY(face.pixel(250, 130) != magenta);

    TfmAbout about;
    about.show();
    const QRegion shape = about.mask();
    QVERIFY(!shape.contains(QPoint(0, 0)));
    QVERIFY(!shape.contains(QPoint(498, 0)));
    QVERIFY(shape.contains(QPoint(250, 130)));
    for (QWidget* control : about.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect area = control->geometry();
        QVERIFY2(shape.contains(area.topLeft()) && shape.contains(area.bottomRight()),
                 qPrintable(control->objectName()));
        // Every control sits on the plate, so the shape has no stray islands.
        QVERIFY2(face.pixel(area.topLeft()) != magenta && face.pixel(area.bottomRight()) != magenta,
                 qPrintable(control->objectName()));
    }
}

void TestAboutBox::webLinkFailures_data() {
    QTest::addColumn<LinkOpenResult>("result");
    QTest::addColumn<QString>("message");
    QTest::newRow("opened") << LinkOpenResult::Opened << QString();
    QTest::newRow("not found") << LinkOpenResult::NotFound << "The webpage could not be found";
    QTest::newRow("no browser") << LinkOpenResult::NoBrowser
                                << "There is no browser installed, or it is installed incorrectly";
    QTest::newRow("other") << LinkOpenResult::Failed << "An error occured opening the webpage";
}

void TestAboutBox::webLinkFailures() {
    QFETCH(LinkOpenResult, result);
    QFETCH(QString, message);
    auto asked = std::make_shared<QUrl>();
    TfmAbout::LinkOpener() = [asked, result](const QUrl& url) {
        *asked = url;
        return result;
    };
    TfmAbout about;
    about.show();
    auto text = std::make_shared<QString>();
    auto shown = whenModal<QMessageBox>([text](QMessageBox* box) {
        *text = box->text();
        box->accept();
    });
    QTest::mouseClick(about.labWebLink, Qt::LeftButton);
    QCOMPARE(*asked, TfmAbout::WebAddress());
    if (message.isEmpty()) {
        QTest::qWait(50);
        QVERIFY(!*shown);
    } else {
        QVERIFY(*shown);
        QCOMPARE(*text, message);
    }
    QVERIFY(about.isVisible());
}

void TestAboutBox::onlyOkCloses() {
    TfmAbout about;
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    QTest::keyClick(&about, Qt::Key_Return);
    QVERIFY(about.isVisible());
    QTest::mouseClick(about.btOK, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAboutBox)
#include "test_dlg_about.moc"
