// Guards: window bounds read from and written to the settings record, and the drop target.
#include "core/app/DropTarget.h"
#include "core/app/WindowPlacement.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QTest>

#include <algorithm>

using namespace pw;

class TestAppPlacement : public QObject {
    Q_OBJECT
private slots:
    // Bounds written to a bare table, a second time over the first, then read back: they apply
    // only under SaveWindowPos "TRUE", and a negative bound stays as designed.
    void boundsRoundTrip() {
        // clang-format off
        static const struct { const char* save; int stored[4]; int expected[4]; } rows[] = {
            {"TRUE", {10, 20, 600, 500}, {10, 20, 600, 500}}, {"TRUE", {0, -1, 7, -2}, {0, -1, 7, -1}},
            {"TRUE", {-1, 0, -2, 0}, {-1, 0, -1, 0}}, {"", {1, 2, 3, 4}, {-1, -1, -1, -1}},
            {"true", {1, 2, 3, 4}, {-1, -1, -1, -1}}};
        // clang-format on
        for (const auto& r : rows) {
            TnkDBData data;
            TnkDBSource s(&data);
            WriteBounds(s, 9, 9, 9, 9);
            WriteBounds(s, r.stored[0], r.stored[1], r.stored[2], r.stored[3]);
            data.AddField("SaveWindowPos");
            s.SetString(0, "SaveWindowPos", r.save);
            QCOMPARE(s.RecordCount(), 1);
            const StoredBounds b = ReadStoredBounds(s);
            const int got[] = {b.Left.value_or(-1), b.Top.value_or(-1), b.Width.value_or(-1),
                               b.Height.value_or(-1)};
            QVERIFY(std::equal(got, got + 4, r.expected));
        }
    }

    void dropTarget() {
        TnkDBData data;
        TnkDBSource configs(&data);
        for (const char* f : {"Host", "LoginName", "LoginPassword", "FTPDefaultFolder", "Port"})
            data.AddField(f);
        configs.SetString(configs.Append(), "Host", "first.example");
        configs.Append();
        configs.SetString("Host", "127.0.0.1:2121");
        configs.SetString("LoginName", "demo");
        configs.SetString("LoginPassword", "\x9e\x9d\x9c"); // "abc" scrambled
        configs.SetString("FTPDefaultFolder", "/www");
        const auto target = [&](int index) {
            SetDropTargetFromConfiguration(configs, index);
            const TnkFTPRecord& t = DropTarget;
            return t.ServerHost + "|" + t.ServerUser + "|" + t.ServerPassword + "|" +
                   t.RemoteFolder + "|" + std::to_string(t.Passive);
        };
        // One past the end: the last record; an empty folder reads "/".
        QCOMPARE(target(2), std::string("127.0.0.1:2121|demo|abc|/www|1"));
        QCOMPARE(target(0), std::string("first.example|||/|1"));
        // A port that cannot be used gives no target rather than one on another port.
        configs.SetString(1, "Port", "70000");
        QCOMPARE(target(1), std::string("||||1"));
    }
};

QTEST_GUILESS_MAIN(TestAppPlacement)
#include "test_app_placement.moc"
