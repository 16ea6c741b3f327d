// Guards: the create-folder and password prompts: what Enter, Escape and OK hand back.
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "test_dlg_helpers.h"

// Prompt: what is done|typed|the key pressed (none: OK clicked)|handed back (1) or not (0)
const char* const kPrompts[] = {
    "folder: Enter with a name|new|Return|1",    "folder: Enter with the name erased|x\b|Return|0",
    "folder: Escape with a name|new|Esc|0",      "folder: OK takes the name unchanged| x/y ||1",
    "password: typed and Enter|s3cret|Return|1", "password: empty and Enter||Return|1",
    "password: typed and Escape|s3cret|Esc|0"};

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void prompts_data() { addTextRows(kPrompts); }
    void prompts() {
        QFETCH(QStringList, row);
        const QString typed = row[1];
        const Qt::Key key = row[2].isEmpty() ? Qt::Key(0) : QKeySequence(row[2])[0].key();
        const bool answered = row[3] == "1";
        if (row[0].startsWith("password")) {
            auto shown = whenModal<TfmPassword>([typed, key](TfmPassword* prompt) {
                QTest::keyClicks(prompt->edPassword, typed);
                QCOMPARE(prompt->edPassword->displayText(), QString(typed.size(), u'*'));
                QTest::keyClick(prompt->edPassword, key);
            });
            const std::optional<QString> answer = TfmPassword::Ask(nullptr);
            QVERIFY(*shown);
            QCOMPARE(answer.value_or("(none)"), answered ? typed : "(none)");
            return;
        }
        TfmCreateFolder dialog;
        dialog.show();
        QTest::keyClicks(dialog.edFolder, typed);
        const QString name = dialog.edFolder->text();
        QCOMPARE(dialog.btOK->isEnabled(), !name.isEmpty()); // OK needs a name
        key ? QTest::keyClick(dialog.edFolder, key)
            : QTest::mouseClick(dialog.btOK, Qt::LeftButton);
        QCOMPARE(dialog.isVisible(), name.isEmpty());
        QCOMPARE(dialog.result(), int(answered ? QDialog::Accepted : QDialog::Rejected));
        if (answered) QCOMPARE(dialog.FolderName(), typed);
    }
};

QTEST_MAIN(TestPrompts)
#include "test_dlg_prompts.moc"
