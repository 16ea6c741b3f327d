// Guards: the create-folder and password prompts: what Enter, Escape and OK hand back.
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "test_dlg_helpers.h"

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void prompts_data();
    void prompts();
};

void TestPrompts::prompts_data() {
    QTest::addColumn<bool>("password"); // the password prompt, else the create-folder dialog
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key"); // 0: OK clicked
    QTest::addColumn<bool>("answered");
    const auto row = [](const char* name, bool password, const char* typed, int key,
                        bool answered) {
        QTest::newRow(name) << password << typed << key << answered;
    };
    row("folder: Enter with a name", false, "new", Qt::Key_Return, true);
    row("folder: Enter without a name", false, "", Qt::Key_Return, false);
    row("folder: Escape with a name", false, "new", Qt::Key_Escape, false);
    row("folder: OK takes the name unchanged", false, " x/y ", 0, true);
    row("password: typed and Enter", true, "s3cret", Qt::Key_Return, true);
    row("password: empty and Enter", true, "", Qt::Key_Return, true);
    row("password: typed and Escape", true, "s3cret", Qt::Key_Escape, false);
}

void TestPrompts::prompts() {
    QFETCH(bool, password);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(bool, answered);
    if (password) {
        auto shown = whenModal<TfmPassword>([typed, key](TfmPassword* prompt) {
            QTest::keyClicks(prompt->edPassword, typed);
            QCOMPARE(prompt->edPassword->displayText(), QString(typed.size(), u'*'));
            QTest::keyClick(prompt->edPassword, Qt::Key(key));
        });
        const std::optional<QString> answer = TfmPassword::Ask(nullptr);
        QVERIFY(*shown);
        QCOMPARE(answer.value_or("(none)"), answered ? typed : "(none)");
        return;
    }
    TfmCreateFolder dialog;
    dialog.show();
    QTest::keyClicks(dialog.edFolder, typed);
    QCOMPARE(dialog.btOK->isEnabled(), !typed.isEmpty()); // OK needs a name
    if (key) QTest::keyClick(dialog.edFolder, Qt::Key(key));
    if (!key) QTest::mouseClick(dialog.btOK, Qt::LeftButton);
    QCOMPARE(dialog.isVisible(), typed.isEmpty());
    QCOMPARE(dialog.result(), int(answered ? QDialog::Accepted : QDialog::Rejected));
    if (answered) QCOMPARE(dialog.FolderName(), typed);
}

QTEST_MAIN(TestPrompts)
#include "test_dlg_prompts.moc"
