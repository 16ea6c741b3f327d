// Guards: the record cursor at both table ends, defaults, addressing and control notifications.
#include "core/storage/TnkDBControl.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

#include <QtTest>

using namespace pw;

namespace {
struct CountingControl : TnkDBControl {
    int refreshes = 0;
    std::function<void()> onRefresh;
    void DataChanged() override {
        ++refreshes;
        if (onRefresh) onRefresh();
    }
};

// A source with `records` records "rec0", "rec1", ... in field A, over the fields A, B, C.
struct Fixture {
    TnkDBData data;
    TnkDBSource source{&data};
    explicit Fixture(int records, TnkDBFieldCollection fields = {{"A"}, {"B"}, {"C"}}) {
        source.DBFields = std::move(fields);
        source.Loaded();
        for (int i = 0; i < records; ++i)
            source.SetString(source.Append(), "A", "rec" + std::to_string(i));
    }
    std::string column() { // field A of every record, in order
        std::string out;
        for (int r = 0; r < source.RecordCount(); ++r)
            out += source.GetString(r, "A").substr(3);
        return out;
    }
};
} // namespace

class TestStorageSource : public QObject {
    Q_OBJECT
private slots:
    // Moves: First Last Prior Next, S/s set 99/-5, Delete, Clear, Insert, +/- move the
    // current record one place; then the cursor and the records' order.
    void cursorMoves() {
        // clang-format off
        static const struct { int records; const char* moves; int cursor; const char* order; }
        rows[] = {
            {0, "F", -1, ""}, {0, "L", -1, ""}, {0, "N", -1, ""}, {0, "S", -1, ""},
            {3, "LF", 0, "012"}, {3, "FL", 2, "012"}, {3, "FPP", 0, "012"}, {3, "FNNNN", 2, "012"},
            {3, "FS", 2, "012"}, {3, "s", 0, "012"}, {3, "LD", 1, "01"}, {3, "FND", 1, "02"},
            {1, "FD", -1, ""}, {3, "C", -1, ""}, {3, "FNI", 1, "0c12"}, {0, "I", 0, "c"},
            {3, "F+", 1, "102"}, {3, "L+", 2, "012"}, {3, "F-", 0, "012"}, {3, "L-", 1, "021"},
            {3, "LD+", 1, "01"}, {0, "+", -1, ""}};
        for (const auto& r : rows) {
            Fixture f(r.records, {{"A", "recc"}});
            for (const char* m = r.moves; *m; ++m) {
                switch (*m) {
                case 'F': f.source.First(); break;
                case 'L': f.source.Last(); break;
                case 'P': f.source.Prior(); break;
                case 'N': f.source.Next(); break;
                case 'S': f.source.SetRecNo(99); break;
                case 's': f.source.SetRecNo(-5); break;
                case 'D': f.source.Delete(); break;
                case 'C': f.source.Clear(); break;
                case 'I': f.source.Insert(); break;
                case '+': f.source.MoveCurrent(1); break;
                case '-': f.source.MoveCurrent(-1); break;
                }
            }
            // clang-format on
            const QByteArray row = QByteArray::number(r.records) + " " + r.moves;
            QVERIFY2(f.source.CurrentIndex() == r.cursor, row.constData());
            QVERIFY2(f.column() == r.order, row.constData());
        }
        // A move past either end says it did nothing.
        Fixture ends(2, {{"A", "recc"}});
        ends.source.First();
        QVERIFY(!ends.source.MoveCurrent(-1) && ends.source.MoveCurrent(1));
        QVERIFY(!ends.source.MoveCurrent(1));
    }

    void appendAndInsertWriteDefaults() {
        Fixture f(0, {{"A", "none"}, {"B", ""}, {"C", "-1"}, {"D", "0"}});
        QCOMPARE(f.source.Append(), 0);
        QCOMPARE(f.source.GetString(0, "A"), std::string("none"));
        QCOMPARE(f.source.GetString(0, "B"), std::string());
        QCOMPARE(f.source.GetInteger(0, "C"), -1);
        QCOMPARE(int(f.data.Table().Value(3, 0).DataType()), int(dtNone)); // "0" leaves it empty
        f.source.SetString(0, "A", "first");
        f.source.Insert();
        QCOMPARE(f.source.GetString(0, "A"), std::string("none"));
        QCOMPARE(f.source.GetString(1, "A"), std::string("first"));
    }

    void addressing() {
        Fixture f(2);
        QCOMPARE(f.source.GetString(0, "a"), std::string("rec0")); // letter case ignored
        QCOMPARE(f.source.GetString(1, "A"), std::string("rec1"));
        QCOMPARE(f.source.GetString(2, "A"), std::string("rec1")); // at or beyond the end: the last
        QCOMPARE(f.source.GetString(0, "missing"), std::string());
        f.source.SetString(0, "missing", "x"); // does nothing
        QCOMPARE(f.data.Table().FieldCount(), 3);
        try {
            f.source.GetString(-1, "A");
            QFAIL("a negative index was accepted");
        } catch (const EListError& e) {
            QCOMPARE(QString(e.what()), QString("List index out of bounds (-1)"));
        }
        QVERIFY_THROWS_EXCEPTION(EListError, f.data.Exchange(0, 2));
        QVERIFY_THROWS_EXCEPTION(EListError, f.data.Exchange(-1, 1));
        Fixture empty(0);
        QCOMPARE(empty.source.GetString(-1, "A"), std::string());
        QCOMPARE(empty.source.GetInteger(0, "A"), 0);
        TnkDBSource unbound;
        QCOMPARE(unbound.Append(), -1);
        QCOMPARE(unbound.GetString(0, "A"), std::string());
    }

    void recNoReadClampsAfterExternalShrink() {
        Fixture f(3);
        f.source.Last();
        f.data.Table().DeleteRecord(2);
        f.data.Table().DeleteRecord(1);
        QCOMPARE(f.source.CurrentIndex(), 2);
        QCOMPARE(f.source.RecNo(), 0);
    }

    void notificationsReachTheRightControls() {
        Fixture f(2);
        CountingControl a, b, any;
        f.source.RegisterControl("A", &a);
        f.source.RegisterControl("B", &b);
        f.source.RegisterControl("", &any);
        f.source.Notify("A");
        f.source.Notify("a"); // exact comparison for controls
        QCOMPARE(a.refreshes, 1);
        QCOMPARE(b.refreshes, 0);
        QCOMPARE(any.refreshes, 2);
        f.source.First();
        f.source.Prior(); // keeps the cursor and still notifies
        QCOMPARE(b.refreshes, 2);
        f.source.DisableControls(); // nothing until EnableControls, which notifies all
        f.source.Next();
        f.source.SetString("A", "changed");
        QCOMPARE(a.refreshes, 3);
        f.source.EnableControls();
        QCOMPARE(a.refreshes, 4);
        f.source.UnregisterControl(&a);
        f.source.First();
        QCOMPARE(a.refreshes, 4);
    }

    void notifyMovesCursorOnlyWithControls() {
        Fixture f(2);
        f.source.Clear();
        f.data.Table().AppendRecord();
        QCOMPARE(f.source.CurrentIndex(), -1); // no control linked: nothing happens
        CountingControl c;
        f.source.RegisterControl("A", &c);
        f.source.Notify("A");
        QCOMPARE(f.source.CurrentIndex(), 0);
    }

    // A control that writes back must not recurse; one may unregister another mid-refresh.
    void controlsCalledBackDuringRefresh() {
        Fixture f(2);
        CountingControl writer, unlinker, later;
        writer.onRefresh = [&] { f.source.SetString("A", "again"); };
        unlinker.onRefresh = [&] { f.source.UnregisterControl(&later); };
        f.source.RegisterControl("A", &writer);
        f.source.RegisterControl("A", &unlinker);
        f.source.RegisterControl("A", &later);
        f.source.NotifyAll();
        QCOMPARE(writer.refreshes, 1);
        QCOMPARE(later.refreshes, 0);
    }

    void oneChangePerOperation() {
        Fixture f(0, {{"A", "x"}, {"B", "y"}, {"C", "z"}});
        int changes = 0;
        f.source.OnChange = [&](TnkDBSource&) { ++changes; };
        f.source.Append(); // three defaults written, one data change
        QCOMPARE(changes, 1);
        f.source.SetString(0, "A", "x"); // same text: no event at all
        QCOMPARE(changes, 1);
    }

    void storageDestroyedFirst() {
        auto data = std::make_unique<TnkDBData>();
        TnkDBSource source(data.get());
        source.Loaded();
        data.reset();
        QVERIFY(source.DBData() == nullptr);
        QCOMPARE(source.RecordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStorageSource)
#include "test_storage_source.moc"
