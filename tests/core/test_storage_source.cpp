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

// A source with `records` records "a", "b", ... in field A, over the fields A, B, C.
struct Fixture {
    TnkDBData data;
    TnkDBSource source{&data};
    explicit Fixture(int records, TnkDBFieldCollection fields = {{"A"}, {"B"}, {"C"}}) {
        source.DBFields = std::move(fields);
        source.Loaded();
        for (int i = 0; i < records; ++i)
            source.SetString(source.Append(), "A", std::string(1, char('a' + i)));
    }
    std::string column() { // field A of every record, in order
        std::string out;
        for (int r = 0; r < source.RecordCount(); ++r)
            out += source.GetString(r, "A");
        return out;
    }
};
} // namespace

class TestStorageSource : public QObject {
    Q_OBJECT
private slots:
    // Moves: First Last Prior Next, S/s set 99/-5, Append, Delete, Clear, Insert, +/- move the
    // current record one place, R reads RecNo; the table changed behind the source: x deletes
    // the last record, a appends one; c links a control, n notifies field A. Then the cursor as
    // it stands and the records' order (new records get field A's default "x").
    void cursorMoves() {
        // clang-format off
        static const struct { int records; const char* moves; int cursor; const char* order; }
        rows[] = {
            {0, "F", -1, ""}, {0, "L", -1, ""}, {0, "N", -1, ""}, {0, "S", -1, ""},
            {3, "LF", 0, "abc"}, {3, "FL", 2, "abc"}, {3, "FPP", 0, "abc"}, {3, "FNNNN", 2, "abc"},
            {3, "FS", 2, "abc"}, {3, "s", 0, "abc"}, {3, "LD", 1, "ab"}, {3, "FND", 1, "ac"},
            {1, "FD", -1, ""}, {3, "C", -1, ""}, {3, "FNI", 1, "axbc"}, {3, "FI", 0, "xabc"},
            {0, "I", 0, "x"}, {3, "FA", 3, "abcx"}, {3, "F+", 1, "bac"}, {3, "L+", 2, "abc"},
            {3, "F-", 0, "abc"}, {3, "L-", 1, "acb"}, {3, "LD+", 1, "ab"}, {0, "+", -1, ""},
            {3, "Lxx", 2, "a"}, {3, "LxR", 1, "ab"}, {3, "LxxR", 0, "a"}, {2, "Ca", -1, ""},
            {2, "Cacn", 0, ""}, {0, "D", -1, ""}};
        for (const auto& r : rows) {
            CountingControl control;
            Fixture f(r.records, {{"B", "y"}, {"A", "x"}});
            TnkDBSource& s = f.source;
            for (const char* m = r.moves; *m; ++m) {
                switch (*m) {
                case 'F': s.First(); break; case 'L': s.Last(); break; case 'P': s.Prior(); break;
                case 'N': s.Next(); break; case 'A': s.Append(); break; case 'D': s.Delete(); break;
                case 'C': s.Clear(); break; case 'I': s.Insert(); break; case 'R': s.RecNo(); break;
                case 'S': s.SetRecNo(99); break; case 's': s.SetRecNo(-5); break;
                case '+': s.MoveCurrent(1); break; case '-': s.MoveCurrent(-1); break;
                case 'x': f.data.Table().DeleteRecord(s.RecordCount() - 1); break;
                case 'a': f.data.Table().AppendRecord(); break; case 'n': s.Notify("A"); break;
                case 'c': s.RegisterControl("A", &control); break;
                }
            }
            // clang-format on
            const QByteArray row = QByteArray::number(r.records) + " " + r.moves;
            QVERIFY2(f.source.CurrentIndex() == r.cursor, row.constData());
            QVERIFY2(f.column() == r.order, row.constData());
        }
    }

    void addressing() {
        Fixture f(2);
        QCOMPARE(f.source.GetString(0, "a"), std::string("a")); // letter case ignored
        QCOMPARE(f.source.GetString(2, "A"), std::string("b")); // at or beyond the end: the last
        QCOMPARE(f.source.GetString(0, "missing"), std::string());
        f.source.SetString(0, "missing", "x"); // does nothing
        QCOMPARE(f.data.Table().FieldCount(), 3);
        QVERIFY_THROWS_EXCEPTION(EListError, f.source.GetString(-1, "A"));
        QCOMPARE(QString(EListError(-1).what()), QString("List index out of bounds (-1)"));
        QVERIFY_THROWS_EXCEPTION(EListError, f.data.Exchange(0, 2));
        QVERIFY_THROWS_EXCEPTION(EListError, f.data.Exchange(-1, 1));
        Fixture empty(0);
        QCOMPARE(empty.source.GetString(-1, "A") + empty.source.GetString(0, "A"), std::string());
        QCOMPARE(empty.source.GetInteger(0, "A"), 0);
        auto data = std::make_unique<TnkDBData>();
        TnkDBSource unbound(data.get());
        data.reset(); // the storage goes first: the source is left unbound
        QVERIFY(unbound.DBData() == nullptr);
        QCOMPARE(unbound.Append(), -1);
        QCOMPARE(unbound.GetString(0, "A"), std::string());
    }

    // Controls by exact field name or all; a moving cursor notifies, a disabled source not until
    // enabled; a control that writes back does not recurse, one may unlink another mid-refresh;
    // one change event per operation.
    void notifications() {
        Fixture f(2);
        CountingControl a, b, any;
        f.source.RegisterControl("A", &a);
        f.source.RegisterControl("B", &b);
        f.source.RegisterControl("", &any);
        f.source.Notify("A");
        f.source.Notify("a");
        QCOMPARE(QList<int>({a.refreshes, b.refreshes, any.refreshes}), QList<int>({1, 0, 2}));
        f.source.First();
        f.source.Prior(); // keeps the cursor and still notifies
        QCOMPARE(b.refreshes, 2);
        f.source.DisableControls();
        f.source.Next();
        f.source.SetString("A", "changed");
        QCOMPARE(a.refreshes, 3);
        f.source.EnableControls();
        QCOMPARE(a.refreshes, 4);
        f.source.UnregisterControl(&a);
        f.source.First();
        QCOMPARE(a.refreshes, 4);

        Fixture g(0, {{"A", "x"}, {"B", "y"}, {"C", "z"}});
        int changes = 0;
        g.source.OnChange = [&](TnkDBSource&) { ++changes; };
        g.source.Append();               // three defaults written, one data change
        g.source.SetString(0, "A", "x"); // same text: no event at all
        QCOMPARE(changes, 1);
        g.source.SetString(0, "B", "other"); // outside an update block: at once
        QCOMPARE(changes, 2);
        CountingControl writer, unlinker, later;
        writer.onRefresh = [&] { g.source.SetString("A", "again"); };
        unlinker.onRefresh = [&] { g.source.UnregisterControl(&later); };
        for (CountingControl* c : {&writer, &unlinker, &later})
            g.source.RegisterControl("A", c);
        g.source.NotifyAll();
        QCOMPARE(QList<int>({writer.refreshes, later.refreshes}), QList<int>({1, 0}));
    }
};

QTEST_GUILESS_MAIN(TestStorageSource)
#include "test_storage_source.moc"
