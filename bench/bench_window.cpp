// The main window timed as a user meets it, each against a peer doing the same work in the
// same run, best of three: the local pane listing, sorting and showing a folder of 20,000
// files (against `ls -l`), the remote pane listing and showing a server folder of 20,000
// entries (against curl's raw LIST of it), and the news page from Start to the first item
// shown for a page of 60,000 items (against curl downloading the page).
//
// usage: bench_window [ENTRIES]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "gui/app/TfmMain.h"
#include "gui/ui/UserPrompts.h"
#include "support/FtpServer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

using namespace pw;

namespace {
constexpr int kRuns = 3;

// The best time of `work`; `after` (not timed) puts things back for the next run.
double bestOf(const std::function<void()>& work, const std::function<void()>& after = {}) {
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        best = std::min(best, clock.nsecsElapsed() / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            std::fprintf(stderr, "  run %d: %.1f ms\n", i + 1, clock.nsecsElapsed() / 1e6);
        if (after) after();
        // The command refresh that follows a state change runs before the next trigger.
        QCoreApplication::processEvents();
    }
    return best;
}

void runQuietly(const QString& program, const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) qFatal("%s failed", qPrintable(program));
}

// Waits until `done` holds, letting the window work.
void waitFor(const char* what, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 120000) qFatal("timed out: %s", what);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void report(const char* what, double ours, const char* peer, double theirs) {
    std::printf("%-34s %9.1f ms   %-14s %9.1f ms   ratio %.2f\n", what, ours, peer, theirs,
                ours / theirs);
    std::fflush(stdout);
}

void writeConfig(const QString& home, const FtpServer& server, const QString& local) {
    const std::string path =
        QFile::encodeName(QDir(home).filePath("Pagewright2.cfg")).toStdString();
    ConfigTables tables(ConfigRole::Wizard);
    OpenConfigurationForWizard(tables, path);
    FinishNewServer(tables,
                    {"Bench", "Poster", server.hostName(), "anonymous", "me@home",
                     QFile::encodeName(local).toStdString(), QFile::encodeName(home).toStdString()},
                    path);
    ConfigTables dialog(ConfigRole::Dialog);
    OpenConfigurationForDialog(dialog, path);
    dialog.ConfigSource.SetText(0, "NewsFile", "/news/index.html");
    dialog.ConfigSource.SetText(0, "FTPDefaultFolder", "/many");
    dialog.ConfigSource.SetText(0, "FTPAutomaticLocalRefresh", "");
    SaveConfigurationFromDialog(dialog, path);
}

QByteArray newsPage(int items) {
    QByteArray page = "<html><body>\r\n<!-- DATA -->\r\n";
    for (int i = items; i > 0; --i)
        page += "<!-- DATE:2026/11/14(09:15) --><p>Header " + QByteArray::number(i) +
                "</p>\r\n<!-- TEXT --><A NAME=\"n" + QByteArray::number(i) +
                "\"></A>Our eight finished <b>second</b> at the regatta.<!-- SUBLINE -->"
                "<p>- Jonas</p>\r\n";
    return page + "<!-- /DATA -->\r\n</body></html>\r\n";
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    QTemporaryDir home, local;
    qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.path()));
    FtpServer server;
    if (!server.isRunning()) qFatal("no FTP server: %s", qPrintable(server.errorString()));
    server.makeDir("many");
    server.makeDir("news");
    for (int i = 0; i < entries; ++i) {
        const QString name = QString("file-%1.html").arg(i, 5, 10, QChar('0'));
        QFile(local.filePath(name)).open(QIODevice::WriteOnly);
        QFile(server.path("many/" + name)).open(QIODevice::WriteOnly);
    }
    const QByteArray page = newsPage(60000);
    server.writeFile("news/index.html", page);
    writeConfig(home.path(), server, local.path());

    UserPrompts prompts;
    TfmMain w(prompts);
    w.show();
    auto* localList = w.findChild<QTreeWidget*>("lvLocalFiles");
    auto* remoteList = w.findChild<QTreeWidget*>("lvRemoteFiles");
    std::printf("%d entries, a news page of %lld bytes\n", entries,
                static_cast<long long>(page.size()));

    const double localOurs = bestOf([&] {
        w.findChild<QAction*>("miFTPRefreshLocal")->trigger();
        if (localList->topLevelItemCount() < entries) qFatal("local pane incomplete");
    });
    const double localPeer = bestOf([&] { runQuietly("ls", {"-l", local.path()}); });
    report("local pane, list and show", localOurs, "ls -l", localPeer);

    w.findChild<QAction*>("miFTPConnect")->trigger();
    waitFor("connect",
            [&] { return w.FTPState() == ActivityState::Connected && !w.RemoteRefreshing(); });
    const auto clearRemote = [&] {
        remoteList->clear();
        QCoreApplication::processEvents();
    };
    clearRemote();
    const double remoteOurs = bestOf(
        [&] {
            w.findChild<QAction*>("miFTPRefreshFTP")->trigger();
            waitFor("remote refresh", [&] {
                return w.FTPState() == ActivityState::Connected &&
                       remoteList->topLevelItemCount() > entries;
            });
        },
        clearRemote);
    const double remotePeer = bestOf([&] {
        runQuietly("curl", {"-s", "-P", "-", "-o", "/dev/null", server.url() + "/many/"});
    });
    report("remote pane, list and show", remoteOurs, "curl LIST", remotePeer);

    auto* position = w.findChild<QLabel*>("lbNewsPosition");
    const double newsOurs = bestOf(
        [&] {
            w.findChild<QAction*>("miNewsStart")->trigger();
            waitFor("news start", [&] { return position->text() != "0/0"; });
        },
        [&] {
            waitFor("news loaded", [&] { return w.NewsState() == ActivityState::Connected; });
            QCoreApplication::processEvents();
            w.findChild<QAction*>("miNewsStop")->trigger();
            waitFor("news stop", [&] { return w.NewsState() == ActivityState::Idle; });
        });
    const double newsPeer = bestOf([&] {
        runQuietly("curl", {"-s", "-P", "-", "-o", "/dev/null", server.url() + "/news/index.html"});
    });
    report("news, Start to first item shown", newsOurs, "curl download", newsPeer);
    return 0;
}
