// The News page driven like a user against the test server: Start, editing in the HTML editor
// and its seven commands, New News on a fixed clock, the header and footer editor, the signs,
// Post and Stop, dropping files on the editor, and the newsfile wizard's buttons.
#include "core/config/Password.h"
#include "core/news/NewsClock.h"
#include "core/news/NewsFormat.h"
#include "gui/app/TfmMain.h"
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmEditor.h"
#include "gui/dialogs/TfmNewNewsfile.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/HtmlEditor.h"
#include "gui/ui/TextLines.h"
#include "support/FtpServer.h"
#include "test_main_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using namespace pw;

namespace {
// A page of seven items; the first of the page is the newest.
QByteArray sevenItemPage() {
    QByteArray page = "<html><head><title>Site</title></head>\r\n<!-- DATA -->\r\n";
    for (int i = 7; i >= 1; --i)
        page += QString("<!-- DATE:2000/01/0%1(12:30) -->Header %1\r\n<!-- TEXT -->"
                        "<A NAME=\"n%1\"></A>text %1<!-- SUBLINE -->footer %1\r\n")
                    .arg(i)
                    .toLatin1();
    return page + "<!-- /DATA -->\r\n</html>\r\n";
}

// One configuration pointing at the server, written the way the dialog saves it.
void writeNewsConfig(const std::string& path, const FtpServer& server, const QString& temp,
                     const std::map<std::string, std::string>& extra) {
    writeWizardFile(path, 1);
    ConfigTables tables(ConfigRole::Dialog);
    OpenConfigurationForDialog(tables, path);
    std::map<std::string, std::string> f = extra;
    f.emplace("Host", server.hostName());
    f.emplace("LoginName", "anonymous");
    f.emplace("LoginPassword", ScramblePassword("me@home"));
    f.emplace("TemporaryDirectory", temp.toStdString());
    f.emplace("FTPTimeout", "10");
    f.emplace("SyntaxHighlight", "TRUE");
    for (const auto& [field, value] : f)
        tables.ConfigSource.SetText(0, field, value);
    SaveConfigurationFromDialog(tables, path);
}

QString label(const TfmMain& w) {
    return child<QLabel>(w, "lbNewsPosition")->text();
}

QString statusText(const TfmMain& w) {
    return child<GaugeStatusBar>(w, "sbaNews")->Text(1);
}

QString itemText(TfmMain& w, const char* field = news_field::kText) {
    return QString::fromLatin1(w.NewsSource.GetString(field));
}

void dropFiles(QWidget* area, const QStringList& files, bool* accepted) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &enter);
    *accepted = enter.isAccepted();
    if (!*accepted) return;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &drop);
}
} // namespace

class TestNewsEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void textLines_data();
    void textLines();
    void editorCommands_data();
    void editorCommands();
    void startEditPost();
    void newNewsOnFixedClock();
    void headerAndFooterEditor_data();
    void headerAndFooterEditor();
    void passwordAskedAtEveryConnect();
    void failedStartShowsTheFailure();
    void droppedFiles();
    void wizardButtons();

private:
    void start(const std::map<std::string, std::string>& fields = {});

    std::unique_ptr<FtpServer> m_server;
    std::unique_ptr<TempHome> m_home;
    QTemporaryDir m_temp;
    TestPrompts m_prompts;
    std::unique_ptr<TfmMain> m_w;
};

void TestNewsEditor::init() {
    m_prompts = TestPrompts();
    m_home = std::make_unique<TempHome>();
}

void TestNewsEditor::cleanup() {
    m_w.reset();
    m_home.reset();
    m_server.reset();
}

// A window on a server holding the seven-item page, after a successful Start.
void TestNewsEditor::start(const std::map<std::string, std::string>& fields) {
    m_server = std::make_unique<FtpServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    QVERIFY(m_server->writeFile("index.html", sevenItemPage()));
    writeNewsConfig(m_home->cfg(), *m_server, m_temp.path(), fields);
    m_w = std::make_unique<TfmMain>(m_prompts);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
    child(*m_w, "miNewsStart")->trigger();
    QCOMPARE(m_w->NewsState(), ActivityState::Busy);
    QTRY_COMPARE_WITH_TIMEOUT(m_w->NewsState(), ActivityState::Connected, 20000);
    settle();
}

void TestNewsEditor::textLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lines");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one line") << "a"
                              << "a\r\n";
    QTest::newRow("final break starts no line") << "a\r\n"
                                                << "a\r\n";
    QTest::newRow("empty last line kept") << "a\n\n"
                                          << "a\r\n\r\n";
    QTest::newRow("every kind of break") << "a\rb\nc\r\nd"
                                         << "a\r\nb\r\nc\r\nd\r\n";
    QTest::newRow("CR at the very end") << "a\r"
                                        << "a\r\n";
}

void TestNewsEditor::textLines() {
    QFETCH(QString, text);
    QFETCH(QString, lines);
    QCOMPARE(JoinTextLines(text), lines);
}

void TestNewsEditor::editorCommands_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selectFrom"); // -1: no selection, the caret after "one "
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("bold, word") << int(Qt::Key_B) << ctrl << 4 << "one <B>word</B> two" << 11;
    QTest::newRow("bold, nothing") << int(Qt::Key_B) << ctrl << -1 << "one <B></B>word two" << 7;
    QTest::newRow("italic") << int(Qt::Key_I) << ctrl << 4 << "one <I>word</I> two" << 11;
    QTest::newRow("underline") << int(Qt::Key_U) << ctrl << 4 << "one <U>word</U> two" << 11;
    QTest::newRow("link, target") << int(Qt::Key_L) << ctrl << 4 << "one <A HREF=\"word\"></A> two"
                                  << 19;
    QTest::newRow("link, nothing")
        << int(Qt::Key_L) << ctrl << -1 << "one <A HREF=\"\"></A>word two" << 15;
    QTest::newRow("break, nothing")
        << int(Qt::Key_Return) << int(Qt::ShiftModifier) << -1 << "one <BR>\r\nword two" << 10;
    QTest::newRow("break, word") << int(Qt::Key_Enter) << int(Qt::ShiftModifier) << 4
                                 << "one <BR>\r\n two" << 10;
}

void TestNewsEditor::editorCommands() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selectFrom);
    QFETCH(QString, text);
    QFETCH(int, caret);
    HtmlEditor editor;
    editor.setText("one word two");
    if (selectFrom >= 0)
        editor.setSelection(0, selectFrom, 0, 8);
    else
        editor.setCursorPosition(0, 4);
    QSignalSpy commands(&editor, &HtmlEditor::UserCommand);
    connect(&editor, &HtmlEditor::UserCommand, &editor, &HtmlEditor::RunEditCommand);
    QTest::keyClick(&editor, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(commands.count(), 1);
    QCOMPARE(editor.text(), text);
    QCOMPARE(int(editor.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS)), caret);
    // The command is one step: a single undo brings the text back.
    editor.undo();
    QCOMPARE(editor.text(), QString("one word two"));
}

void TestNewsEditor::startEditPost() {
    start();
    TfmMain& w = *m_w;
    QCOMPARE(statusText(w), QString("Successful"));
    QVERIFY(child<GaugeStatusBar>(w, "sbaNews")->PanelEnabled(2));
    QCOMPARE(label(w), QString("7/7"));
    auto* editor = child<HtmlEditor>(w, "edNewsHTMLEditor");
    QVERIFY(editor->isVisible() && !child<QWidget>(w, "edNewsText")->isVisible());
    QCOMPARE(editor->text(), QString("text 7"));
    // Moving with the editor's keys and the bound fields' Page Up.
    QTest::keyClick(editor, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(label(w), QString("6/7"));
    QTest::keyClick(child<QWidget>(w, "edNewsHeader"), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(label(w), QString("1/7"));
    QTest::keyClick(child<QWidget>(w, "edNewsHeader"), Qt::Key_PageDown);
    QTest::keyClick(child<QWidget>(w, "edNewsHeader"), Qt::Key_PageDown);
    QCOMPARE(label(w), QString("3/7"));
    QCOMPARE(editor->text(), QString("text 3"));
    // Typing reaches the item, each line followed by CR LF.
    editor->setFocus();
    editor->setCursorPosition(0, 4);
    QTest::keyClicks(editor, "ed");
    QCOMPARE(itemText(w), QString("texted 3\r\n"));
    // A click on the success sign clears the status text.
    QTest::mouseClick(child<GaugeStatusBar>(w, "sbaNews")->PanelWidget(2), Qt::LeftButton);
    QCOMPARE(statusText(w), QString());

    child(w, "siNewsPost")->trigger();
    QCOMPARE(w.NewsState(), ActivityState::Busy);
    QVERIFY(!child<QWidget>(w, "edNewsHeader")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(w.NewsState(), ActivityState::Idle, 20000);
    settle();
    QCOMPARE(statusText(w), QString("Successful"));
    QCOMPARE(label(w), QString("0/0"));
    QVERIFY(!editor->isVisible());
    const QByteArray posted = m_server->readFile("index.html");
    QVERIFY(posted.contains("texted 3\r\n<!-- SUBLINE -->"));
    QVERIFY(posted.contains("text 7<!-- SUBLINE -->footer 7"));
    QVERIFY(posted.startsWith("<html><head><title>Site</title></head>\r\n"));
}

void TestNewsEditor::newNewsOnFixedClock() {
    start();
    TfmMain& w = *m_w;
    w.SetNewsClock(std::make_shared<FixedNewsClock>(NewsDateTime{2000, 1, 15, 9, 5, 0}, 0));
    child(w, "siNewsNew")->trigger();
    QCOMPARE(label(w), QString("8/8"));
    QCOMPARE(itemText(w, news_field::kDate), QString("2000/01/15"));
    QCOMPARE(itemText(w, news_field::kTime), QString("09:05"));
    QCOMPARE(itemText(w, news_field::kName), QString("200001150509"));
    QCOMPARE(itemText(w, news_field::kHeader), QString("2000/01/15<br>"));
    QCOMPARE(child<HtmlEditor>(w, "edNewsHTMLEditor")->text(), QString());
    child(w, "miNewsDelete")->trigger();
    QCOMPARE(label(w), QString("7/7"));
    QCOMPARE(itemText(w, news_field::kName), QString("n7"));
    // Stop drops the items.
    child(w, "miNewsStop")->trigger();
    settle();
    QCOMPARE(w.NewsState(), ActivityState::Idle);
    QCOMPARE(label(w), QString("0/0"));
}

void TestNewsEditor::headerAndFooterEditor_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expected"); // in the posted page, before or after the section
    QTest::newRow("header, OK adds the line break")
        << "miNewsEditHeader"
        << "<html>new\n<!-- DATA -->" << true << "<html>new\r\n<!-- DATA -->\r\n";
    QTest::newRow("header, Cancel") << "siNewsEditHeader"
                                    << "<html>gone" << false << "<title>Site</title>";
    QTest::newRow("footer, OK") << "miNewsEditFooter"
                                << "<!-- /DATA -->\nend" << true << "<!-- /DATA -->\r\nend\r\n";
}

void TestNewsEditor::headerAndFooterEditor() {
    QFETCH(QString, command);
    QFETCH(QString, typed);
    QFETCH(bool, ok);
    QFETCH(QString, expected);
    start();
    QString shown;
    m_prompts.dialog = [&](QDialog& d) {
        auto* editor = qobject_cast<TfmEditor*>(&d);
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QString("Editor"));
        shown = editor->meEditor->toPlainText();
        // Escape and Enter close nothing.
        d.show();
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(d.isVisible());
        editor->meEditor->setPlainText(typed);
        (ok ? editor->btOK : editor->btCancel)->click();
    };
    child(*m_w, command.toLatin1().constData())->trigger();
    QVERIFY(!shown.isEmpty());
    child(*m_w, "miNewsPost")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_w->NewsState(), ActivityState::Idle, 20000);
    QVERIFY2(m_server->readFile("index.html").contains(expected.toLatin1()),
             m_server->readFile("index.html").constData());
}

void TestNewsEditor::passwordAskedAtEveryConnect() {
    int asked = 0;
    m_prompts.dialog = [&](QDialog& d) {
        auto* prompt = qobject_cast<TfmPassword*>(&d);
        QVERIFY(prompt);
        ++asked;
        prompt->edPassword->setText("me@home");
    };
    start({{"LoginPassword", ""}});
    QCOMPARE(asked, 1);
    child(*m_w, "miNewsPost")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_w->NewsState(), ActivityState::Idle, 20000);
    QCOMPARE(asked, 2);
    QCOMPARE(statusText(*m_w), QString("Successful"));
}

void TestNewsEditor::failedStartShowsTheFailure() {
    m_server = std::make_unique<FtpServer>();
    QVERIFY(m_server->writeFile("index.html", "<html>no section</html>"));
    writeNewsConfig(m_home->cfg(), *m_server, m_temp.path(), {});
    m_w = std::make_unique<TfmMain>(m_prompts);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
    child(*m_w, "miNewsStart")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_w->NewsState(), ActivityState::Idle, 20000);
    settle();
    QCOMPARE(statusText(*m_w), QString("Error: Analysing unsuccessful"));
    auto* bar = child<GaugeStatusBar>(*m_w, "sbaNews");
    QVERIFY(!bar->PanelEnabled(2) && bar->PanelEnabled(3));
    QVERIFY(child(*m_w, "miNewsStart")->isEnabled());
    // The failure sign clears the text too.
    QTest::mouseClick(bar->PanelWidget(3), Qt::LeftButton);
    QVERIFY(!bar->PanelEnabled(3) && statusText(*m_w).isEmpty());
}

void TestNewsEditor::droppedFiles() {
    start();
    auto* editor = child<HtmlEditor>(*m_w, "edNewsHTMLEditor");
    QTemporaryDir dir;
    const QString first = dir.filePath("first.txt"), second = dir.filePath("second.txt");
    for (const auto& [path, bytes] : {std::pair{first, QByteArray("dropped \xe4\r\n")},
                                      std::pair{second, QByteArray("second")}}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    bool accepted = false;
    dropFiles(editor->viewport(), {first, second}, &accepted);
    QVERIFY(accepted);
    QCOMPARE(editor->text(), QString::fromUtf8("dropped ä\r\n"));
    QCOMPARE(m_w->NewsSource.GetString(news_field::kText), std::string("dropped \xe4\r\n"));
    // Without a current item the editor is hidden and refuses the drop.
    child(*m_w, "miNewsStop")->trigger();
    dropFiles(editor->viewport(), {second}, &accepted);
    QVERIFY(!accepted);
}

void TestNewsEditor::wizardButtons() {
    ConfigTables tables(ConfigRole::Dialog);
    tables.ConfigSource.Append();
    tables.ConfigSource.SetString(0, "Name", "Site");
    TfmNewNewsfile wizard(tables.ConfigSource);
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    auto* previous = child<QPushButton>(wizard, "btPrevious");
    auto* next = child<QPushButton>(wizard, "btNext");
    auto* cancel = child<QPushButton>(wizard, "btCancel");
    auto* finish = child<QPushButton>(wizard, "btFinish");
    QCOMPARE(child<QLineEdit>(wizard, "edFilename")->text(), QString("/index.html"));
    QVERIFY(!previous->isEnabled() && next->isEnabled() && next->hasFocus());
    for (int page = 1; page <= 5; ++page) {
        next->click();
        QCOMPARE(wizard.PageIndex(), page);
        QVERIFY(previous->isEnabled());
        QCOMPARE(cancel->isVisible(), page < 5);
        QCOMPARE(finish->isVisible(), page == 5);
    }
    QVERIFY(!next->isEnabled() && finish->hasFocus());
    QVERIFY(!child<QPushButton>(wizard, "btPost")->isEnabled());
    previous->click();
    QVERIFY(cancel->isVisible() && !finish->isVisible() && next->isEnabled());
    next->click();
    finish->click();
    QCOMPARE(wizard.result(), int(TfmNewNewsfile::Finished));
}

QTEST_MAIN(TestNewsEditor)
#include "test_news_editor.moc"
