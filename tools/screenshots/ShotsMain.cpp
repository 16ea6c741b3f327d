#include "ShotsMain.h"

#include "core/config/ConfigLocation.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "core/transfer/TransferJob.h"
#include "gui/app/TfmMain.h"
#include "gui/local/TfmDropper.h"
#include "gui/transfer/TransferController.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/UserPrompts.h"
#include "support/FtpServer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

using namespace pw;

namespace {
// The control named `name` in the window.
template <class T> T* child(const QObject& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
}

// Dialogs are not opened while the pictures are taken.
struct NoPrompts : UserPrompts {
    void RunDialog(QDialog&) override {}
};

void settle(int ms = 300) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool write(const QImage& image, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A configuration as the configuration dialog saves it: every page and menu shown.
void writeConfiguration(const std::string& path, const std::string& host,
                        const std::string& localFolder) {
    ConfigTables tables(ConfigRole::Dialog);
    tables.SettingsSource.Append();
    const char* names[] = {"Rowing club", "Home page"};
    for (const char* name : names) {
        const int r = tables.ConfigSource.Append();
        tables.ConfigSource.SetString(r, "Name", name);
        tables.ConfigSource.SetString(r, "Host", host);
        tables.ConfigSource.SetString(r, "LoginName", "club");
        tables.ConfigSource.SetString(r, "LoginPassword", ScramblePassword("secret"));
        tables.ConfigSource.SetString(r, "LocalFTPDirectory", localFolder);
        tables.ConfigSource.SetString(r, "SyntaxHighlight", "TRUE");
    }
    tables.Save(path);
}

void fillNews(TfmMain& w) {
    struct Item {
        const char *date, *time, *name, *header, *text, *footer;
    } items[] = {
        {"2026/10/30", "20:05", "n1", "<p class=\"date\">2026/10/30</p>",
         "The annual meeting elected a new board.", "<p class=\"by\">- Anna</p>"},
        {"2026/11/14", "09:15", "n2", "<p class=\"date\">2026/11/14</p>",
         "Our eight finished <b>second</b> at the <a href=\"regatta.html\">autumn regatta</a> "
         "in K&ouml;ln.\r\nThanks to everyone who came along to cheer!\r\n"
         "<img src=\"images/eight.png\" alt=\"The eight\" width=320>",
         "<p class=\"by\">- Jonas</p>"},
        {"2026/11/28", "18:40", "n3", "<p class=\"date\">2026/11/28</p>",
         "Winter training starts on Monday. The boat house opens at 6:30,\r\nthe coffee is on "
         "the club.",
         "<p class=\"by\">- Anna</p>"},
    };
    for (const Item& item : items) {
        const int r = w.NewsSource.Append();
        w.NewsSource.SetString(r, "Date", item.date);
        w.NewsSource.SetString(r, "Time", item.time);
        w.NewsSource.SetString(r, "Name", item.name);
        w.NewsSource.SetString(r, "Header", item.header);
        w.NewsSource.SetString(r, "Text", item.text);
        w.NewsSource.SetString(r, "Footer", item.footer);
    }
    w.NewsSource.SetRecNo(1);
    w.SetNewsState(ActivityState::Connected);
    child<GaugeStatusBar>(w, "sbaNews")->SetText(1, "Successful");
    child<GaugeStatusBar>(w, "sbaNews")->SetPanelEnabled(2, true);
}

// Copies the demo site into `target`.
void copyDemoSite(const QString& target) {
    const QDir demo(QStringLiteral(PW_SOURCE_DIR "/scripts/demo-site"));
    QDir(target).mkpath(QStringLiteral("images"));
    for (const QString& name : demo.entryList(QDir::Files))
        QFile::copy(demo.filePath(name), QDir(target).filePath(name));
    for (const QString& name : QDir(demo.filePath("images")).entryList(QDir::Files))
        QFile::copy(demo.filePath("images/" + name), QDir(target).filePath("images/" + name));
}

// Both panes on the demo site: the server's copy on the left, the local one on the right.
void connectFTP(TfmMain& w) {
    w.findChild<QAction*>("miFTPConnect")->trigger();
    QElapsedTimer clock;
    clock.start();
    while ((w.FTPState() != ActivityState::Connected || w.RemoteRefreshing()) &&
           clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    auto* remote = child<QTreeWidget>(w, "lvRemoteFiles");
    if (auto rows = remote->findItems("index.html", Qt::MatchExactly); !rows.isEmpty())
        rows.first()->setSelected(true);
}

// A real queue on the throttled server: a job into a folder the server lacks has failed, a
// large upload runs and two more wait. The upload is far larger than the socket buffers,
// which take its first megabytes at once, so that the shot shows a steady speed.
constexpr int kArchiveBytes = 40 * 1024 * 1024;

void fillTransfers(TfmMain& w, const QString& localFolder, const std::string& host) {
    const QString archive = QDir(localFolder).filePath("regatta-photos.zip");
    QFile big(archive);
    if (big.open(QIODevice::WriteOnly)) big.write(QByteArray(kArchiveBytes, 'x'));
    big.close();
    std::vector<TransferJob> jobs;
    const auto job = [&](const char* name, const char* folder, const QString& size) {
        TransferJob j;
        j.Record.LocalFile = QFile::encodeName(QDir(localFolder).filePath(name)).toStdString();
        j.Record.RemoteFile = name;
        j.Record.RemoteFolder = folder;
        j.Record.ServerHost = host;
        j.Record.ServerUser = "club";
        j.Record.ServerPassword = "secret";
        j.SizeText = size.toStdString();
        jobs.push_back(j);
    };
    job("training.html", "/archive/2025", "309");
    job("regatta-photos.zip", "/", QString::number(kArchiveBytes));
    job("training.html", "/", "309");
    job("about.html", "/", "412");
    w.Transfers().EnqueueTransfer(std::move(jobs));
    auto* bar = child<QProgressBar>(w, "pbTransfer");
    QElapsedTimer clock;
    clock.start();
    while (bar->value() < 55 && clock.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    settle(600); // the speed shows
}
} // namespace

int MainWindowShots(const QDir& outputDir) {
    // Slow enough that a running upload can be caught half way.
    FtpServer server({"--user", "club", "--password", "secret", "--throttle", "4000000"});
    if (!server.isRunning()) {
        std::fprintf(stderr, "no FTP server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    copyDemoSite(server.root());
    QTemporaryDir local;
    copyDemoSite(local.path());
    QDir(local.path()).mkpath(QStringLiteral("drafts"));
    writeConfiguration(ConfigFilePath(), server.hostName(),
                       QFile::encodeName(local.path()).toStdString());
    int failures = 0;
    NoPrompts prompts;
    TfmMain w(prompts);
    w.resize(680, 500);
    w.show();
    fillNews(w);
    connectFTP(w);
    settle();
    const struct {
        const char* page;
        const char* name;
    } pages[] = {{"tsNews", "main-news"}, {"tsFTP", "main-ftp"}};
    for (const auto& [page, name] : pages) {
        w.GotoPage(page);
        settle();
        if (!write(w.grab().toImage(), outputDir, name)) ++failures;
    }
    w.GotoPage("tsTransfers");
    w.resize(820, 500); // the State column in full
    fillTransfers(w, local.path(), server.hostName());
    if (!write(w.grab().toImage(), outputDir, "main-transfers")) ++failures;

    // The drop window over the corner of the window, as it sits in the screen's corner.
    w.findChild<QAction*>("miDropperWindow")->trigger();
    settle();
    if (QWidget* dropper = w.DropperWindow()) {
        QImage shot = w.grab().toImage();
        const QImage window = dropper->grab().toImage();
        {
            QPainter painter(&shot);
            const QRect box(shot.width() - window.width() - 12, shot.height() - window.height() - 40,
                            window.width(), window.height());
            painter.fillRect(box.adjusted(-2, -22, 2, 2), QColor(0x40, 0x40, 0x48));
            painter.setPen(Qt::white);
            painter.drawText(box.adjusted(4, -20, 0, -window.height()), "Dropper");
            painter.drawImage(box.topLeft(), window);
        }
        if (!write(shot, outputDir, "drop-window")) ++failures;
        w.findChild<QAction*>("miDropperWindow")->trigger();
    }

    // The tray menu over the window, as it opens at the bottom right corner of the screen.
    w.GotoPage("tsNews");
    settle();
    QImage shot = w.grab().toImage();
    child<QMenu>(w, "pmTray")->popup(w.mapToGlobal(QPoint(w.width() - 200, w.height() - 120)));
    settle();
    const QImage menu = child<QMenu>(w, "pmTray")->grab().toImage();
    child<QMenu>(w, "pmTray")->hide();
    {
        QPainter painter(&shot);
        painter.drawImage(shot.width() - menu.width() - 24, shot.height() - menu.height() - 30,
                          menu);
    }
    if (!write(shot, outputDir, "main-tray-menu")) ++failures;

    w.SetNewsState(ActivityState::Idle);
    w.findChild<QAction*>("miFTPDisconnect")->trigger();
    w.hide();
    return failures;
}
