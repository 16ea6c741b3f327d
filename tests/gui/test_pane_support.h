#pragma once
// Shared pieces of the tests of the FTP page: a configuration for the test server, and
// reading and selecting the rows of a list by caption.
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "gui/app/TfmMain.h"
#include "support/FtpServer.h"
#include "test_main_support.h"

#include <QFile>
#include <QTest>
#include <QTreeWidget>

#include <map>
#include <string>

inline void writeFtpConfig(const std::string& path,
                           const std::map<std::string, std::string>& fields) {
    writeWizardFile(path, 1);
    pw::ConfigTables tables(pw::ConfigRole::Dialog);
    pw::OpenConfigurationForDialog(tables, path);
    for (const auto& [field, value] : fields)
        tables.ConfigSource.SetText(0, field, value);
    pw::SaveConfigurationFromDialog(tables, path);
}

// A configuration for `server` (anonymous, a 10 s time-out) whose local folder is `local`;
// `extra` adds or overrides fields.
inline void writeServerConfig(const std::string& path, const FtpServer& server,
                              const QString& local,
                              const std::map<std::string, std::string>& extra = {}) {
    std::map<std::string, std::string> f = extra;
    f.emplace("Host", server.hostName());
    f.emplace("LoginName", "anonymous");
    f.emplace("LoginPassword", pw::ScramblePassword("me@home"));
    f.emplace("LocalFTPDirectory", QFile::encodeName(local).toStdString());
    f.emplace("FTPTimeout", "10");
    writeFtpConfig(path, f);
}

// Shows the window on its FTP page.
inline void showFtpPage(TfmMain& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.GotoPage("tsFTP");
    settle();
}

// Connects the remote pane with the page's configuration and waits for its first listing.
inline void connectRemotePane(TfmMain& w) {
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
    bool first = true;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        if (wanted.contains(view->topLevelItem(i)->text(0))) {
            if (first) view->setCurrentItem(view->topLevelItem(i));
            first = false;
            view->topLevelItem(i)->setSelected(true);
        }
}

inline void touch(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline void select(const QObject& w, const char* list, const QString& caption) {
    select(w, list, QStringList{caption});
}
