// Guards: byte readers at their limits, table streams and containers byte for byte, damaged data.
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
    return s + hex("0208 07000000") + "&szlig;";
}

// Whether `read` succeeds on `data`; a failed read must leave the reader where it stood.
template <typename Read> bool fits(std::string_view data, Read read) {
    ByteReader in(data);
    try {
        read(in);
        return true;
    } catch (const EStreamError&) {
        if (in.position() != 0) QTest::qFail("a failed read moved the reader", __FILE__, __LINE__);
        return false;
    }
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

// The three tables of a container, read from or written to one stream.
struct Container {
    Table a, b, c;
    TnkDBFile file;
    Container() {
        file.DBSources = {
            {"Settings", &a.source}, {"Configuration", &b.source}, {"Translation", &c.source}};
    }
    std::string save() {
        ByteWriter out;
        file.SaveToStream(out);
        return out.take();
    }
};

// A container with three tables, one of every value type among them, and a nested table.
std::string richContainer() {
    Container f;
    TnkTable& t = f.a.data.Table();
    for (const char* name : {"Int", "Text", "Lines", "Bytes", "Nested", "Empty"})
        t.AddField(name);
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
    f.b.data.Table().AddField("Name");
    f.b.source.Append();
    f.b.source.SetString(0, "Name", "second");
    f.c.load(defaultTranslationStream());
    return f.save();
}
} // namespace

class TestStorageStream : public QObject {
    Q_OBJECT
private slots:
    void defaultTranslationBytes() {
        const std::string& bin = DefaultTranslationBinData();
        QCOMPARE(bin.substr(0, 4), hex("AB000000"));
        QCOMPARE(bin.substr(4), defaultTranslationStream());
        TnkDBData data;
        data.SetBinData(bin);
        TnkDBSource source(&data);
        source.Loaded();
        QCOMPARE(source.GetString(6, "Html"), std::string("&szlig;"));
        QCOMPARE(save(source), defaultTranslationStream());
        Table empty;
        QCOMPARE(save(empty.source), hex("DBDB0100 00000000 00000000"));
    }

    // Every read that ends exactly at the end of the data succeeds; one byte more fails.
    void readerLimits() {
        const std::string bytes = hex("05000000 48656C6C6F FF"); // "Hello", counted, then FF
        const auto cut = [&](size_t n) { return std::string_view(bytes).substr(0, n); };
        QVERIFY(fits(cut(1), [](ByteReader& in) { QCOMPARE(in.readU8(), uint8_t(5)); }));
        QVERIFY(!fits(cut(0), [](ByteReader& in) { in.readU8(); }));
        QVERIFY(fits(cut(4), [](ByteReader& in) { QCOMPARE(in.readU32(), 5u); }));
        QVERIFY(!fits(cut(3), [](ByteReader& in) { in.readU32(); }));
        QVERIFY(fits(cut(5), [](ByteReader& in) { in.readBytes(5); }));
        QVERIFY(!fits(cut(5), [](ByteReader& in) { in.readBytes(6); }));
        QVERIFY(fits(cut(9), [](ByteReader& in) {
            QCOMPARE(in.readCountedString(), std::string("Hello"));
            QVERIFY(in.atEnd());
        }));
        QVERIFY(!fits(cut(8), [](ByteReader& in) { in.readCountedString(); }));
        QVERIFY(fits(cut(8), [](ByteReader& in) { in.requireItems(4, 2, "pairs"); }));
        QVERIFY(!fits(cut(8), [](ByteReader& in) { in.requireItems(5, 2, "pairs"); }));
        QVERIFY(!fits(cut(8), [](ByteReader& in) { in.requireItems(UINT64_MAX, 2, "pairs"); }));
        QVERIFY(fits(cut(0), [](ByteReader& in) { in.requireItems(UINT64_MAX, 0, "nothing"); }));
        QVERIFY(fits(cut(10), [](ByteReader& in) {
            in.seek(10);
            QVERIFY(in.atEnd());
        }));
        QVERIFY(!fits(cut(10), [](ByteReader& in) { in.seek(11); }));
        QCOMPARE(ByteReader(hex("01020384")).readU32(), 0x84030201u);
    }

    // One value as stored, as saved again, and its text reading.
    void valueKindsAsStored() {
        // clang-format off
        static const struct { const char* stored; const char* resaved; const char* reading; }
            rows[] = {
            {"0000", "0000", ""}, {"0005", "0005", ""}, {"0105FFFFFFFF", "0105FFFFFFFF", "-1"},
            {"0208020000003630", "01083C000000", "60"}, // a number keeps its kind byte
            {"020803000000303630", "020803000000303630", "060"},
            {"020800000000", "020800000000", ""}, {"02080100000030", "020800000000", ""},
            {"02630100000041", "02630100000041", "A"},
            {"020803000000410042", "02080100000041", "A"},
            {"02080200000020 31", "02080200000020 31", " 1"}};
        // clang-format on
        const std::string head = hex("DBDB0100 00000000 01000000 01000000") + "V" + hex("01000000");
        for (const auto& r : rows) {
            Table t;
            t.load(head + hex(r.stored));
            QVERIFY2(t.source.GetString(0, "V") == r.reading, r.stored);
            QVERIFY2(save(t.source) == head + hex(r.resaved), r.stored);
        }
    }

    void everyTypeRoundTrips() {
        const std::string container = richContainer();
        Container f;
        ByteReader in(container);
        f.file.LoadFromStream(in);
        QVERIFY(in.atEnd());
        QCOMPARE(f.a.source.GetString(1, "Lines"), std::string("l1\r\n\r\nl3\r\n"));
        QCOMPARE(f.a.source.GetInteger(2, "Int"), -21);
        QCOMPARE(f.a.data.Table().Value(3, 0).Stream(), std::string("\0\1\2\xFF", 4));
        QCOMPARE(f.a.data.Table().Value(4, 1).Table().Value(0, 0).String(), std::string("inner"));
        QCOMPARE(f.b.source.GetString(0, "Name"), std::string("second"));
        QCOMPARE(f.save(), container);
    }

    // Entries load by exact name; others go to the handler and are skipped whole.
    void containerEntries() {
        Container w;
        w.a.data.Table().AddField("Url");
        w.a.source.Append();
        w.b.data.Table().AddField("S");
        w.b.source.Append();
        w.b.source.SetString(0, "S", "one");
        w.file.DBSources = {
            {"Links", &w.a.source}, {"settings", &w.b.source}, {"Configuration", &w.b.source}};
        const std::string bytes = w.save();
        Container f;
        std::vector<std::string> unknown;
        f.file.OnUnknownSource = [&](TnkDBFile&, const std::string& name, ByteReader&) {
            unknown.push_back(name);
        };
        ByteReader in(bytes);
        f.file.LoadFromStream(in);
        QVERIFY(in.atEnd());
        QCOMPARE(unknown, (std::vector<std::string>{"Links", "settings"}));
        QCOMPARE(f.a.data.Table().FieldCount(), 0); // "settings" is not "Settings"
        QCOMPARE(f.b.source.GetString(0, "S"), std::string("one"));
        // A skipped entry's size counts its own four bytes and cannot be less.
        for (const char* bytes :
             {"01000000 01000000 58 03000000 00", "02000000 01000000 58 04000000 00"}) {
            const std::string data = hex(bytes);
            ByteReader damaged(data);
            QVERIFY_THROWS_EXCEPTION(EStreamError, f.file.LoadFromStream(damaged));
        }
        const std::string emptyEntry = hex("01000000 01000000 58 04000000");
        ByteReader empty(emptyEntry);
        f.file.LoadFromStream(empty);
        QVERIFY(empty.atEnd());
    }

    void loadAddsDefinedFields() {
        Table source({{"Ascii", ""}, {"Html", ""}, {"Extra", "dflt"}});
        source.load(defaultTranslationStream());
        QCOMPARE(source.data.Table().FieldCount(), 3);
        QCOMPARE(source.source.GetString(4, "Extra"), std::string("dflt"));
        QCOMPARE(source.source.RecNo(), 0);
        Table narrow({{"Html", ""}}); // fields the stream has beyond the definitions remain
        narrow.load(defaultTranslationStream());
        QCOMPARE(narrow.data.Table().FieldCount(), 2);
        Table empty({{"A", "x"}});
        empty.load(hex("DBDB0100 00000000 00000000"));
        QCOMPARE(empty.data.Table().FieldName(0), std::string("A"));
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

    // Bad signatures and types, counts past the end, short values, nesting too deep: each
    // throws and leaves the table as it was.
    void damagedStreams() {
        const std::string head = "DBDB0100 00000000 01000000 01000000 56"; // one field "V"
        const auto nested = [&](int levels) {
            std::string table = head + "01000000 0000";
            for (int i = 0; i < levels; ++i)
                table = head + "01000000 050B" + table;
            return table;
        };
        const std::string deep = nested(33); // one level more than allowed
        // clang-format off
        const std::string damaged[] = {
            "", "DBDB0200 00000000 00000000", "DBDB0100 00000000 FFFFFFFF", "DBDB0100 FFFFFF7F",
            head + "FFFFFFFF0000", head + "010000000608", head + "01000000FF08",
            head + "010000000105FFFF", head + "010000000309FFFFFF0F", head + "01000000050BDBDB0101",
            deep};
        // clang-format on
        for (const std::string& bytes : damaged) {
            Table t;
            t.data.Table().AddField("Kept");
            t.source.Append();
            t.source.SetString(0, "Kept", "yes");
            QVERIFY_THROWS_EXCEPTION(EStreamError, t.load(hex(bytes.c_str())));
            QCOMPARE(t.source.GetString(0, "Kept"), std::string("yes"));
        }
        Table t;
        t.load(hex(nested(32).c_str()));
    }

    // Every prefix of a rich container: no crash, no read past the end, a clear error, and
    // the tables read completely before the cut stay loaded.
    void everyTruncation() {
        const std::string container = richContainer();
        for (size_t cut = 1; cut < container.size(); ++cut) {
            Container f;
            ByteReader in(std::string_view(container).substr(0, cut));
            try {
                f.file.LoadFromStream(in);
                QFAIL(qPrintable(QString("cut at %1 loaded silently").arg(cut)));
            } catch (const EStreamError& e) {
                QVERIFY(std::string(e.what()).size() > 10);
            }
            QVERIFY(in.position() <= cut);
            if (f.b.source.RecordCount() == 1)
                QCOMPARE(f.a.data.Table().FieldCount(), 6); // Settings came first, complete
        }
    }
};

QTEST_GUILESS_MAIN(TestStorageStream)
#include "test_storage_stream.moc"
