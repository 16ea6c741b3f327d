// Guards: the About box: a message for each way the web link can fail, and only OK closes it.
#include "gui/dialogs/TfmAbout.h"
#include "test_dlg_helpers.h"

// The result, as its place in LinkOpenResult|the message shown (none for a page opened).
const char* const kResults[] = {
    "0 opened|", "1 not found|The webpage could not be found",
    "2 no browser|There is no browser installed, or it is installed incorrectly",
    "3 other|An error occured opening the webpage"};

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { TfmAbout::LinkOpener() = nullptr; }
    void webLink_data() { addTextRows(kResults); }
    void webLink() {
        QFETCH(QStringList, row);
        const auto result = LinkOpenResult(row[0].left(1).toInt());
        auto asked = std::make_shared<QUrl>();
        TfmAbout::LinkOpener() = [asked, result](const QUrl& url) { return *asked = url, result; };
        TfmAbout about;
        about.show();
        auto [shown, text] = whenMessage();
        QTest::mouseClick(about.labWebLink, Qt::LeftButton);
        QCOMPARE(*asked, TfmAbout::WebAddress());
        QCOMPARE(*shown, !row[1].isEmpty());
        QCOMPARE(*text, row[1]);
        QTest::keyClick(&about, Qt::Key_Escape); // neither Escape nor Enter closes the box
        QTest::keyClick(&about, Qt::Key_Return);
        QVERIFY(about.isVisible());
        QTest::mouseClick(about.btOK, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_dlg_about.moc"
