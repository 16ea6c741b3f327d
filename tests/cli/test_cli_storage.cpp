// pagewright-cli table and cfg commands, run as a user would run them.
#include "core/config/ConfigSchema.h"
#include "support/CliRunner.h"

#include <QtTest>

using namespace pw;

namespace {
using Run = CliRun;

Run cli(const QStringList& args) {
    return RunCli(args);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString corpus(const char* name) {
    return QString(PW_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_container/" + name;
}
} // namespace

class TestCliStorage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void tableDumpShowsUtf8() {
        writeFile(file("default.tab"),
                  QByteArray::fromStdString(DefaultTranslationBinData().substr(4)));
        const Run r = cli({"table", "dump", file("default.tab")});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(json["fields"].toArray(), QJsonArray({"Ascii", "Html"}));
        const QJsonArray records = json["records"].toArray();
        QCOMPARE(records.size(), 7);
        QCOMPARE(records[0].toObject()["Ascii"].toString(), QString::fromUtf8("ä"));
        QCOMPARE(records[0].toObject()["Html"].toString(), QString("&auml;"));
        QCOMPARE(records[6].toObject()["Ascii"].toString(), QString::fromUtf8("ß"));
    }

    void roundTripsAreExact_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::newRow("wizard file") << "cfg" << corpus("wizard.cfg");
        QTest::newRow("table of every type") << "table" << corpus("table.tab");
    }
    void roundTripsAreExact() {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        const Run r = cli({kind, "roundtrip", input, file("out")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readFile(file("out")), readFile(input));
    }

    void unknownTablesAreDropped() {
        // The rich file holds a "Links" table that the program does not name.
        QCOMPARE(cli({"cfg", "roundtrip", corpus("rich.cfg"), file("once")}).exitCode, 0);
        const QByteArray once = readFile(file("once"));
        QVERIFY(!once.contains("Links"));
        QCOMPARE(once.left(4), QByteArray::fromHex("03000000"));
        QCOMPARE(cli({"cfg", "roundtrip", file("once"), file("twice")}).exitCode, 0);
        QCOMPARE(readFile(file("twice")), once);
    }

    void newAppendsConfigurations() {
        const QString cfg = file("new.cfg");
        QFile::remove(cfg);
        for (const char* name : {"One", "Zwei \xC3\xBC"}) {
            const Run r = cli({"cfg", "new", cfg, "--name", QString::fromUtf8(name), "--host",
                               "127.0.0.1:2121", "--login", "me", "--password", "abc", "--temp-dir",
                               "/tmp/t", "--local-dir", "/tmp/l"});
            QCOMPARE(r.exitCode, 0);
            QVERIFY(r.err.isEmpty());
        }
        const Run dump = cli({"cfg", "dump", cfg});
        QCOMPARE(dump.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(dump.out).object();
        const QJsonArray configs = json["Configuration"].toObject()["records"].toArray();
        QCOMPARE(configs.size(), 2);
        QCOMPARE(configs[1].toObject()["Name"].toString(), QString::fromUtf8("Zwei ü"));
        QCOMPARE(configs[0].toObject()["LoginPassword"].toString(),
                 QString::fromUtf16(u"\u017E\u009D\u0153")); // bytes 9E 9D 9C
        QCOMPARE(configs[0].toObject()["TemporaryDirectory"].toString(), QString("/tmp/t"));
        QCOMPARE(json["Settings"].toObject()["records"].toArray().size(), 1);
        QCOMPARE(json["Translation"].toObject()["records"].toArray().size(), 7);
    }

    void setWritesOneValue() {
        const QString cfg = file("set.cfg");
        QFile::remove(cfg);
        QCOMPARE(cli({"cfg", "new", cfg, "--name", "One", "--host", "h", "--login", "l",
                      "--password", "p"})
                     .exitCode,
                 0);
        const QByteArray before = readFile(cfg);
        QCOMPARE(cli({"cfg", "set", cfg, "Settings", "VisibleMenuFTP", "TRUE"}).exitCode, 0);
        QCOMPARE(cli({"cfg", "set", cfg, "Configuration", "FTPTimeout", "060", "--record", "0"})
                     .exitCode,
                 0);
        const Run refused = cli({"cfg", "set", cfg, "Configuration", "Name", "x", "--record", "1"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.err.contains("has no record 1"));
        const QJsonObject json = QJsonDocument::fromJson(cli({"cfg", "dump", cfg}).out).object();
        QCOMPARE(json["Settings"].toObject()["records"].toArray()[0].toObject()["VisibleMenuFTP"],
                 QJsonValue("TRUE"));
        QCOMPARE(json["Configuration"].toObject()["records"].toArray()[0].toObject()["FTPTimeout"],
                 QJsonValue("060"));
        // Everything else is kept byte for byte: the old file is a prefix up to the new field.
        QVERIFY(readFile(cfg).size() > before.size());
    }

    void failuresSayWhatAndWriteNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << QStringList{"cfg", "roundtrip", "/nonexistent.cfg", "OUT"}
                                      << "Cannot open file /nonexistent.cfg";
        QTest::newRow("damaged cfg")
            << QStringList{"cfg", "roundtrip", "DAMAGED", "OUT"} << "is damaged";
        QTest::newRow("damaged table")
            << QStringList{"table", "roundtrip", "DAMAGED", "OUT"} << "is damaged";
        QTest::newRow("bad usage") << QStringList{"table", "dump"} << "usage:";
        QTest::newRow("unknown group") << QStringList{"nothing"} << "unknown command group";
        QTest::newRow("missing option")
            << QStringList{"cfg", "new", "OUT", "--name", "x"} << "cfg new needs --host";
    }
    void failuresSayWhatAndWriteNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QByteArray damaged = readFile(corpus("rich.cfg"));
        damaged.chop(9);
        writeFile(file("damaged"), damaged);
        QFile::remove(file("out"));
        args.replaceInStrings("DAMAGED", file("damaged"));
        args.replaceInStrings("OUT", file("out"));
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(file("out")));
    }
};

QTEST_GUILESS_MAIN(TestCliStorage)
#include "test_cli_storage.moc"
