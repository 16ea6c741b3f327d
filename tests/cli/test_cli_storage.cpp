// Guards: table and cfg commands: UTF-8 dumps, exact round trips, new, set, errors writing nothing.
#include "support/CliRunner.h"
#include "support/LocalFiles.h"

#include <QtTest>

namespace {
QString Corpus(const char* name) {
    return QString(PW_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_container/" + name;
}
} // namespace

class TestCliStorage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // "@NAME" is a file of the temporary folder; the tool runs with ARGS split at spaces.
    QString at(QString text) const { return text.replace("@", m_dir.path() + "/"); }
    CliRun cli(const QString& args) const { return RunCli(at(args).split(' ')); }

private slots:
    // @c: two configurations made by cfg new; @damaged: a configuration file cut short.
    void initTestCase() {
        for (const char* entry : {"One", "Zwei_\xC3\xBC"})
            QVERIFY(cli("cfg new @c --name " + QString::fromUtf8(entry) +
                        " --host 127.0.0.1:2121 --login me --password abc --temp-dir /tmp/t")
                        .exitCode == 0);
        QVERIFY(WriteLocal(file("damaged"), ReadLocal(Corpus("rich.cfg")).chopped(9)));
    }

    // Exact for the known tables; a table the program does not name is dropped; dumps show
    // Windows-1252 text as UTF-8.
    void roundTrips() {
        const auto trip = [&](const char* group, const QString& in, const QString& out) {
            const bool ok = RunCli({group, "roundtrip", in, file(out)}).exitCode == 0;
            return ok ? ReadLocal(file(out)) : QByteArray("<failed>");
        };
        const CliRun dumped = RunCli({"table", "dump", Corpus("table.tab")});
        QCOMPARE(QJsonDocument::fromJson(dumped.out)["records"][0]["Text"].toString(), "täxt");
        QCOMPARE(trip("cfg", Corpus("wizard.cfg"), "wizard"), ReadLocal(Corpus("wizard.cfg")));
        QCOMPARE(trip("table", Corpus("table.tab"), "tab"), ReadLocal(Corpus("table.tab")));
        const QByteArray once = trip("cfg", Corpus("rich.cfg"), "once");
        QVERIFY(!once.contains("Links") && once.startsWith(QByteArray::fromHex("03000000")));
    }

    // Each new appends a configuration; set writes one value, adding the field where missing.
    void newAndSet() {
        QCOMPARE(cli("cfg set @c Settings VisibleMenuFTP TRUE").exitCode, 0);
        QCOMPARE(cli("cfg set @c Configuration FTPTimeout 060 --record 1").exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(cli("cfg dump @c").out).object();
        const QJsonArray configs = json["Configuration"]["records"].toArray();
        QStringList values{json["Settings"]["records"][0]["VisibleMenuFTP"].toString()};
        for (const char* field : {"Name", "LoginPassword", "TemporaryDirectory", "FTPTimeout"})
            values << configs[0][field].toString() + "|" + configs[1][field].toString();
        QCOMPARE(values, (QStringList{"TRUE", "One|Zwei_ü", "\u017E\u009D\u0153|\u017E\u009D\u0153",
                                      "/tmp/t|/tmp/t", "60|060"})); // password 9E 9D 9C
    }

    // Status 1 and one line on stderr; no output file, the configuration left as it was.
    void failuresWriteNothing() {
        const char* const rows[][2] = {
            {"cfg roundtrip @none.cfg @out", "Cannot open file @none.cfg (no such file)"},
            {"cfg dump @none.cfg", "Cannot open file @none.cfg (no such file)"},
            {"cfg roundtrip @damaged @out", "The file @damaged is damaged: table \"Translation\""},
            {"table roundtrip @damaged @out", "The file @damaged is damaged: "},
            {"table dump", "usage: pagewright-cli table dump FILE"},
            {"table roundtrip @damaged", "usage: pagewright-cli table roundtrip IN OUT"},
            {"table sort @damaged", "unknown table command \"sort\" (dump, roundtrip)"},
            {"cfg copy @c", "unknown cfg command \"copy\" (dump, roundtrip, new, set)"},
            {"nothing", "unknown command group \"nothing\" (table, cfg, news, ftp, local)"},
            {"cfg new @out --name x --host h --login l", "cfg new needs --password"},
            {"cfg new @out --name \xE4\xB8\x80", "text is not UTF-8"},
            {"cfg set @c Links a b", "no table \"Links\" (Settings, Configuration, Translation)"},
            {"cfg set @c Configuration a b --record 2", "table \"Configuration\" has no record 2"},
            {"cfg set @c Settings a b --record -1", "table \"Settings\" has no record -1"},
            {"cfg set @c Settings Name", "usage: pagewright-cli cfg set FILE TABLE FIELD VALUE"},
        };
        const QByteArray cfg = ReadLocal(file("c"));
        for (const auto& [args, message] : rows) {
            const CliRun r = cli(args);
            QVERIFY2(r.exitCode == 1 && r.err.startsWith(at(message).toUtf8()) &&
                         r.err.count('\n') == 1 && r.out.isEmpty(),
                     qPrintable(args + QString(": ") + r.err));
            QVERIFY(!QFile::exists(file("out")) && ReadLocal(file("c")) == cfg);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliStorage)
#include "test_cli_storage.moc"
