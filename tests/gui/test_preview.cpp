// Guards: the preview plug-in: a modal window over the main window showing the page as written.
#include "gui/news/PreviewLibrary.h"
#include "test_dlg_helpers.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>

namespace {
bool noDisplay = false;
QStringList messages;

struct Seen {
    QString title, page; // the window's title, and the page's once it has loaded
    QRect geometry;
};

// Records the preview window once it shows, waits (a minute at most) until its page carries
// `pageTitle` when one is expected, then closes it.
std::shared_ptr<bool> watch(std::shared_ptr<Seen> seen, const QString& pageTitle = {}) {
    return whenModal<QDialog>([seen, pageTitle](QDialog* window) {
        seen->title = window->windowTitle();
        seen->geometry = window->geometry();
        QObject* view = window->findChild<QObject*>("wvPreview");
        QVERIFY(view);
        if (!pageTitle.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(view->property("title").toString(), pageTitle, 60000);
        seen->page = view->property("title").toString();
        window->close();
    });
}
} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (noDisplay) QSKIP("the web view needs an X display: run under xvfb-run");
    }
    void loader_data();
    void loader();
    void showsPageOverMainWindow();
    void oddInput();
};

void TestPreview::loader_data() {
    QTest::addColumn<QByteArray>("planted"); // null: load from beside the program
    QTest::newRow("beside the program") << QByteArray();
    QTest::newRow("folder without it") << QByteArray("");
    QTest::newRow("damaged library file") << QByteArray("\x7f"
                                                        "ELF not really",
                                                        16);
}

void TestPreview::loader() {
    QFETCH(QByteArray, planted);
    QTemporaryDir empty;
    QFile file(empty.filePath("libPagewright2Preview.so"));
    if (!planted.isEmpty()) QVERIFY(file.open(QIODevice::WriteOnly) && file.write(planted) > 0);
    file.close();
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages << text; });
    {
        PreviewLibrary library(planted.isNull() ? QStringLiteral(PW_PREVIEW_DIR) : empty.path());
        QCOMPARE(library.Loaded(), planted.isNull());
        if (!planted.isNull()) QVERIFY(!library.Show(QRect(0, 0, 400, 300), "Konfig", "p.html"));
    }
    qInstallMessageHandler(previous);
    QCOMPARE(messages, QStringList()); // a missing plug-in is no error
}

void TestPreview::showsPageOverMainWindow() {
    // The page as the program writes it: Windows-1252 (E4 is ä), in a folder of any name,
    // next to the site's style sheet and picture.
    QTemporaryDir temp;
    const QDir site(temp.filePath(QString::fromUtf8("Site ä")));
    QVERIFY(site.mkpath("."));
    const QList<std::pair<QString, QByteArray>> files{
        {"tempfile.tmp",
         "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>\r\n"
         "<h1 id=\"h\">Neuigkeiten \xE4</h1><img id=\"i\" src=\"bild.png\">\r\n"
         "<script>window.onload = function() {\r\n"
         "  var h = document.getElementById('h'), i = document.getElementById('i');\r\n"
         "  document.title = h.textContent + '|' + getComputedStyle(h).color + '|' +\r\n"
         "                   i.naturalWidth + 'x' + i.naturalHeight; "
         "};</script></body></html>\r\n"},
        {"style.css", "h1 { color: rgb(0, 128, 0); }\n"}};
    for (const auto& [name, bytes] : files) {
        QFile file(site.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(site.filePath("bild.png")));

    PreviewLibrary library(QStringLiteral(PW_PREVIEW_DIR));
    const QString expected = QString::fromUtf8("Neuigkeiten ä|rgb(0, 128, 0)|7x5");
    auto seen = std::make_shared<Seen>();
    auto shown = watch(seen, expected);
    const QRect mainWindow(40, 30, 640, 480);
    QVERIFY(
        library.Show(mainWindow, QString::fromUtf8("Zeitung ä"), site.filePath("tempfile.tmp")));
    QVERIFY(*shown);
    QCOMPARE(seen->title, QString::fromUtf8("Zeitung ä"));
    QCOMPARE(seen->geometry, mainWindow);
    QCOMPARE(seen->page, expected);
}

// Null pointers and a rectangle no screen holds still show a window, and return.
void TestPreview::oddInput() {
    QLibrary library(QStringLiteral(PW_PREVIEW_DIR "/Pagewright2Preview"));
    library.setLoadHints(QLibrary::PreventUnloadHint);
    using Preview = void (*)(int, int, int, int, const char*, const char*);
    auto preview = reinterpret_cast<Preview>(library.resolve("PreviewHtmlFile"));
    QVERIFY(preview);
    for (const QList<int>& over : {QList<int>{10, 10, 300, 200}, {INT_MAX, INT_MIN, INT_MAX, -5}}) {
        auto seen = std::make_shared<Seen>();
        auto shown = watch(seen);
        preview(over[0], over[1], over[2], over[3], nullptr, nullptr);
        QVERIFY(*shown);
        QCOMPARE(seen->title, QString());
    }
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
