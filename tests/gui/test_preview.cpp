// The preview plug-in and its loader: found beside the program and silent when absent; a real
// modal window over the main window, showing the page with its style sheet and picture, that
// survives odd input and returns when closed.
#include "gui/news/PreviewLibrary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <climits>

namespace {

bool noDisplay = false;
QStringList messages;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    messages << text;
}

// Watches for the preview window from inside its own event loop: records it when it is shown
// (before any page event can arrive), waits until the page has loaded and, when one is
// expected, shows pageTitle, then closes the window.
class PreviewWatcher : public QObject {
public:
    explicit PreviewWatcher(QString pageTitle, bool waitForLoad = true)
        : m_pageTitle(std::move(pageTitle)), m_waitForLoad(waitForLoad) {
        qApp->installEventFilter(this);
        connect(&m_poll, &QTimer::timeout, this, &PreviewWatcher::poll);
    }

    bool seen = false;
    QString title;
    QRect geometry;
    bool modal = false;
    QString pageTitle;
    QList<bool> loads; // the argument of each loadFinished

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && object->objectName() == "fmPreview" && !seen) {
            m_window = qobject_cast<QWidget*>(object);
            seen = true;
            title = m_window->windowTitle();
            geometry = m_window->geometry();
            modal = m_window->isModal();
            m_view = m_window->findChild<QWidget*>("wvPreview");
            if (m_view) m_loaded = std::make_unique<QSignalSpy>(m_view, SIGNAL(loadFinished(bool)));
            m_started.start();
            m_poll.start(20);
        }
        return false;
    }

private:
    void poll() {
        const bool loaded = !m_waitForLoad || (m_loaded && !m_loaded->isEmpty());
        if (m_view) pageTitle = m_view->property("title").toString();
        const bool titled = m_pageTitle.isEmpty() || pageTitle == m_pageTitle;
        // The time limit only keeps a broken page from hanging the test; the checks fail then.
        if ((loaded && titled) || m_started.hasExpired(60000)) {
            if (m_loaded)
                for (const QList<QVariant>& call : *m_loaded)
                    loads << call.at(0).toBool();
            m_poll.stop();
            qApp->removeEventFilter(this);
            m_window->close();
        }
    }

    QString m_pageTitle;
    bool m_waitForLoad;
    QTimer m_poll;
    QElapsedTimer m_started;
    QWidget* m_window = nullptr;
    QWidget* m_view = nullptr;
    std::unique_ptr<QSignalSpy> m_loaded;
};

using PreviewFunction = void (*)(int, int, int, int, const char*, const char*);

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loader_data();
    void loader();
    void showsPageOverMainWindow();
    void oddInput_data();
    void oddInput();
};

void TestPreview::initTestCase() {
    if (noDisplay) QSKIP("the web view needs an X display: run under xvfb-run");
}

void TestPreview::loader_data() {
    QTest::addColumn<bool>("beside");
    QTest::addColumn<QByteArray>("fileContents"); // planted as the library file when not beside
    QTest::newRow("beside the program") << true << QByteArray();
    QTest::newRow("folder without it") << false << QByteArray();
    QTest::newRow("damaged library file") << false
                                          << QByteArray("\x7f"
                                                        "ELF not really",
                                                        16);
}

void TestPreview::loader() {
    QFETCH(bool, beside);
    QFETCH(QByteArray, fileContents);
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    if (!fileContents.isEmpty()) {
        QFile planted(empty.filePath("libPagewright2Preview.so"));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write(fileContents);
    }
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    {
        PreviewLibrary library(beside ? QStringLiteral(PW_PREVIEW_DIR) : empty.path());
        QCOMPARE(library.Loaded(), beside);
        if (!beside) QVERIFY(!library.Show(QRect(0, 0, 400, 300), "Konfig", "page.html"));
    }
    qInstallMessageHandler(previous);
    QCOMPARE(messages, QStringList());
}

void TestPreview::showsPageOverMainWindow() {
    // The program previews a page it wrote as "tempfile.tmp" in Windows-1252 (E4 is ä), with
    // the site's style sheet and pictures in the same folder, which may have any name.
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(QDir(temp.path()).mkdir(QString::fromUtf8("Site ä")));
    const QDir site(temp.filePath(QString::fromUtf8("Site ä")));
    QFile page(site.filePath("tempfile.tmp"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>\r\n"
               "<h1 id=\"h\">Neuigkeiten \xE4</h1><img id=\"i\" src=\"bild.png\">\r\n"
               "<script>window.onload = function() {\r\n"
               "  var h = document.getElementById('h'), i = document.getElementById('i');\r\n"
               "  document.title = h.textContent + '|' + getComputedStyle(h).color + '|' +\r\n"
               "                   i.naturalWidth + 'x' + i.naturalHeight; };</script>\r\n"
               "</body></html>\r\n");
    page.close();
    QFile css(site.filePath("style.css"));
    QVERIFY(css.open(QIODevice::WriteOnly));
    css.write("h1 { color: rgb(0, 128, 0); }\n");
    css.close();
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(site.filePath("bild.png")));

    PreviewLibrary library(QStringLiteral(PW_PREVIEW_DIR));
    QVERIFY(library.Loaded());
    PreviewWatcher watcher(QString::fromUtf8("Neuigkeiten ä|rgb(0, 128, 0)|7x5"));
    const QRect mainWindow(40, 30, 640, 480);
    QVERIFY(library.Show(mainWindow, QString::fromUtf8("Zeitung ä"), page.fileName()));

    QVERIFY(watcher.seen);
    QCOMPARE(watcher.title, QString::fromUtf8("Zeitung ä"));
    QCOMPARE(watcher.geometry, mainWindow);
    QVERIFY(watcher.modal);
    QCOMPARE(watcher.loads, QList<bool>{true});
    QCOMPARE(watcher.pageTitle, QString::fromUtf8("Neuigkeiten ä|rgb(0, 128, 0)|7x5"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestPreview::oddInput_data() {
    QTest::addColumn<QList<int>>("over");  // left, top, width, height
    QTest::addColumn<QByteArray>("title"); // null: a null pointer is passed
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<bool>>("loads");
    const QList<int> plain{10, 10, 300, 200};
    QTest::newRow("missing file") << plain << QByteArray("Konfig")
                                  << QByteArray("/nonexistent/fehlt.html") << QList<bool>{false};
    QTest::newRow("null title and file") << plain << QByteArray() << QByteArray() << QList<bool>{};
    QTest::newRow("long title and path")
        << plain << QByteArray(5000, 'T') + "\xC3\xA4"
        << "/" + QByteArray(9000, 'd') + "/x.html" << QList<bool>{false};
    QTest::newRow("rectangle beyond any screen")
        << QList<int>{INT_MAX, INT_MIN, INT_MAX, -5} << QByteArray("R") << QByteArray()
        << QList<bool>{};
}

void TestPreview::oddInput() {
    QFETCH(QList<int>, over);
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, file);
    QFETCH(QList<bool>, loads);
    QLibrary library(QStringLiteral(PW_PREVIEW_DIR "/Pagewright2Preview"));
    library.setLoadHints(QLibrary::PreventUnloadHint);
    auto preview = reinterpret_cast<PreviewFunction>(library.resolve("PreviewHtmlFile"));
    QVERIFY(preview);
    PreviewWatcher watcher(QString(), !loads.isEmpty());
    preview(over[0], over[1], over[2], over[3], title.isNull() ? nullptr : title.constData(),
            file.isNull() ? nullptr : file.constData());
    QVERIFY(watcher.seen);
    QCOMPARE(watcher.title, QString::fromUtf8(title));
    QCOMPARE(watcher.loads, loads);
}

int main(int argc, char** argv) {
    // As in the program: the web engine shares OpenGL contexts, set before the app exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
        noDisplay = true;
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TestPreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_preview.moc"
