// Guards: the pane rows of local ls (orders, errors) and of ftp ls --rows (links probed in LIST).
#include "support/CliRunner.h"
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include <QtTest>

#include <cstdio>
#include <fstream>

namespace {
// "caption:image:size" per row ("-" for no size), or what is wrong with the output.
QString Rows(const QStringList& args) {
    const CliRun run = RunCli(args);
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
    void localList() {
        QTemporaryDir dir;
        const std::string root = QFile::encodeName(dir.path()).toStdString();
        QVERIFY(QDir(dir.path()).mkdir("-old"));
        // "caf\xe9": a Windows-1252 name.
        for (const auto& [name, size] :
             {std::pair{"b.txt", 9}, {"a.zip", 10}, {"README", 0}, {"caf\xe9", 1}})
            QVERIFY((std::ofstream(root + "/" + name) << std::string(size, 'x')).good());
        QCOMPARE(Rows({"local", "ls", dir.path()}),
                 "-old:0:-,..:0:-,a.zip:1:10,b.txt:1:9,caf\u00e9:1:1,README:1:0");
        QCOMPARE(Rows({"local", "ls", "--sort", "size", dir.path()}),
                 "-old:0:-,..:0:-,README:1:0,caf\u00e9:1:1,b.txt:1:9,a.zip:1:10");
        std::remove((root + "/caf\xe9").c_str()); // a name QTemporaryDir cannot remove
        QCOMPARE(Rows({"local", "ls", dir.filePath("missing")}),
                 "<failed: cannot list " + dir.filePath("missing") +
                     ": No such file or directory\n>");
        QCOMPARE(Rows({"local", "ls", dir.path(), "--sort", "date"}),
                 "<failed: --sort takes unsorted, name, extension, time or size, not \"date\"\n>");
    }

    // Listed without MLSD, links come as "l" lines of their own size; probed for folders.
    void remoteRows() {
        FtpServer server({"--no-mlsd"});
        QVERIFY(server.isRunning() && server.makeDir("site/sub") &&
                server.writeFile("site/page.html", "12345") &&
                QFile::link("sub", server.path("site/to-sub")) &&
                QFile::link("page.html", server.path("site/to-page")));
        QCOMPARE(Rows({"ftp", "ls", server.url() + "/", "--rows"}), "site:0:-");
        QCOMPARE(Rows({"ftp", "ls", server.url() + "/site", "--rows"}),
                 "..:2:-,sub:0:-,to-sub:0:-,page.html:1:5,to-page:1:9");
    }
};

QTEST_GUILESS_MAIN(TestPaneCli)
#include "test_pane_cli.moc"
