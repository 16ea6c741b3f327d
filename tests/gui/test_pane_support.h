#pragma once
// Shared pieces of the tests of the FTP page: a configuration for the test server, and
// reading and selecting the rows of a list by caption.
#include "core/config/Password.h"
#include "support/FtpServer.h"
#include "test_main_support.h"

// A configuration for `host` (anonymous, a 10 s time-out) whose local folder is `local`;
// `extra` adds or overrides fields.
inline void writeServerConfig(const std::string& path, const std::string& host,
                              const QString& local,
                              const std::map<std::string, std::string>& extra = {}) {
    std::map<std::string, std::string> f = extra;
    f.emplace("Host", host);
    f.emplace("LoginName", "anonymous");
    f.emplace("LoginPassword", pw::ScramblePassword("me@home"));
    f.emplace("LocalFTPDirectory", QFile::encodeName(local).toStdString());
    f.emplace("FTPTimeout", "10");
    writeDialogFile(path, 1, {}, f);
}

// Shows the window on its FTP page; with `connect`, connects the remote pane with the page's
// configuration and waits for its first listing.
inline void showFtpPage(TfmMain& w, bool connect = false) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.GotoPage("tsFTP");
    settle();
    if (!connect) return;
    child(w, "siFTPConnect")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.FTPState(), pw::ActivityState::Connected, 20000);
    QTRY_VERIFY(!w.RemoteRefreshing());
    settle();
}

inline QStringList captions(const QObject& w, const char* list, int column = 0) {
    QStringList names;
    auto* view = child<QTreeWidget>(w, list);
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        names << view->topLevelItem(i)->text(column);
    return names;
}

// Selects the rows whose captions are among `wanted`; the first of them becomes current.
inline void select(const QObject& w, const char* list, const QStringList& wanted) {
    auto* view = child<QTreeWidget>(w, list);
    view->clearSelection();
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        if (wanted.contains(view->topLevelItem(i)->text(0))) {
            if (view->selectedItems().isEmpty()) view->setCurrentItem(view->topLevelItem(i));
            view->topLevelItem(i)->setSelected(true);
        }
}

// A window for a configuration of a fresh test server whose local folder is `local`; it goes
// first, before the server and the folders.
struct FtpWindow {
    TempHome home;
    std::unique_ptr<FtpServer> server = std::make_unique<FtpServer>();
    QTemporaryDir local;
    TestPrompts prompts;
    std::unique_ptr<TfmMain> w;
    // Opens the window on the FTP page; with `connect` the remote pane connects.
    void open(bool connect, const std::map<std::string, std::string>& extra = {}) {
        writeServerConfig(home.cfg(), server->hostName(), local.path(), extra);
        w = std::make_unique<TfmMain>(prompts);
        showFtpPage(*w, connect);
    }
};
