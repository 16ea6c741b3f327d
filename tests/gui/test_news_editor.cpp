// Guards: the news page like a user: Start, moving, typing, tag keys, Post, the window going
// mid-Post.
#include "core/news/NewsFormat.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/HtmlEditor.h"
#include "test_pane_support.h"

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

QString label(const TfmMain& w) {
    return child<QLabel>(w, "lbNewsPosition")->text();
}

QString statusText(const TfmMain& w) {
    return child<GaugeStatusBar>(w, "sbaNews")->Text(1);
}

QString itemText(TfmMain& w, const char* field = news_field::kText) {
    return QString::fromLatin1(w.NewsSource.GetString(field));
}
} // namespace

class TestNewsEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_f.reset(); }
    void startEditPost();
    void editorKeys();
    void windowGoesWhilePosting();

private:
    std::unique_ptr<FtpWindow> m_f;
};

// A window on a server holding the seven-item page, after a successful Start.
void TestNewsEditor::init() {
    m_f = std::make_unique<FtpWindow>();
    QVERIFY(m_f->server->writeFile("index.html", sevenItemPage()));
    m_f->open(false, {{"TemporaryDirectory", m_f->local.path().toStdString()},
                      {"SyntaxHighlight", "TRUE"}});
    m_f->w->GotoPage("tsNews");
    child(*m_f->w, "miNewsStart")->trigger();
    QCOMPARE(m_f->w->NewsState(), ActivityState::Busy);
    QTRY_COMPARE_WITH_TIMEOUT(m_f->w->NewsState(), ActivityState::Connected, 20000);
    settle();
}

void TestNewsEditor::startEditPost() {
    TfmMain& w = *m_f->w;
    QCOMPARE(statusText(w), QString("Successful"));
    QCOMPARE(label(w), QString("7/7"));
    auto* editor = child<HtmlEditor>(w, "edNewsHTMLEditor");
    QCOMPARE(editor->text(), QString("text 7"));
    editor->setFocus();
    emit editor->StatusChanged(); // a modification signal alone changes no item
    // Moving with the editor's keys and the bound fields' Page Up.
    QTest::keyClick(editor, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(label(w), QString("6/7"));
    QTest::keyClick(child<QWidget>(w, "edNewsHeader"), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(label(w), QString("1/7"));
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(child<QWidget>(w, "edNewsHeader"), Qt::Key_PageDown);
    QCOMPARE(label(w), QString("3/7"));
    QCOMPARE(editor->text(), QString("text 3"));
    // Typing reaches the item, each line followed by CR LF.
    editor->setFocus();
    editor->setCursorPosition(0, 4);
    QTest::keyClicks(editor, "ed");
    QCOMPARE(itemText(w), QString("texted 3\r\n"));
    child(w, "siNewsPost")->trigger();
    QCOMPARE(w.NewsState(), ActivityState::Busy);
    QVERIFY(!child<QWidget>(w, "edNewsHeader")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(w.NewsState(), ActivityState::Idle, 20000);
    settle();
    QCOMPARE(statusText(w), QString("Successful"));
    QCOMPARE(label(w), QString("0/0"));
    const QByteArray posted = m_f->server->readFile("index.html");
    QVERIFY(posted.contains("texted 3\r\n<!-- SUBLINE -->"));
    QVERIFY(posted.contains("text 7<!-- SUBLINE -->footer 7"));
    QVERIFY(posted.startsWith("<html><head><title>Site</title></head>\r\n"));
}

// The tag keys put their tags around the selection, the caret before the closing tag, as the
// next typed letter shows; the item gets the editor's lines each ended by CR LF.
void TestNewsEditor::editorKeys() {
    auto* editor = child<HtmlEditor>(*m_f->w, "edNewsHTMLEditor");
    editor->setFocus();
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const struct {
        const char* text;
        int from, to; // the selection in the first line
        int key;      // 0: no key, nothing typed
        Qt::KeyboardModifiers modifiers;
        const char* item;
    } table[] = {
        {"text 7", 0, 4, Qt::Key_B, ctrl, "<B>textX</B> 7\r\n"},
        {"text 7", 5, 5, Qt::Key_B, ctrl, "text <B>X</B>7\r\n"},
        {"text 7", 0, 4, Qt::Key_L, ctrl, "<A HREF=\"text\">X</A> 7\r\n"},
        {"text 7", 0, 4, Qt::Key_Return, Qt::ShiftModifier, "<BR>\r\nX 7\r\n"},
        {"a\rb\nc\r\n\r\nd", 0, 0, 0, {}, "a\r\nb\r\nc\r\n\r\nd\r\n"},
        {"a\n", 0, 0, 0, {}, "a\r\n"},
        {"", 0, 0, 0, {}, ""},
    };
    for (const auto& row : table) {
        editor->setText(row.text);
        editor->setSelection(0, row.from, 0, row.to);
        if (row.key) {
            QTest::keyClick(editor, Qt::Key(row.key), row.modifiers);
            QTest::keyClicks(editor, "X");
        }
        QCOMPARE(itemText(*m_f->w), QString(row.item));
    }
}

// The worker is cut and joined with the window; the page on the server stays whole.
void TestNewsEditor::windowGoesWhilePosting() {
    QTest::keyClicks(child<HtmlEditor>(*m_f->w, "edNewsHTMLEditor"), "new ");
    child(*m_f->w, "miNewsPost")->trigger();
    QCOMPARE(m_f->w->NewsState(), ActivityState::Busy);
    m_f->w.reset();
    const QByteArray page = m_f->server->readFile("index.html");
    QVERIFY2(page == sevenItemPage() ||
                 (page.contains("new text 7") && page.endsWith("</html>\r\n")),
             page.constData());
}

QTEST_MAIN(TestNewsEditor)
#include "test_news_editor.moc"
