// Table streams and container files: exact bytes, round trips, damaged data.
#include "core/config/ConfigSchema.h"
#include "core/storage/ByteStream.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBFile.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

#include <QtTest>

using namespace pw;

namespace {
std::string hex(const char* text) {
    return QByteArray::fromHex(text).toStdString();
}

// The default translation table as its 171-byte table stream, written out byte by byte.
std::string defaultTranslationStream() {
    std::string s = hex("DBDB0100 00000000 02000000 05000000") + "Ascii" + hex("04000000") +
                    "Html" + hex("07000000");
    for (const char* c : {"E4", "F6", "FC", "C4", "D6", "DC", "DF"})
        s += hex("0208010000 00") + hex(c);
    s += hex("07000000");
    for (const char* e : {"&auml;", "&ouml;", "&uuml;", "&Auml;", "&Ouml;", "&Uuml;"})
        s += hex("0208 06000000") + e;
    s += hex("0208 07000000") + "&szlig;";
    return s;
}

std::string save(TnkDBSource& source) {
    ByteWriter out;
    source.SaveToStream(out);
    return out.take();
}

struct Table {
    TnkDBData data;
    TnkDBSource source{&data};
    explicit Table(TnkDBFieldCollection fields = {}) {
        source.DBFields = std::move(fields);
        source.Loaded();
    }
    void load(const std::string& bytes) {
        ByteReader in(bytes);
        source.LoadFromStream(in);
    }
};

// A container with three tables, one of every value type among them, and a nested table.
std::string richContainer() {
    Table a, b, c;
    TnkTable& t = a.data.Table();
    t.AddField("Int");
    t.AddField("Text");
    t.AddField("Lines");
    t.AddField("Bytes");
    t.AddField("Nested");
    t.AddField("Empty");
    for (int r = 0; r < 3; ++r) {
        t.AppendRecord();
        t.WriteInteger(0, r, -7 * (r + 1));
        t.WriteString(1, r, "t\xE4xt " + std::to_string(r));
        t.Value(2, r).SetDataType(dtStrings);
        t.Value(2, r).Strings() = {"l1", "", "l3"};
        t.Value(3, r).SetDataType(dtStream);
        t.Value(3, r).Stream() = std::string("\0\1\2\xFF", 4);
        t.Value(4, r).SetDataType(dtTable);
        TnkTable& nested = t.Value(4, r).Table();
        nested.AddField("X");
        nested.AppendRecord();
        nested.WriteString(0, 0, "inner");
    }
    b.data.Table().AddField("Name");
    b.source.Append();
    b.source.SetString(0, "Name", "second");
    ByteReader in(std::string_view(DefaultTranslationBinData()).substr(4));
    c.source.LoadFromStream(in);
    TnkDBFile file;
    file.DBSources = {
        {"Settings", &a.source}, {"Configuration", &b.source}, {"Translation", &c.source}};
    ByteWriter out;
    file.SaveToStream(out);
    return out.take();
}
} // namespace

class TestStorageStream : public QObject {
    Q_OBJECT
private slots:
    void defaultTranslationBytes() {
        const std::string expected = defaultTranslationStream();
        QCOMPARE(expected.size(), size_t(171));
        const std::string& bin = DefaultTranslationBinData();
        QCOMPARE(bin.size(), size_t(175));
        QCOMPARE(bin.substr(0, 4), hex("AB000000"));
        QCOMPARE(bin.substr(4), expected);

        TnkDBData data;
        data.SetBinData(bin);
        TnkDBSource source(&data);
        source.Loaded();
        QCOMPARE(source.RecordCount(), 7);
        QCOMPARE(source.GetString(6, "Html"), std::string("&szlig;"));
        QCOMPARE(save(source), expected);
    }

    void emptyTable() {
        Table t;
        QCOMPARE(save(t.source), hex("DBDB0100 00000000 00000000"));
        Table defined({{"A", "x"}});
        defined.load(hex("DBDB0100 00000000 00000000"));
        QCOMPARE(defined.data.Table().FieldCount(), 1);
        QCOMPARE(defined.data.Table().FieldName(0), std::string("A"));
    }

    void valueKindsAsStored_data() {
        QTest::addColumn<QByteArray>("value"); // one value as stored
        QTest::addColumn<QByteArray>("resaved");
        QTest::addColumn<QByteArray>("reading");
        QTest::newRow("never written")
            << QByteArray::fromHex("0000") << QByteArray::fromHex("0000") << QByteArray();
        QTest::newRow("emptied integer")
            << QByteArray::fromHex("0005") << QByteArray::fromHex("0005") << QByteArray();
        QTest::newRow("integer") << QByteArray::fromHex("0105FFFFFFFF")
                                 << QByteArray::fromHex("0105FFFFFFFF") << QByteArray("-1");
        // A stored text that reads as a number becomes an integer but keeps its kind byte.
        QTest::newRow("text 60") << QByteArray::fromHex("0208020000003630")
                                 << QByteArray::fromHex("01083C000000") << QByteArray("60");
        QTest::newRow("text 060") << QByteArray::fromHex("020803000000303630")
                                  << QByteArray::fromHex("020803000000303630") << QByteArray("060");
        QTest::newRow("empty text") << QByteArray::fromHex("020800000000")
                                    << QByteArray::fromHex("020800000000") << QByteArray();
        QTest::newRow("text 0 stays empty text")
            << QByteArray::fromHex("02080100000030") << QByteArray::fromHex("020800000000")
            << QByteArray();
        QTest::newRow("odd kind kept") << QByteArray::fromHex("02630100000041")
                                       << QByteArray::fromHex("02630100000041") << QByteArray("A");
        QTest::newRow("text with NUL") << QByteArray::fromHex("020803000000410042")
                                       << QByteArray::fromHex("02080100000041") << QByteArray("A");
    }
    void valueKindsAsStored() {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, resaved);
        QFETCH(QByteArray, reading);
        const std::string head = hex("DBDB0100 00000000 01000000 01000000") + "V" + hex("01000000");
        Table t;
        t.load(head + value.toStdString());
        QCOMPARE(QByteArray::fromStdString(t.source.GetString(0, "V")), reading);
        const std::string out = save(t.source);
        QCOMPARE(QByteArray::fromStdString(out.substr(head.size())), resaved);
    }

    void everyTypeRoundTrips() {
        const std::string container = richContainer();
        Table a, b, c;
        TnkDBFile file;
        file.DBSources = {
            {"Settings", &a.source}, {"Configuration", &b.source}, {"Translation", &c.source}};
        ByteReader in(container);
        file.LoadFromStream(in);
        QVERIFY(in.atEnd());
        QCOMPARE(a.source.GetString(1, "Lines"), std::string("l1\r\n\r\nl3\r\n"));
        QCOMPARE(a.source.GetInteger(2, "Int"), -21);
        QCOMPARE(a.data.Table().Value(3, 0).Stream(), std::string("\0\1\2\xFF", 4));
        QCOMPARE(a.data.Table().Value(4, 1).Table().Value(0, 0).String(), std::string("inner"));
        QCOMPARE(b.source.GetString(0, "Name"), std::string("second"));
        ByteWriter out;
        file.SaveToStream(out);
        QCOMPARE(out.data(), container);
    }

    void containerEntries() {
        Table settings, config;
        TnkDBFile writer;
        Table links;
        links.data.Table().AddField("Url");
        links.source.Append();
        links.source.SetString(0, "Url", "http://x");
        settings.data.Table().AddField("S");
        settings.source.Append();
        settings.source.SetString(0, "S", "one");
        writer.DBSources = {{"Links", &links.source},
                            {"settings", &settings.source},
                            {"Configuration", &settings.source}};
        ByteWriter out;
        writer.SaveToStream(out);

        Table s2, c2;
        TnkDBFile reader;
        reader.DBSources = {{"Settings", &s2.source}, {"Configuration", &c2.source}};
        std::vector<std::string> unknown;
        reader.OnUnknownSource = [&](TnkDBFile&, const std::string& name, ByteReader&) {
            unknown.push_back(name);
        };
        ByteReader in(out.data());
        reader.LoadFromStream(in);
        QCOMPARE(unknown, (std::vector<std::string>{"Links", "settings"}));
        QCOMPARE(s2.data.Table().FieldCount(), 0); // "settings" is not "Settings"
        QCOMPARE(c2.source.GetString(0, "S"), std::string("one"));
        (void)config;
    }

    void loadAddsDefinedFields() {
        Table source({{"Ascii", ""}, {"Html", ""}, {"Extra", "dflt"}});
        source.load(defaultTranslationStream());
        QCOMPARE(source.data.Table().FieldCount(), 3);
        QCOMPARE(source.source.GetString(4, "Extra"), std::string("dflt"));
        QCOMPARE(source.source.RecNo(), 0);
        // Fields the stream has beyond the definitions remain.
        Table narrow({{"Html", ""}});
        narrow.load(defaultTranslationStream());
        QCOMPARE(narrow.data.Table().FieldCount(), 2);
    }

    void damagedStreams_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray head = QByteArray::fromHex("DBDB0100 00000000 01000000 01000000") + "V";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("wrong signature") << QByteArray::fromHex("DBDB0200 00000000 00000000");
        QTest::newRow("huge field count") << QByteArray::fromHex("DBDB0100 00000000 FFFFFFFF");
        QTest::newRow("huge name") << QByteArray::fromHex("DBDB0100 FFFFFF7F");
        QTest::newRow("huge value count") << head + QByteArray::fromHex("FFFFFFFF0000");
        QTest::newRow("type 6") << head + QByteArray::fromHex("010000000608");
        QTest::newRow("type 255") << head + QByteArray::fromHex("01000000FF08");
        QTest::newRow("short integer") << head + QByteArray::fromHex("010000000105FFFF");
        QTest::newRow("huge line count") << head + QByteArray::fromHex("010000000309FFFFFF0F");
        QTest::newRow("nested bad signature") << head + QByteArray::fromHex("01000000050BDBDB0101");
        QByteArray deep = head + QByteArray::fromHex("01000000");
        for (int i = 0; i < 100; ++i)
            deep += QByteArray::fromHex("050B DBDB0100 00000000 01000000 01000000") + "V" +
                    QByteArray::fromHex("01000000");
        QTest::newRow("nested too deep") << deep;
    }
    void damagedStreams() {
        QFETCH(QByteArray, bytes);
        Table t;
        t.data.Table().AddField("Kept");
        t.source.Append();
        t.source.SetString(0, "Kept", "yes");
        QVERIFY_THROWS_EXCEPTION(EStreamError, t.load(bytes.toStdString()));
        QCOMPARE(t.source.GetString(0, "Kept"), std::string("yes"));
    }

    void unequalColumnsArePadded() {
        Table t;
        t.load(hex("DBDB0100 00000000 02000000 01000000") + "A" + hex("01000000") + "B" +
               hex("01000000 0105 01000000") +
               hex("03000000 0105 02000000 0105 03000000 0105 04000000"));
        QCOMPARE(t.source.RecordCount(), 3);
        QCOMPARE(t.source.GetString(2, "A"), std::string());
        QCOMPARE(t.source.GetString(2, "B"), std::string("4"));
    }

    // Every prefix of a rich container: no crash, no read past the end, a clear error, and
    // the tables read completely before the cut stay loaded.
    void everyTruncation() {
        const std::string container = richContainer();
        for (size_t cut = 0; cut < container.size(); ++cut) {
            const std::string prefix = container.substr(0, cut);
            Table a, b, c;
            TnkDBFile file;
            file.DBSources = {
                {"Settings", &a.source}, {"Configuration", &b.source}, {"Translation", &c.source}};
            ByteReader in(prefix);
            bool failed = false;
            try {
                file.LoadFromStream(in);
            } catch (const EStreamError& e) {
                failed = true;
                QVERIFY(std::string(e.what()).size() > 10);
            }
            QVERIFY2(failed || cut == 0, qPrintable(QString("cut at %1 loaded silently").arg(cut)));
            QVERIFY(in.position() <= prefix.size());
            if (b.source.RecordCount() == 1)
                QCOMPARE(a.data.Table().FieldCount(), 6); // Settings came first, complete
        }
    }
};

QTEST_GUILESS_MAIN(TestStorageStream)
#include "test_storage_stream.moc"
