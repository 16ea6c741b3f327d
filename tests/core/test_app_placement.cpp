// Guards: window bounds read from and written to the settings record, and the drop target.
#include "core/app/DropTarget.h"
#include "core/app/WindowPlacement.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QTest>

#include <optional>

using namespace pw;

namespace {
using Opt = std::optional<int>;

struct Settings {
    TnkDBData data;
    TnkDBSource source{&data};
    Settings(const char* save, int left, int top, int width, int height) {
        for (const char* f : {"SaveWindowPos", "Left", "Top", "Width", "Height"})
            data.AddField(f);
        source.Append();
        source.SetString("SaveWindowPos", save);
        source.SetInteger("Left", left);
        source.SetInteger("Top", top);
        source.SetInteger("Width", width);
        source.SetInteger("Height", height);
    }
};
} // namespace

class TestAppPlacement : public QObject {
    Q_OBJECT
private slots:
    // Stored bounds apply only under SaveWindowPos "TRUE"; a negative bound stays as designed.
    void storedBounds() {
        // clang-format off
        static const struct { const char* save; int stored[4]; int expected[4]; } rows[] = {
            {"TRUE", {10, 20, 600, 500}, {10, 20, 600, 500}}, {"TRUE", {0, 0, 0, 0}, {0, 0, 0, 0}},
            {"TRUE", {-1, 20, -2, 500}, {-1, 20, -1, 500}},
            {"TRUE", {5, -1, 7, -1}, {5, -1, 7, -1}},
            {"", {10, 20, 600, 500}, {-1, -1, -1, -1}},
            {"true", {10, 20, 600, 500}, {-1, -1, -1, -1}}};
        // clang-format on
        for (const auto& r : rows) {
            Settings s(r.save, r.stored[0], r.stored[1], r.stored[2], r.stored[3]);
            const StoredBounds b = ReadStoredBounds(s.source);
            const Opt got[] = {b.Left, b.Top, b.Width, b.Height};
            for (int i = 0; i < 4; ++i)
                QCOMPARE(got[i].value_or(-1), r.expected[i]);
        }
    }

    void writeBounds() {
        Settings s("", -1, -1, -1, -1);
        WriteBounds(s.source, 11, 22, 633, 444);
        QCOMPARE(s.source.GetString("SaveWindowPos"), std::string());
        for (const auto& [field, value] :
             {std::pair{"Left", 11}, {"Top", 22}, {"Width", 633}, {"Height", 444}})
            QCOMPARE(s.source.GetInteger(field), value);
        // A settings table without a record or the fields must not swallow the bounds.
        TnkDBData data;
        TnkDBSource bare(&data);
        WriteBounds(bare, 5, 6, 700, 0);
        QCOMPARE(bare.RecordCount(), 1);
        QCOMPARE(bare.GetInteger(0, "Left"), 5);
        QCOMPARE(bare.GetInteger(0, "Top"), 6);
        QCOMPARE(bare.GetInteger(0, "Width"), 700);
    }

    void dropTarget() {
        TnkDBData data;
        TnkDBSource configs(&data);
        for (const char* f : {"Host", "LoginName", "LoginPassword", "FTPDefaultFolder"})
            data.AddField(f);
        configs.Append();
        configs.SetString(0, "Host", "first.example");
        configs.Append();
        configs.SetString(1, "Host", "127.0.0.1:2121");
        configs.SetString(1, "LoginName", "demo");
        configs.SetString(1, "LoginPassword", "\x9e\x9d\x9c"); // "abc" scrambled
        configs.SetString(1, "FTPDefaultFolder", "/www");

        SetDropTargetFromConfiguration(configs, 1);
        QCOMPARE(DropTarget.ServerHost, std::string("127.0.0.1:2121"));
        QCOMPARE(DropTarget.ServerUser, std::string("demo"));
        QCOMPARE(DropTarget.ServerPassword, std::string("abc"));
        QCOMPARE(DropTarget.RemoteFolder, std::string("/www"));
        QVERIFY(DropTarget.Passive);

        SetDropTargetFromConfiguration(configs, 7); // beyond the end: the last record
        QCOMPARE(DropTarget.ServerHost, std::string("127.0.0.1:2121"));
        SetDropTargetFromConfiguration(configs, 0); // empty folder reads "/"
        QCOMPARE(DropTarget.ServerHost, std::string("first.example"));
        QCOMPARE(DropTarget.RemoteFolder, std::string("/"));
        QCOMPARE(DropTarget.ServerPassword, std::string());

        // A port that cannot be used gives no target rather than one on another port.
        data.AddField("Port");
        configs.SetString(1, "Port", "70000");
        SetDropTargetFromConfiguration(configs, 1);
        QVERIFY(DropTarget.ServerHost.empty());
    }
};

QTEST_GUILESS_MAIN(TestAppPlacement)
#include "test_app_placement.moc"
