// pagewright-cli's pane rows: local ls in the pane's orders with its errors, and ftp ls --rows
// against a real server (parent row, links by what they lead to, with MLSD and with LIST).
#include "support/CliRunner.h"
#include "support/FtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {
// "caption:image:size" per row ("-" for no size), or what is wrong with the output.
QString Rows(const CliRun& run) {
    if (run.exitCode != 0 || !run.err.isEmpty()) return "<failed: " + run.err + ">";
    QStringList rows;
    for (const QJsonValue& v : QJsonDocument::fromJson(run.out).array()) {
        const QJsonObject o = v.toObject();
        if (o.keys() != QStringList({"caption", "image", "modified", "size", "type"}))
            return "<keys: " + o.keys().join(',') + ">";
        rows << o["caption"].toString() + ":" + QString::number(o["image"].toInt()) + ":" +
                    (o["size"].isNull() ? "-" : QString::number(o["size"].toInteger()));
    }
    return rows.join(',');
}
} // namespace

class TestPaneCli : public QObject {
    Q_OBJECT

private slots:
    void localList();
    void remoteRows();
};

void TestPaneCli::localList() {
    QTemporaryDir dir;
    const QByteArray p = QFile::encodeName(dir.path());
    QVERIFY(QDir(dir.path()).mkdir("-old"));
    // "caf" + E9 is no UTF-8: it is shown through Windows-1252.
    for (const auto& [name, bytes] : {std::pair{"b.txt", "123456789"},
                                      {"a.zip", "1234567890"},
                                      {"README", ""},
                                      {"caf\xe9", "x"}}) {
        std::FILE* f = std::fopen(p + "/" + name, "w");
        QVERIFY(f && std::fputs(bytes, f) >= 0 && std::fclose(f) == 0);
    }
    QCOMPARE(Rows(RunCli({"local", "ls", dir.path()})),
             "-old:0:-,..:0:-,a.zip:1:10,b.txt:1:9,caf\u00e9:1:1,README:1:0");
    QCOMPARE(Rows(RunCli({"local", "ls", "--sort", "size", dir.path()})),
             "-old:0:-,..:0:-,README:1:0,caf\u00e9:1:1,b.txt:1:9,a.zip:1:10");
    std::remove(p + "/caf\xe9"); // a name QTemporaryDir cannot remove

    const CliRun missing = RunCli({"local", "ls", dir.filePath("missing")});
    QCOMPARE(missing.exitCode, 1);
    QCOMPARE(missing.err, "cannot list " + p + "/missing: No such file or directory\n");
    const CliRun badSort = RunCli({"local", "ls", dir.path(), "--sort", "date"});
    QCOMPARE(badSort.exitCode, 1);
    QCOMPARE(badSort.err, "--sort takes unsorted, name, extension, time or size, not \"date\"\n");
}

void TestPaneCli::remoteRows() {
    // Without MLSD the server lists links as "l" lines, each with the size of the link itself.
    for (const QStringList& serverArgs : {QStringList{}, QStringList{"--no-mlsd"}}) {
        FtpServer server(serverArgs);
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(server.makeDir("site/sub") && server.writeFile("site/page.html", "12345"));
        QVERIFY(QFile::link("sub", server.path("site/to-sub")));
        QVERIFY(QFile::link("page.html", server.path("site/to-page")));

        QCOMPARE(Rows(RunCli({"ftp", "ls", server.url() + "/", "--rows"})), "site:0:-");
        const QString linkSize = serverArgs.isEmpty() ? "5" : "9";
        QCOMPARE(Rows(RunCli({"ftp", "ls", server.url() + "/site", "--rows"})),
                 "..:2:-,sub:0:-,to-sub:0:-,page.html:1:5,to-page:1:" + linkSize);
    }
}

QTEST_GUILESS_MAIN(TestPaneCli)
#include "test_pane_cli.moc"
