// Guards: every command's enabling, one input changed per row from a state where it holds.
#include "core/app/CommandStates.h"

#include <QSet>
#include <QStringList>
#include <QTest>

#include <functional>

using namespace pw;

Q_DECLARE_METATYPE(pw::CommandInputs)

namespace {
using S = ActivityState;
using Change = std::function<void(CommandInputs&)>;

CommandInputs with(Change change) {
    CommandInputs in;
    in.ConfigCount = 1;
    change(in);
    return in;
}

void row(const char* name, QStringList items, Change change, bool expected) {
    QTest::newRow(name) << items << with(std::move(change)) << expected;
}
} // namespace

class TestAppCommands : public QObject {
    Q_OBJECT
private slots:
    void enabling_data();
    void enabling();
    void everyItemOnce();
    void animation_data();
    void animation();
    void closeDecision_data();
    void closeDecision();
};

void TestAppCommands::enabling_data() {
    // clang-format off
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<CommandInputs>("inputs");
    QTest::addColumn<bool>("expected");

    const QStringList start{"miNewsStart", "siNewsStart"};
    row("start idle configs", start, [](auto&) {}, true);
    row("start no configs", start, [](auto& in) { in.ConfigCount = 0; }, false);
    row("start connected", start, [](auto& in) { in.States.News = S::Connected; }, false);
    row("start busy", start, [](auto& in) { in.States.News = S::Busy; }, false);

    const QStringList connectedOnly{"miNewsStop",       "siNewsStop",       "miNewsPost",
                                    "siNewsPost",       "miNewsEditHeader", "siNewsEditHeader",
                                    "miNewsEditFooter", "siNewsEditFooter", "miNewsNew",
                                    "siNewsNew"};
    row("news connected", connectedOnly, [](auto& in) { in.States.News = S::Connected; }, true);
    row("news connected no configs", connectedOnly,
        [](auto& in) { in.States.News = S::Connected, in.ConfigCount = 0; }, true);
    row("news idle", connectedOnly, [](auto&) {}, false);
    row("news busy", connectedOnly, [](auto& in) { in.States.News = S::Busy; }, false);

    const QStringList del{"miNewsDelete", "siNewsDelete"};
    const auto loaded = [](int count, int recNo) {
        return [=](CommandInputs& in) {
            in.States.News = S::Connected;
            in.NewsRecordCount = count;
            in.NewsRecNo = recNo;
        };
    };
    row("delete with records", del, loaded(1, 0), true);
    row("delete empty table", del, loaded(0, -1), false);
    row("delete not connected", del, [](auto& in) { in.NewsRecordCount = 3; }, false);

    const QStringList back{"miNewsFirst", "siNewsFirst", "miNewsPrev", "siNewsPrev"};
    const QStringList forward{"miNewsNext", "siNewsNext", "miNewsLast", "siNewsLast"};
    row("back at oldest", back, loaded(3, 0), false);
    row("back at 1", back, loaded(3, 1), true);
    row("back at newest", back, loaded(3, 2), true);
    row("back empty", back, loaded(0, -1), false);
    row("forward at oldest", forward, loaded(3, 0), true);
    row("forward at 1", forward, loaded(3, 1), true);
    row("forward at newest", forward, loaded(3, 2), false);
    row("forward single", forward, loaded(1, 0), false);
    row("forward empty", forward, loaded(0, -1), false);
    row("back idle", back, [](auto& in) { in.NewsRecordCount = 3, in.NewsRecNo = 2; }, false);
    row("forward idle", forward, [](auto& in) { in.NewsRecordCount = 3, in.NewsRecNo = 0; }, false);

    const QStringList preview{"miNewsPreview", "siNewsPreview"};
    row("preview loaded", preview,
        [](auto& in) { in.States.News = S::Connected, in.PreviewLoaded = true; }, true);
    row("preview no library", preview, [](auto& in) { in.States.News = S::Connected; }, false);
    row("preview idle", preview, [](auto& in) { in.PreviewLoaded = true; }, false);

    row("gauge busy", {"sbaNews.0"}, [](auto& in) { in.States.News = S::Busy; }, true);
    row("gauge connected", {"sbaNews.0"}, [](auto& in) { in.States.News = S::Connected; }, false);
    row("gauge idle", {"sbaNews.0"}, [](auto&) {}, false);
    row("news chooser idle", {"cbNewsConfig"}, [](auto& in) { in.ConfigCount = 0; }, true);
    row("news chooser connected", {"cbNewsConfig"}, [](auto& in) { in.States.News = S::Connected; },
        false);
    row("news chooser busy", {"cbNewsConfig"}, [](auto& in) { in.States.News = S::Busy; }, false);

    row("newsfile wizard", {"miNewNewsfile"}, [](auto&) {}, true);
    row("newsfile wizard no configs", {"miNewNewsfile"}, [](auto& in) { in.ConfigCount = 0; },
        false);
    row("newsfile wizard transfer busy", {"miNewNewsfile"},
        [](auto& in) { in.States.Transfer = S::Busy; }, false);
    row("newsfile wizard links connected", {"miNewNewsfile"},
        [](auto& in) { in.States.Links = S::Connected; }, false);

    const QStringList allIdleItems{"miNewServer", "miConfiguration", "siConfiguration"};
    row("all idle", allIdleItems, [](auto&) {}, true);
    row("all idle without configs", allIdleItems, [](auto& in) { in.ConfigCount = 0; }, true);
    row("ftp connected", allIdleItems, [](auto& in) { in.States.FTP = S::Connected; }, false);
    row("transfer connected", allIdleItems, [](auto& in) { in.States.Transfer = S::Connected; },
        false);
    row("news busy config", allIdleItems, [](auto& in) { in.States.News = S::Busy; }, false);

    const QStringList configsOnly{"miDropperWindow",
                                  "miMinimizeToTray",
                                  "siMinimizeToTray",
                                  "wiMinimizeToTray",
                                  "miLinksStart",
                                  "siLinksStart",
                                  "cbLocalDrives",
                                  "miFTPLocalSortName",
                                  "miFTPLocalSortSize",
                                  "miFTPLocalSortUnsorted",
                                  "miFTPLocalSortExtension",
                                  "miFTPLocalSortTimeDate",
                                  "siTransferPause",
                                  "siTransferRestart"};
    row("configs", configsOnly, [](auto& in) { in.States.News = S::Busy; }, true);
    row("no configs", configsOnly, [](auto& in) { in.ConfigCount = 0; }, false);

    const QStringList exitItems{"miExit", "siExit"};
    row("exit idle", exitItems, [](auto& in) { in.ConfigCount = 0; }, true);
    row("exit connected", exitItems,
        [](auto& in) { in.States.News = S::Connected, in.States.FTP = S::Connected; }, true);
    row("exit transfer busy", exitItems, [](auto& in) { in.States.Transfer = S::Busy; }, false);
    row("exit links busy", exitItems, [](auto& in) { in.States.Links = S::Busy; }, false);

    const QStringList connect{"miFTPConnect", "siFTPConnect", "miFTPQuickConnect",
                              "siFTPQuickConnect"};
    row("connect", connect, [](auto&) {}, true);
    row("connect no configs", connect, [](auto& in) { in.ConfigCount = 0; }, false);
    row("connect busy", connect, [](auto& in) { in.States.FTP = S::Busy; }, false);
    row("connect connected", connect, [](auto& in) { in.States.FTP = S::Connected; }, false);
    row("ftp chooser idle", {"cbFTPConfig"}, [](auto& in) { in.ConfigCount = 0; }, true);
    row("ftp chooser busy", {"cbFTPConfig"}, [](auto& in) { in.States.FTP = S::Busy; }, false);
    row("ftp chooser connected", {"cbFTPConfig"}, [](auto& in) { in.States.FTP = S::Connected; },
        false);

    const QStringList disconnect{"miFTPDisconnect", "siFTPDisconnect"};
    row("disconnect connected", disconnect,
        [](auto& in) { in.States.FTP = S::Connected, in.ConfigCount = 0; }, true);
    row("disconnect busy", disconnect, [](auto& in) { in.States.FTP = S::Busy; }, false);

    const QStringList remoteReady{"miFTPRefreshFTP",       "siFTPRefreshFTP",
                                  "milvRemoteRefresh",     "miFTPMakeDirectoryFTP",
                                  "siFTPMakeDirectoryFTP", "milvRemoteCreateFolder"};
    row("remote ready", remoteReady, [](auto& in) { in.States.FTP = S::Connected; }, true);
    row("remote refreshing", remoteReady,
        [](auto& in) { in.States.FTP = S::Connected, in.RemoteRefreshing = true; }, false);
    row("remote idle", remoteReady, [](auto&) {}, false);

    const QStringList remoteUp{"miFTPRemoteDirRoot", "siFTPRemoteDirRoot", "milvRemoteRoot",
                               "miFTPRemoteDirUp",   "siFTPRemoteDirUp",   "milvRemoteUp"};
    const auto remoteAt = [](int length, bool refreshing) {
        return [=](CommandInputs& in) {
            in.States.FTP = S::Connected;
            in.RemotePathLength = length;
            in.RemoteRefreshing = refreshing;
        };
    };
    row("remote at root", remoteUp, remoteAt(1, false), false);
    row("remote below root", remoteUp, remoteAt(2, false), true);
    row("remote below root refreshing", remoteUp, remoteAt(5, true), false);
    row("remote below root idle", remoteUp, [](auto& in) { in.RemotePathLength = 5; }, false);

    const QStringList remoteSelection{
        "miFTPCopyFTPToLocal",   "siFTPCopyFTPToLocal",   "milvRemoteCopy",
        "miFTPDeleteOnFTP",      "siFTPDeleteOnFTP",      "milvRemoteDelete",
        "miFTPRenameRemoteFile", "siFTPRenameRemoteFile", "milvRemoteRename"};
    row("remote selected", remoteSelection,
        [](auto& in) { in.RemoteSelected = true, in.ConfigCount = 0; }, true);
    row("remote none selected", remoteSelection, [](auto& in) { in.States.FTP = S::Connected; },
        false);

    const QStringList localRefresh{"miFTPRefreshLocal",       "siFTPRefreshLocal",
                                   "milvLocalRefresh",        "miFTPMakeDirectoryLocal",
                                   "siFTPMakeDirectoryLocal", "milvLocalCreateFolder"};
    row("local refresh", localRefresh, [](auto&) {}, true);
    row("local refresh no configs", localRefresh, [](auto& in) { in.ConfigCount = 0; }, false);
    row("local refreshing", localRefresh, [](auto& in) { in.LocalRefreshing = true; }, false);

    const QStringList localUp{"miFTPLocalDirRoot", "siFTPLocalDirRoot", "milvLocalRoot",
                              "miFTPLocalDirUp",   "siFTPLocalDirUp",   "milvLocalUp"};
    row("local below root", localUp,
        [](auto& in) { in.LocalPathIsRoot = false, in.ConfigCount = 0; }, true);
    row("local at root", localUp, [](auto&) {}, false);
    row("local below root refreshing", localUp,
        [](auto& in) { in.LocalPathIsRoot = false, in.LocalRefreshing = true; }, false);

    const QStringList localCopy{"miFTPCopyLocalToFTP", "siFTPCopyLocalToFTP", "milvLocalCopy"};
    row("local copy connected", localCopy,
        [](auto& in) { in.LocalSelected = true, in.States.FTP = S::Connected; }, true);
    row("local copy not connected", localCopy, [](auto& in) { in.LocalSelected = true; }, false);
    row("local copy ftp busy", localCopy,
        [](auto& in) { in.LocalSelected = true, in.States.FTP = S::Busy; }, false);
    row("local copy nothing selected", localCopy, [](auto& in) { in.States.FTP = S::Connected; },
        false);

    const QStringList localDelete{"miFTPDeleteOnLocal", "siFTPDeleteOnLocal", "milvLocalDelete"};
    row("local delete", localDelete, [](auto& in) { in.LocalSelected = true; }, true);
    row("local delete refreshing", localDelete,
        [](auto& in) { in.LocalSelected = true, in.LocalRefreshing = true; }, false);
    row("local delete nothing selected", localDelete, [](auto&) {}, false);
    const QStringList localRename{"miFTPRenameLocalFile", "siFTPRenameLocalFile",
                                  "milvLocalRename"};
    row("local rename refreshing", localRename,
        [](auto& in) { in.LocalSelected = true, in.LocalRefreshing = true; }, true);
    row("local rename nothing selected", localRename, [](auto&) {}, false);

    row("pause menu", {"miTransferPause"}, [](auto&) {}, true);
    row("pause menu down", {"miTransferPause"}, [](auto& in) { in.TransferPauseDown = true; },
        false);
    row("pause menu no configs", {"miTransferPause"}, [](auto& in) { in.ConfigCount = 0; }, false);
    row("pause button down", {"siTransferPause"}, [](auto& in) { in.TransferPauseDown = true; },
        true);
    row("restart menu", {"miTransferRestart"}, [](auto& in) { in.TransferPauseDown = true; }, true);
    row("restart menu down", {"miTransferRestart"}, [](auto& in) { in.TransferRestartDown = true; },
        false);
    row("restart button down", {"siTransferRestart"},
        [](auto& in) { in.TransferRestartDown = true; }, true);

    const QStringList transferDelete{"miTransferDelete", "siTransferDelete"};
    row("transfer delete", transferDelete, [](auto& in) { in.TransferSelected = true; }, true);
    row("transfer delete no configs", transferDelete,
        [](auto& in) { in.TransferSelected = true, in.ConfigCount = 0; }, false);
    row("transfer delete nothing selected", transferDelete, [](auto&) {}, false);
    const QStringList retry{"miTransferRetry", "siTransferRetry"};
    row("retry with a failed job", retry, [](auto& in) { in.TransferFailed = true; }, true);
    row("retry without", retry, [](auto&) {}, false);
    // clang-format on
}

void TestAppCommands::enabling() {
    QFETCH(QStringList, items);
    QFETCH(CommandInputs, inputs);
    QFETCH(bool, expected);
    const CommandStates states = ComputeCommandStates(inputs);
    for (const QString& item : items)
        QVERIFY2(states.Enabled(item.toStdString()) == expected, qPrintable(item));
}

void TestAppCommands::everyItemOnce() {
    // A name set twice would let the second rule silently override the first.
    const CommandStates states = ComputeCommandStates({});
    QSet<QString> seen;
    for (const auto& [name, enabled] : states.Items) {
        QVERIFY2(!seen.contains(QString::fromStdString(name)), name.c_str());
        seen.insert(QString::fromStdString(name));
    }
    QCOMPARE(seen.size(), 101);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, states.Enabled("miTransferStop"));
}

void TestAppCommands::animation_data() {
    QTest::addColumn<CommandInputs>("inputs");
    QTest::addColumn<bool>("active");
    QTest::newRow("all idle") << with([](auto&) {}) << false;
    QTest::newRow("news busy") << with([](auto& in) { in.States.News = S::Busy; }) << true;
    QTest::newRow("links connected")
        << with([](auto& in) { in.States.Links = S::Connected; }) << true;
    QTest::newRow("transfer connected")
        << with([](auto& in) { in.States.Transfer = S::Connected; }) << true;
    QTest::newRow("refreshing only")
        << with([](auto& in) { in.LocalRefreshing = in.RemoteRefreshing = true; }) << false;
}

void TestAppCommands::animation() {
    QFETCH(CommandInputs, inputs);
    QFETCH(bool, active);
    QCOMPARE(ComputeCommandStates(inputs).AnimationActive, active);
}

void TestAppCommands::closeDecision_data() {
    QTest::addColumn<CommandInputs>("inputs");
    QTest::addColumn<int>("decision");
    const auto d = [](CloseDecision c) { return static_cast<int>(c); };
    QTest::newRow("idle") << with([](auto&) {}) << d(CloseDecision::Close);
    QTest::newRow("news connected")
        << with([](auto& in) { in.States.News = S::Connected; }) << d(CloseDecision::Ask);
    QTest::newRow("transfer connected")
        << with([](auto& in) { in.States.Transfer = S::Connected; }) << d(CloseDecision::Ask);
    QTest::newRow("ftp busy") << with([](auto& in) { in.States.FTP = S::Busy; })
                              << d(CloseDecision::Refuse);
    QTest::newRow("busy beats connected")
        << with([](auto& in) { in.States.News = S::Connected, in.States.Transfer = S::Busy; })
        << d(CloseDecision::Refuse);
}

void TestAppCommands::closeDecision() {
    QFETCH(CommandInputs, inputs);
    QFETCH(int, decision);
    QCOMPARE(static_cast<int>(DecideClose(inputs.States)), decision);
}

QTEST_GUILESS_MAIN(TestAppCommands)
#include "test_app_commands.moc"
