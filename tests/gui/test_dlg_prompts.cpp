// The two small prompts: the create-folder dialog and the FTP password prompt.
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "test_dlg_helpers.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void createFolderOkFollowsText();
    void createFolderKeys_data();
    void createFolderKeys();
    void passwordPrompt_data();
    void passwordPrompt();
};

void TestPrompts::createFolderOkFollowsText() {
    TfmCreateFolder dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Create new folder"));
    QVERIFY(!dialog.btOK->isEnabled());
    QVERIFY(dialog.btOK->isDefault());
    QTest::keyClicks(dialog.edFolder, "a");
    QVERIFY(dialog.btOK->isEnabled());
    QTest::keyClick(dialog.edFolder, Qt::Key_Backspace);
    QVERIFY(!dialog.btOK->isEnabled());
    // Nothing else is checked: a name with separators or blanks is handed on unchanged.
    QTest::keyClicks(dialog.edFolder, " x/y ");
    QVERIFY(dialog.btOK->isEnabled());
    QTest::mouseClick(dialog.btOK, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.FolderName(), QStringLiteral(" x/y "));
}

void TestPrompts::createFolderKeys_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter with a name")
        << "new" << int(Qt::Key_Return) << true << int(QDialog::Accepted);
    QTest::newRow("Enter without a name")
        << "" << int(Qt::Key_Return) << false << int(QDialog::Rejected);
    QTest::newRow("Escape with a name")
        << "new" << int(Qt::Key_Escape) << true << int(QDialog::Rejected);
}

void TestPrompts::createFolderKeys() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    TfmCreateFolder dialog;
    dialog.show();
    QTest::keyClicks(dialog.edFolder, typed);
    QTest::keyClick(dialog.edFolder, Qt::Key(key));
    QTEST(!dialog.isVisible(), "closed");
    QTEST(dialog.result(), "result");
}

void TestPrompts::passwordPrompt_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answered");
    QTest::newRow("typed and Enter") << "s3cret" << int(Qt::Key_Return) << true;
    QTest::newRow("empty and Enter") << "" << int(Qt::Key_Return) << true;
    QTest::newRow("typed and Escape") << "s3cret" << int(Qt::Key_Escape) << false;
}

void TestPrompts::passwordPrompt() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(bool, answered);
    auto shown = whenModal<TfmPassword>([typed, key](TfmPassword* prompt) {
        QCOMPARE(prompt->windowTitle(), QStringLiteral("Enter your password for ftp"));
        QTest::keyClicks(prompt->edPassword, typed);
        QCOMPARE(prompt->edPassword->displayText(), QString(typed.size(), u'*'));
        QTest::keyClick(prompt->edPassword, Qt::Key(key));
    });
    const std::optional<QString> answer = TfmPassword::Ask(nullptr);
    QVERIFY(*shown);
    QCOMPARE(answer.has_value(), answered);
    if (answered) QCOMPARE(*answer, typed);
}

QTEST_MAIN(TestPrompts)
#include "test_dlg_prompts.moc"
