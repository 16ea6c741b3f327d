// Renders the configuration dialog, the new-server wizard, the About box and the two small
// prompts into PNG files, one per page, in the folder given as the first argument. A sample
// configuration file in a temporary program folder gives the pages something to show.
#include "ShotsMain.h"
#include "ShotsNews.h"
#include "core/config/ConfigTables.h"
#include "core/config/Password.h"
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmAbout.h"
#include "gui/dialogs/TfmCertificate.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "gui/dialogs/TfmNewServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

using namespace pw;

namespace {
QDir outputDir;
int failures = 0;

void settle(QWidget* window) {
    window->show();
    window->raise();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 250)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void save(QWidget* window, const QString& name) {
    settle(window);
    QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!window->mask().isEmpty()) {
        // Shaped windows: everything outside the shape is transparent.
        QImage shaped(image.size(), QImage::Format_ARGB32);
        shaped.fill(Qt::transparent);
        QPainter painter(&shaped);
        painter.setClipRegion(window->mask());
        painter.drawImage(0, 0, image);
        painter.end();
        image = shaped;
    }
    const QString path = outputDir.filePath(name + QStringLiteral(".png"));
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void writeSampleConfiguration(const std::string& path) {
    ConfigTables tables(ConfigRole::Dialog);
    tables.SettingsSource.Append();
    const struct {
        const char* name;
        const char* host;
        const char* login;
    } samples[] = {{"Home page", "ftp.example.net", "ann"}, {"Club news", "127.0.0.1", "club"}};
    for (const auto& sample : samples) {
        const int r = tables.ConfigSource.Append();
        tables.ConfigSource.SetString(r, "Name", sample.name);
        tables.ConfigSource.SetString(r, "Host", sample.host);
        tables.ConfigSource.SetString(r, "LoginName", sample.login);
        tables.ConfigSource.SetString(r, "LoginPassword", ScramblePassword("secret"));
        tables.ConfigSource.SetString(r, "Poster", "Ann Example");
        tables.ConfigSource.SetString(r, "LocalFTPDirectory", "/home/ann/site");
        tables.ConfigSource.SetString(r, "TemporaryDirectory", "/tmp");
        tables.ConfigSource.SetString(r, "NewsBetweenNews", "<hr>\r\n");
    }
    tables.ConfigSource.First();
    tables.Save(path);
}

void configurationPages() {
    TfmConfiguration dialog;
    auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("pcConfiguration"));
    int shown = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i)) continue;
        tabs->setCurrentIndex(i);
        QString name = tabs->tabText(i).toLower();
        name.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(' '), QString());
        save(&dialog, QStringLiteral("configuration-%1-%2").arg(++shown).arg(name));
    }
}

void wizardPages() {
    TfmNewServer wizard;
    auto* next = wizard.findChild<QPushButton*>(QStringLiteral("btNext"));
    auto type = [&wizard](const char* edit, const char* text) {
        wizard.findChild<QLineEdit*>(QString::fromLatin1(edit))->setText(QString::fromLatin1(text));
    };
    save(&wizard, QStringLiteral("wizard-1-start"));
    next->click();
    type("edNameOfConfiguration", "Home page");
    type("edName", "Ann Example");
    save(&wizard, QStringLiteral("wizard-2-name"));
    next->click();
    type("edHost", "ftp.example.net");
    type("edLoginname", "ann");
    type("edPassword", "secret");
    save(&wizard, QStringLiteral("wizard-3-server"));
    next->click();
    save(&wizard, QStringLiteral("wizard-4-harddisk"));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // for the preview's web engine
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    outputDir = QDir(QString::fromLocal8Bit(argv[1]));
    if (!outputDir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir home;
    qputenv("PAGEWRIGHT_HOME", QFile::encodeName(home.path()));
    writeSampleConfiguration(QFile::encodeName(home.filePath("Pagewright2.cfg")).toStdString());

    configurationPages();
    wizardPages();
    {
        TfmAbout about;
        save(&about, QStringLiteral("about"));
    }
    {
        TfmCreateFolder folder;
        folder.edFolder->setText(QStringLiteral("images"));
        save(&folder, QStringLiteral("create-folder"));
    }
    {
        TfmPassword prompt;
        save(&prompt, QStringLiteral("password"));
    }
    {
        // A self-signed certificate met at the first connect.
        pw::TlsCertificate shown;
        shown.Subject = "CN=ftp.example.net,O=Sailing Club";
        shown.Issuer = shown.Subject;
        shown.NotBefore = "Dec  1 09:00:00 2026 GMT";
        shown.NotAfter = "Dec  1 09:00:00 2027 GMT";
        shown.Fingerprint = "3F:A1:07:C2:9B:54:E8:1D:60:AA:42:7E:C9:13:F0:88:"
                            "2B:D6:95:4C:71:0E:B3:5A:E2:97:18:6F:C4:3D:80:59";
        TfmCertificate question(QStringLiteral("ftp.example.net"), shown, true);
        save(&question, QStringLiteral("certificate"));
    }
    failures += MainWindowShots(outputDir);
    failures += NewsDialogShots(outputDir);
    return failures == 0 ? 0 : 1;
}
