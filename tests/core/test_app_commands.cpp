// Guards: every command's enabling, the activity animation and the close decision, over one
// fixed list of window states that sits at each rule's boundaries.
#include "core/app/CommandStates.h"

#include <QSet>
#include <QStringList>
#include <QTest>

#include <functional>

using namespace pw;

namespace {
using S = ActivityState;

struct Probe {
    const char* name;
    std::function<void(CommandInputs&)> change; // applied to one configuration, all idle
};

auto loaded(int count, int recNo) {
    return [=](CommandInputs& in) {
        in.States.News = S::Connected, in.NewsRecordCount = count, in.NewsRecNo = recNo;
    };
}

// clang-format off
const std::vector<Probe> probes{
    /*  0 */ {"idle", [](auto&) {}},
    /*  1 */ {"no configs", [](auto& in) { in.ConfigCount = 0; }},
    /*  2 */ {"news connected", [](auto& in) { in.States.News = S::Connected; }},
    /*  3 */ {"news connected, no configs", [](auto& in) { in.States.News = S::Connected, in.ConfigCount = 0; }},
    /*  4 */ {"news busy", [](auto& in) { in.States.News = S::Busy; }},
    /*  5 */ {"one item", loaded(1, 0)},
    /*  6 */ {"no items", loaded(0, -1)},
    /*  7 */ {"at the oldest of 3", loaded(3, 0)},
    /*  8 */ {"at the middle of 3", loaded(3, 1)},
    /*  9 */ {"at the newest of 3", loaded(3, 2)},
    /* 10 */ {"3 items, news idle", [](auto& in) { in.NewsRecordCount = 3, in.NewsRecNo = 1; }},
    /* 11 */ {"preview loaded", [](auto& in) { in.States.News = S::Connected, in.PreviewLoaded = true; }},
    /* 12 */ {"preview loaded, news idle", [](auto& in) { in.PreviewLoaded = true; }},
    /* 13 */ {"transfer busy", [](auto& in) { in.States.Transfer = S::Busy; }},
    /* 14 */ {"transfer connected", [](auto& in) { in.States.Transfer = S::Connected; }},
    /* 15 */ {"links connected", [](auto& in) { in.States.Links = S::Connected; }},
    /* 16 */ {"links busy", [](auto& in) { in.States.Links = S::Busy; }},
    /* 17 */ {"news connected, transfer busy", [](auto& in) { in.States.News = S::Connected, in.States.Transfer = S::Busy; }},
    /* 18 */ {"ftp connected", [](auto& in) { in.States.FTP = S::Connected; }},
    /* 19 */ {"ftp connected, no configs", [](auto& in) { in.States.FTP = S::Connected, in.ConfigCount = 0; }},
    /* 20 */ {"ftp busy", [](auto& in) { in.States.FTP = S::Busy; }},
    /* 21 */ {"remote at root", [](auto& in) { in.States.FTP = S::Connected, in.RemotePathLength = 1; }},
    /* 22 */ {"remote one below root", [](auto& in) { in.States.FTP = S::Connected, in.RemotePathLength = 2; }},
    /* 23 */ {"remote below root, refreshing", [](auto& in) { in.States.FTP = S::Connected, in.RemotePathLength = 5, in.RemoteRefreshing = true; }},
    /* 24 */ {"remote path, ftp idle", [](auto& in) { in.RemotePathLength = 5; }},
    /* 25 */ {"remote selected, no configs", [](auto& in) { in.RemoteSelected = true, in.ConfigCount = 0; }},
    /* 26 */ {"local below root, refreshing", [](auto& in) { in.LocalPathIsRoot = false, in.LocalRefreshing = true; }},
    /* 27 */ {"local below root, no configs", [](auto& in) { in.LocalPathIsRoot = false, in.ConfigCount = 0; }},
    /* 28 */ {"local selected", [](auto& in) { in.LocalSelected = true; }},
    /* 29 */ {"local selected, ftp connected", [](auto& in) { in.LocalSelected = true, in.States.FTP = S::Connected; }},
    /* 30 */ {"local selected, ftp busy", [](auto& in) { in.LocalSelected = true, in.States.FTP = S::Busy; }},
    /* 31 */ {"local selected, refreshing", [](auto& in) { in.LocalSelected = true, in.LocalRefreshing = true; }},
    /* 32 */ {"pause down", [](auto& in) { in.TransferPauseDown = true; }},
    /* 33 */ {"restart down", [](auto& in) { in.TransferRestartDown = true; }},
    /* 34 */ {"job selected", [](auto& in) { in.TransferSelected = true; }},
    /* 35 */ {"job selected, no configs", [](auto& in) { in.TransferSelected = true, in.ConfigCount = 0; }},
    /* 36 */ {"a job failed", [](auto& in) { in.TransferFailed = true; }},
};

// One character per probe above, in groups of five: 1 enabled, 0 disabled.
const std::vector<std::pair<QStringList, const char*>> rules{
    {{"miNewsStart", "siNewsStart"},
     "10000 00000 10111 11010 11111 01011 11111 01"},
    {{"miNewsStop", "siNewsStop", "miNewsPost", "siNewsPost", "miNewsEditHeader",
      "siNewsEditHeader", "miNewsEditFooter", "siNewsEditFooter", "miNewsNew", "siNewsNew"},
     "00110 11111 01000 00100 00000 00000 00000 00"},
    {{"miNewsDelete", "siNewsDelete"},
     "00000 10111 00000 00000 00000 00000 00000 00"},
    {{"miNewsFirst", "siNewsFirst", "miNewsPrev", "siNewsPrev"},
     "00000 00011 00000 00000 00000 00000 00000 00"},
    {{"miNewsNext", "siNewsNext", "miNewsLast", "siNewsLast"},
     "00000 00110 00000 00000 00000 00000 00000 00"},
    {{"miNewsPreview", "siNewsPreview"},
     "00000 00000 01000 00000 00000 00000 00000 00"},
    {{"sbaNews.0"},
     "00001 00000 00000 00000 00000 00000 00000 00"},
    {{"cbNewsConfig"},
     "11000 00000 10111 11011 11111 11111 11111 11"},
    {{"miNewNewsfile"},
     "10000 00000 10100 00000 00001 01010 01111 01"},
    {{"miNewServer", "miConfiguration", "siConfiguration"},
     "11000 00000 10100 00000 00001 11110 01111 11"},
    {{"miDropperWindow", "miMinimizeToTray", "siMinimizeToTray", "wiMinimizeToTray", "miLinksStart",
      "siLinksStart", "miFTPLocalSortUnsorted", "miFTPLocalSortName", "miFTPLocalSortExtension",
      "miFTPLocalSortTimeDate", "miFTPLocalSortSize", "cbLocalDrives", "siTransferPause",
      "siTransferRestart"},
     "10101 11111 11111 11110 11111 01011 11111 01"},
    {{"miExit", "siExit"},
     "11110 11111 11101 10011 01111 11111 01111 11"},
    {{"miFTPConnect", "siFTPConnect", "miFTPQuickConnect", "siFTPQuickConnect"},
     "10101 11111 11111 11100 00001 01010 01111 01"},
    {{"miFTPDisconnect", "siFTPDisconnect"},
     "00000 00000 00000 00011 01110 00001 00000 00"},
    {{"miFTPRefreshFTP", "siFTPRefreshFTP", "milvRemoteRefresh", "miFTPMakeDirectoryFTP",
      "siFTPMakeDirectoryFTP", "milvRemoteCreateFolder"},
     "00000 00000 00000 00011 01100 00001 00000 00"},
    {{"miFTPRemoteDirRoot", "siFTPRemoteDirRoot", "milvRemoteRoot", "miFTPRemoteDirUp",
      "siFTPRemoteDirUp", "milvRemoteUp"},
     "00000 00000 00000 00000 00100 00000 00000 00"},
    {{"miFTPCopyFTPToLocal", "siFTPCopyFTPToLocal", "milvRemoteCopy", "miFTPDeleteOnFTP",
      "siFTPDeleteOnFTP", "milvRemoteDelete", "miFTPRenameRemoteFile", "siFTPRenameRemoteFile",
      "milvRemoteRename"},
     "00000 00000 00000 00000 00000 10000 00000 00"},
    {{"miFTPRefreshLocal", "siFTPRefreshLocal", "milvLocalRefresh", "miFTPMakeDirectoryLocal",
      "siFTPMakeDirectoryLocal", "milvLocalCreateFolder"},
     "10101 11111 11111 11110 11111 00011 10111 01"},
    {{"miFTPLocalDirRoot", "siFTPLocalDirRoot", "milvLocalRoot", "miFTPLocalDirUp",
      "siFTPLocalDirUp", "milvLocalUp"},
     "00000 00000 00000 00000 00000 00100 00000 00"},
    {{"miFTPCopyLocalToFTP", "siFTPCopyLocalToFTP", "milvLocalCopy"},
     "00000 00000 00000 00000 00000 00001 00000 00"},
    {{"miFTPDeleteOnLocal", "siFTPDeleteOnLocal", "milvLocalDelete"},
     "00000 00000 00000 00000 00000 00011 10000 00"},
    {{"miFTPRenameLocalFile", "siFTPRenameLocalFile", "milvLocalRename"},
     "00000 00000 00000 00000 00000 00011 11000 00"},
    {{"cbFTPConfig"},
     "11111 11111 11111 11100 00001 11110 01111 11"},
    {{"miTransferPause"},
     "10101 11111 11111 11110 11111 01011 11011 01"},
    {{"miTransferRestart"},
     "10101 11111 11111 11110 11111 01011 11101 01"},
    {{"miTransferDelete", "siTransferDelete"},
     "00000 00000 00000 00000 00000 00000 00001 00"},
    {{"miTransferRetry", "siTransferRetry"},
     "00000 00000 00000 00000 00000 00000 00000 01"},
};
// Per probe: whether the animation runs, and the close decision (C close, A ask, R refuse).
const char* const animationMask = "00111 11111 01011 11111 11110 00001 10000 00";
const char* const closeMask = "CCAAR AAAAA CACRA ARRAA RAAAC CCCCA RCCCC CC";
// clang-format on

CommandInputs inputsOf(const Probe& probe) {
    CommandInputs in;
    in.ConfigCount = 1;
    probe.change(in);
    return in;
}

QString compact(const char* mask) {
    return QString(mask).remove(' ');
}
} // namespace

class TestAppCommands : public QObject {
    Q_OBJECT
private slots:
    void enabling() {
        for (const auto& [items, mask] : rules) {
            QCOMPARE(compact(mask).size(), qsizetype(probes.size()));
            for (size_t p = 0; p < probes.size(); ++p) {
                const CommandStates states = ComputeCommandStates(inputsOf(probes[p]));
                const bool expected = compact(mask)[p] == '1';
                for (const QString& item : items)
                    QVERIFY2(states.Enabled(item.toStdString()) == expected,
                             qPrintable(item + " at " + probes[p].name));
            }
        }
    }

    void everyItemExactlyOnce() {
        // A name set twice would let the second rule silently override the first, and a name the
        // table lacks would go unchecked.
        QSet<QString> set, listed;
        for (const auto& [name, enabled] : ComputeCommandStates({}).Items) {
            QVERIFY2(!set.contains(QString::fromStdString(name)), name.c_str());
            set.insert(QString::fromStdString(name));
        }
        for (const auto& [items, mask] : rules)
            for (const QString& item : items)
                listed.insert(item);
        QCOMPARE(set, listed);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range,
                                 ComputeCommandStates({}).Enabled("miTransferStop"));
    }

    void animationAndClose() {
        for (size_t p = 0; p < probes.size(); ++p) {
            const CommandInputs in = inputsOf(probes[p]);
            QVERIFY2(ComputeCommandStates(in).AnimationActive == (compact(animationMask)[p] == '1'),
                     probes[p].name);
            QVERIFY2(compact(closeMask)[p] == "RAC"[static_cast<int>(DecideClose(in.States))],
                     probes[p].name);
        }
    }
};

QTEST_GUILESS_MAIN(TestAppCommands)
#include "test_app_commands.moc"
