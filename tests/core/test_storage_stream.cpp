// Guards: table streams and containers byte for byte, and damaged or cut data refused cleanly.
#include "core/config/ConfigSchema.h"
#include "core/storage/ByteStream.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBFile.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

#include <QtTest>

using namespace pw;

namespace {
std::string hex(const std::string& text) {
    return QByteArray::fromHex(QByteArray::fromStdString(text)).toStdString();
}

// One field "V", up to its value count.
const std::string kHeadV = "DBDB0100 00000000 01000000 01000000 56";
// Fields A and B; A holds 1, B holds 2, 3 and 4.
const std::string kFieldsAB = "DBDB0100 00000000 02000000 01000000 41 01000000 42 ";
const std::string kColumnB = " 03000000 0105 02000000 0105 03000000 0105 04000000";
const std::string kColumnsAB = kFieldsAB + "01000000 0105 01000000" + kColumnB;

// One value as stored, as saved again when that differs, and its text reading.
// clang-format off
const struct { const char* stored; const char* resaved; const char* reading; } kValues[] = {
    {"0000", nullptr, ""}, {"0005", nullptr, ""}, {"0105FFFFFFFF", nullptr, "-1"},
    {"0208020000003630", "01083C000000", "60"}, // a number keeps its kind byte
    {"020803000000303630", nullptr, "060"}, {"020801000000E4", nullptr, "\xE4"},
    {"020800000000", nullptr, ""}, {"02080100000030", "020800000000", ""},
    {"02630100000041", nullptr, "A"}, {"020803000000410042", "02080100000041", "A"},
    {"02080200000020 31", nullptr, " 1"},
    {"0309 03000000 02000000 6C31 00000000 02000000 6C33", nullptr, "l1\r\n\r\nl3\r\n"},
    {"040A 04000000 000102FF", nullptr, ""},
    {"050B DBDB0100 00000000 01000000 01000000 58 01000000 0208 01000000 58", nullptr, ""}};
// clang-format on

template <class Stored> std::string saved(Stored& stored) {
    ByteWriter out;
    stored.SaveToStream(out);
    return out.take();
}

struct Table {
    TnkDBData data;
    TnkDBSource source;
    explicit Table(TnkDBFieldCollection fields = {}) : source(&data, std::move(fields)) {
        source.Loaded();
    }
    void load(const std::string& hexText) {
        const std::string bytes = hex(hexText);
        ByteReader in(bytes);
        source.LoadFromStream(in);
    }
};

// The three tables of a container, read from or written to one stream.
struct Container {
    Table a, b, c;
    TnkDBFile file{
        {{"Settings", &a.source}, {"Configuration", &b.source}, {"Translation", &c.source}},
        nullptr};
    bool loadWhole(std::string_view bytes) {
        ByteReader in(bytes);
        file.LoadFromStream(in);
        return in.atEnd();
    }
};

// A container of three tables, the first holding every value of kValues in one column.
std::string richContainer() {
    Container f;
    const QByteArray count = QByteArray::number(qulonglong(std::size(kValues)), 16);
    std::string column = kHeadV + count.rightJustified(2, '0').toStdString() + "000000";
    for (const auto& v : kValues)
        column += v.stored;
    f.a.load(column);
    f.b.load(kColumnsAB);
    return saved(f.file);
}
} // namespace

class TestStorageStream : public QObject {
    Q_OBJECT
private slots:
    void valuesAsStored() {
        for (const auto& v : kValues) {
            Table t;
            t.load(kHeadV + "01000000" + v.stored);
            QVERIFY2(t.source.GetString(0, "V") == v.reading, v.stored);
            QVERIFY2(saved(t.source) ==
                         hex(kHeadV + "01000000" + (v.resaved ? v.resaved : v.stored)),
                     v.stored);
        }
    }

    // Values go column by column; a short column is padded with empty values; defined fields
    // the stream lacks are added with their default, stored fields not defined remain, and a
    // stored field defined in other letter case keeps its values.
    void columnsAsStored() {
        Table t;
        t.load(kColumnsAB);
        QCOMPARE(saved(t.source), hex(kFieldsAB + "03000000 0105 01000000 0000 0000" + kColumnB));
        Table defined({{"B", "x"}, {"New", "5"}, {"a", "y"}});
        defined.load(kColumnsAB);
        QCOMPARE(defined.source.RecNo(), 0);
        QCOMPARE(defined.source.GetString(0, "A") + defined.source.GetString(0, "B"),
                 std::string("12"));
        QCOMPARE(defined.source.GetInteger(2, "New"), 5);
    }

    // Initial content from a form definition: a byte count, then the stream; the default
    // translation table byte for byte.
    void binData() {
        Table bin;
        bin.data.SetBinData(hex("37000000" + kColumnsAB)); // 54 bytes follow
        QVERIFY_THROWS_EXCEPTION(EStreamError, bin.source.Loaded());
        bin.data.SetBinData(DefaultTranslationBinData());
        bin.source.Loaded();
        std::string expected =
            "DBDB0100 00000000 02000000 05000000 4173636969 04000000 48746D6C 07000000";
        for (const char* c : {"E4", "F6", "FC", "C4", "D6", "DC", "DF"})
            expected += std::string(" 0208 01000000 ") + c;
        expected += " 07000000";
        for (const char* e :
             {"&auml;", "&ouml;", "&uuml;", "&Auml;", "&Ouml;", "&Uuml;", "&szlig;"})
            expected += (e[1] == 's' ? " 0208 07000000" : " 0208 06000000") +
                        QByteArray(e).toHex().toStdString();
        QCOMPARE(saved(bin.source), hex(expected));
    }

    // Entries load by exact name; others go to the handler and are skipped whole, whatever
    // it reads, by a size that counts its own four bytes and cannot be less.
    void containerEntries() {
        Container w;
        w.a.load(kColumnsAB);
        w.file.DBSources = {
            {"Links", &w.a.source}, {"settings", &w.a.source}, {"Configuration", &w.a.source}};
        Container f;
        std::vector<std::string> unknown;
        f.file.OnUnknownSource = [&](TnkDBFile&, const std::string& name, ByteReader& in) {
            unknown.push_back(name);
            in.readU32();
        };
        QVERIFY(f.loadWhole(saved(w.file)));
        QCOMPARE(unknown, (std::vector<std::string>{"Links", "settings"}));
        QCOMPARE(f.a.data.Table().FieldCount(), 0); // "settings" is not "Settings"
        QCOMPARE(f.b.source.GetString(2, "B"), std::string("4"));
        f.file.OnUnknownSource = nullptr;
        for (const char* damaged :
             {"01000000 01000000 58 03000000 00", "01000000 01000000 58 05000000"})
            QVERIFY_THROWS_EXCEPTION(EStreamError, f.loadWhole(hex(damaged)));
        for (const char* fine : {"01000000 01000000 58 04000000", "FFFFFFFF"})
            QVERIFY2(f.loadWhole(hex(fine)), fine);
    }

    // Bad signatures and types, counts past the end, short values, nesting too deep: each
    // throws and leaves the table as it was.
    void damagedStreams() {
        const auto nested = [&](int levels) {
            std::string table = kHeadV + "01000000 0000";
            for (int i = 0; i < levels; ++i)
                table = kHeadV + "01000000 050B" + table;
            return table;
        };
        const std::string h = kHeadV;
        // clang-format off
        const std::string damaged[] = {
            "", "DBDB0200 00000000 00000000", "DBDB0100 00000000 FFFFFFFF", "DBDB0100 FFFFFF7F",
            h + "FFFFFFFF0000", h + "010000000608", h + "01000000FF08", h + "010000000105FFFF",
            h + "010000000309FFFFFF0F", h + "01000000050BDBDB0101", nested(33)};
        // clang-format on
        for (const std::string& bytes : damaged) {
            Table t({{"Kept", "yes"}});
            t.source.Append();
            QVERIFY_THROWS_EXCEPTION(EStreamError, t.load(bytes));
            QCOMPARE(t.source.GetString(0, "Kept"), std::string("yes"));
        }
        Table t;
        t.load(nested(32));
    }

    // A rich container loads whole and saves byte for byte; every prefix of it fails with a
    // clear error, and the tables read completely before the cut stay loaded.
    void roundTripAndEveryTruncation() {
        const std::string container = richContainer();
        Container whole;
        QVERIFY(whole.loadWhole(container));
        QCOMPARE(whole.a.source.RecordCount(), int(std::size(kValues)));
        QCOMPARE(saved(whole.file), container);
        for (size_t cut = 1; cut < container.size(); ++cut) {
            Container f;
            try {
                f.loadWhole(std::string_view(container).substr(0, cut));
                QFAIL(qPrintable(QString("cut at %1 loaded silently").arg(cut)));
            } catch (const EStreamError& e) {
                QVERIFY(std::string(e.what()).size() > 10);
            }
            if (f.b.source.RecordCount() == 3) // Settings came first, complete
                QCOMPARE(f.a.source.RecordCount(), int(std::size(kValues)));
        }
    }
};

QTEST_GUILESS_MAIN(TestStorageStream)
#include "test_storage_stream.moc"
