// The record source: cursor rules, appends with defaults, addressing, notifications.
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

// A source with `records` records over the fields A, B, C.
struct Fixture {
    TnkDBData data;
    TnkDBSource source{&data};
    explicit Fixture(int records, TnkDBFieldCollection fields = {{"A"}, {"B"}, {"C"}}) {
        source.DBFields = std::move(fields);
        source.Loaded();
        for (int i = 0; i < records; ++i) {
            const int r = source.Append();
            source.SetString(r, "A", "rec" + std::to_string(i));
        }
    }
};
} // namespace

class TestStorageSource : public QObject {
    Q_OBJECT
private slots:
    void cursorMoves_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("cursor");
        QTest::newRow("first on empty") << 0 << "F" << -1;
        QTest::newRow("last on empty") << 0 << "L" << -1;
        QTest::newRow("next on empty") << 0 << "N" << -1;
        QTest::newRow("first") << 3 << "LF" << 0;
        QTest::newRow("last") << 3 << "FL" << 2;
        QTest::newRow("prior stops at 0") << 3 << "FPP" << 0;
        QTest::newRow("next stops at end") << 3 << "FNNNN" << 2;
        QTest::newRow("set clamps high") << 3 << "S" << 2; // S sets 99
        QTest::newRow("set clamps low") << 3 << "s" << 0;  // s sets -5
        QTest::newRow("set on empty") << 0 << "S" << -1;
        QTest::newRow("delete last moves back") << 3 << "LD" << 1;
        QTest::newRow("delete middle stays") << 3 << "FND" << 1;
        QTest::newRow("delete only record") << 1 << "FD" << -1;
        QTest::newRow("clear") << 3 << "C" << -1;
        QTest::newRow("insert stays") << 3 << "FNI" << 1;
        QTest::newRow("insert on no cursor appends") << 0 << "I" << 0;
    }
    void cursorMoves() {
        QFETCH(int, records);
        QFETCH(QString, moves);
        QFETCH(int, cursor);
        Fixture f(records);
        for (const QChar m : moves) {
            switch (m.toLatin1()) {
            case 'F':
                f.source.First();
                break;
            case 'L':
                f.source.Last();
                break;
            case 'P':
                f.source.Prior();
                break;
            case 'N':
                f.source.Next();
                break;
            case 'S':
                f.source.SetRecNo(99);
                break;
            case 's':
                f.source.SetRecNo(-5);
                break;
            case 'D':
                f.source.Delete();
                break;
            case 'C':
                f.source.Clear();
                break;
            case 'I':
                f.source.Insert();
                break;
            }
        }
        QCOMPARE(f.source.RecNo(), cursor);
    }

    void deleteKeepsOtherRecords() {
        Fixture f(3);
        f.source.SetRecNo(1);
        f.source.Delete();
        QCOMPARE(f.source.RecordCount(), 2);
        QCOMPARE(f.source.GetString(0, "A"), std::string("rec0"));
        QCOMPARE(f.source.GetString(1, "A"), std::string("rec2"));
    }

    void insertMovesLaterRecordsOn() {
        Fixture f(2, {{"A", ""}, {"B", "def"}});
        f.source.SetRecNo(1);
        f.source.Insert();
        QCOMPARE(f.source.RecordCount(), 3);
        QCOMPARE(f.source.RecNo(), 1);
        QCOMPARE(f.source.GetString(1, "A"), std::string());
        QCOMPARE(f.source.GetString(1, "B"), std::string("def"));
        QCOMPARE(f.source.GetString(2, "A"), std::string("rec1"));
    }

    void appendWritesDefaults() {
        Fixture f(0, {{"A", "none"}, {"B", ""}, {"C", "-1"}, {"D", "0"}});
        const int r = f.source.Append();
        QCOMPARE(r, 0);
        QCOMPARE(f.source.GetString(r, "A"), std::string("none"));
        QCOMPARE(f.source.GetString(r, "B"), std::string());
        QCOMPARE(f.source.GetInteger(r, "C"), -1);
        // A default of "0" leaves the value empty.
        QCOMPARE(int(f.data.Table().Value(3, 0).DataType()), int(dtNone));
    }

    void addressing() {
        Fixture f(2);
        QCOMPARE(f.source.GetString(0, "a"), std::string("rec0")); // letter case ignored
        QCOMPARE(f.source.GetString(7, "A"), std::string("rec1")); // beyond the end: the last
        QCOMPARE(f.source.GetString(0, "missing"), std::string());
        f.source.SetString(0, "missing", "x"); // does nothing
        QCOMPARE(f.data.Table().FieldCount(), 3);
        QVERIFY_THROWS_EXCEPTION(EListError, f.source.GetString(-1, "A"));
        try {
            f.source.GetString(-1, "A");
        } catch (const EListError& e) {
            QCOMPARE(QString(e.what()), QString("List index out of bounds (-1)"));
        }
        Fixture empty(0);
        QCOMPARE(empty.source.GetString(-1, "A"), std::string());
        QCOMPARE(empty.source.GetString(5, "A"), std::string());
        QCOMPARE(empty.source.GetInteger(0, "A"), 0);
        TnkDBSource unbound;
        QCOMPARE(unbound.Append(), -1);
        QCOMPARE(unbound.RecordCount(), 0);
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

    void exchangeSwapsRecords() {
        Fixture f(3);
        f.data.Exchange(0, 2);
        QCOMPARE(f.source.GetString(0, "A"), std::string("rec2"));
        QCOMPARE(f.source.GetString(2, "A"), std::string("rec0"));
        QVERIFY_THROWS_EXCEPTION(EListError, f.data.Exchange(0, 3));
    }

    void notificationsReachTheRightControls() {
        Fixture f(2);
        CountingControl a, b, any;
        f.source.RegisterControl("A", &a);
        f.source.RegisterControl("B", &b);
        f.source.RegisterControl("", &any);
        f.source.First();
        QCOMPARE(a.refreshes, 1);
        QCOMPARE(b.refreshes, 1);
        a.refreshes = b.refreshes = any.refreshes = 0;
        f.source.Notify("A");
        QCOMPARE(a.refreshes, 1);
        QCOMPARE(b.refreshes, 0);
        QCOMPARE(any.refreshes, 1);
        f.source.Notify("a"); // exact comparison for controls
        QCOMPARE(a.refreshes, 1);

        // Prior on the first record keeps the cursor and still notifies.
        a.refreshes = 0;
        f.source.First();
        f.source.Prior();
        QCOMPARE(f.source.RecNo(), 0);
        QCOMPARE(a.refreshes, 2);

        // Disabled: nothing until EnableControls, which notifies all.
        a.refreshes = b.refreshes = 0;
        f.source.DisableControls();
        f.source.Next();
        f.source.SetString("A", "changed");
        QCOMPARE(a.refreshes, 0);
        f.source.EnableControls();
        QCOMPARE(a.refreshes, 1);
        QCOMPARE(b.refreshes, 1);

        f.source.UnregisterControl(&a);
        f.source.First();
        QCOMPARE(a.refreshes, 1);
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

    void notifyIsNotReentrant() {
        Fixture f(2);
        CountingControl c;
        int depth = 0;
        c.onRefresh = [&] {
            ++depth;
            f.source.Notify("A"); // a control that writes back must not recurse
        };
        f.source.RegisterControl("A", &c);
        f.source.NotifyAll();
        QCOMPARE(depth, 1);
    }

    void controlMayUnregisterWhileRefreshing() {
        Fixture f(1);
        CountingControl first, second;
        first.onRefresh = [&] { f.source.UnregisterControl(&second); };
        f.source.RegisterControl("A", &first);
        f.source.RegisterControl("A", &second);
        f.source.NotifyAll();
        QCOMPARE(first.refreshes, 1);
        QCOMPARE(second.refreshes, 0);
    }

    void oneChangePerOperation() {
        Fixture f(0, {{"A", "x"}, {"B", "y"}, {"C", "z"}});
        int changes = 0;
        f.source.OnChange = [&](TnkDBSource&) { ++changes; };
        f.source.Append(); // three defaults written, one data change
        QCOMPARE(changes, 1);
        changes = 0;
        f.source.SetString(0, "A", "x"); // same text: no event at all
        QCOMPARE(changes, 0);
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
