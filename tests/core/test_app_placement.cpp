// Window bounds in the settings record and the drop window's target.
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
    void storedBounds_data();
    void storedBounds();
    void writeBoundsWithoutSaveWindowPos();
    void writeBoundsIntoBareTable();
    void dropTarget();
};

void TestAppPlacement::storedBounds_data() {
    QTest::addColumn<QString>("save");
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<QList<int>>("expected"); // -1: left as designed
    QTest::newRow("all stored") << "TRUE" << QList<int>{10, 20, 600, 500}
                                << QList<int>{10, 20, 600, 500};
    QTest::newRow("left -1") << "TRUE" << QList<int>{-1, 20, 600, 500}
                             << QList<int>{-1, 20, 600, 500};
    QTest::newRow("zero applies") << "TRUE" << QList<int>{0, 0, 0, 0} << QList<int>{0, 0, 0, 0};
    QTest::newRow("defaults") << "TRUE" << QList<int>{-1, -1, -1, -1} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("not saved") << "" << QList<int>{10, 20, 600, 500} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("lower case true")
        << "true" << QList<int>{10, 20, 600, 500} << QList<int>{-1, -1, -1, -1};
}

void TestAppPlacement::storedBounds() {
    QFETCH(QString, save);
    QFETCH(QList<int>, stored);
    QFETCH(QList<int>, expected);
    Settings s(qPrintable(save), stored[0], stored[1], stored[2], stored[3]);
    const StoredBounds b = ReadStoredBounds(s.source);
    const auto value = [](Opt o) { return o ? *o : -1; };
    QCOMPARE((QList<int>{value(b.Left), value(b.Top), value(b.Width), value(b.Height)}), expected);
}

void TestAppPlacement::writeBoundsWithoutSaveWindowPos() {
    Settings s("", -1, -1, -1, -1);
    WriteBounds(s.source, 11, 22, 633, 444);
    QCOMPARE(s.source.GetInteger("Left"), 11);
    QCOMPARE(s.source.GetInteger("Top"), 22);
    QCOMPARE(s.source.GetInteger("Width"), 633);
    QCOMPARE(s.source.GetInteger("Height"), 444);
    QCOMPARE(s.source.GetString("SaveWindowPos"), std::string());
}

void TestAppPlacement::writeBoundsIntoBareTable() {
    // A settings table without a record or the fields must not swallow the bounds.
    TnkDBData data;
    TnkDBSource source(&data);
    WriteBounds(source, 5, 6, 700, 0);
    QCOMPARE(source.RecordCount(), 1);
    QCOMPARE(source.GetInteger(0, "Left"), 5);
    QCOMPARE(source.GetInteger(0, "Width"), 700);
    QCOMPARE(source.GetInteger(0, "Height"), 0);
}

void TestAppPlacement::dropTarget() {
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

QTEST_GUILESS_MAIN(TestAppPlacement)
#include "test_app_placement.moc"
