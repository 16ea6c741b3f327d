// Guards: the About box: a message for each way the web link can fail, and only OK closes it.
#include "gui/dialogs/TfmAbout.h"
#include "test_dlg_helpers.h"

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void webLink_data();
    void webLink();
    void cleanup() { TfmAbout::LinkOpener() = nullptr; }
};

void TestAboutBox::webLink_data() {
    QTest::addColumn<LinkOpenResult>("result");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::newRow("opened") << LinkOpenResult::Opened << QString();
    QTest::newRow("not found") << LinkOpenResult::NotFound << "The webpage could not be found";
    QTest::newRow("no browser") << LinkOpenResult::NoBrowser
                                << "There is no browser installed, or it is installed incorrectly";
    QTest::newRow("other") << LinkOpenResult::Failed << "An error occured opening the webpage";
}

void TestAboutBox::webLink() {
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
    auto shown = whenMessage(text);
    QTest::mouseClick(about.labWebLink, Qt::LeftButton);
    QCOMPARE(*asked, TfmAbout::WebAddress());
    QCOMPARE(*shown, !message.isEmpty());
    QCOMPARE(*text, message);
    // Neither Escape nor Enter closes the box; OK does.
    QTest::keyClick(&about, Qt::Key_Escape);
    QTest::keyClick(&about, Qt::Key_Return);
    QVERIFY(about.isVisible());
    QTest::mouseClick(about.btOK, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAboutBox)
#include "test_dlg_about.moc"
