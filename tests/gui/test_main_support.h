#pragma once
// Shared pieces of the main-window tests: a temporary program folder, configuration files
// written the way the wizard and the dialog write them, and answers to the window's prompts.
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "gui/app/TfmMain.h"
#include "gui/ui/UserPrompts.h"
#include "support/TempHome.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

// A file as the new-server wizard leaves it on first run. The configurations' local and
// temporary folders are made beside it: the local pane watches its folder, and a shared one
// such as /tmp would change under it while other tests run.
inline void writeWizardFile(const std::string& path, int configurations = 1) {
    QFile::remove(QString::fromStdString(path));
    const QString home = QFileInfo(QString::fromStdString(path)).absolutePath();
    QDir(home).mkpath("local");
    QDir(home).mkpath("temp");
    pw::ConfigTables tables(pw::ConfigRole::Wizard);
    pw::OpenConfigurationForWizard(tables, path);
    for (int i = 0; i < configurations; ++i) {
        pw::NewServerInput server;
        server.Name = "Server " + std::to_string(i + 1);
        server.Poster = "Poster";
        server.Host = "127.0.0.1:2121";
        server.LoginName = "demo";
        server.Password = "secret";
        server.LocalFTPDirectory = (home + "/local").toStdString();
        server.TemporaryDirectory = (home + "/temp").toStdString();
        pw::FinishNewServer(tables, server, path);
    }
}

// A file as the configuration dialog saves it, with some settings (`settings`) and fields of
// the first configuration (`fields`) changed first.
inline void writeDialogFile(const std::string& path, int configurations,
                            const std::map<std::string, std::string>& settings = {},
                            const std::map<std::string, std::string>& fields = {}) {
    writeWizardFile(path, configurations);
    pw::ConfigTables tables(pw::ConfigRole::Dialog);
    pw::OpenConfigurationForDialog(tables, path);
    for (const auto& [field, value] : settings)
        tables.SettingsSource.SetString(field, value);
    for (const auto& [field, value] : fields)
        tables.ConfigSource.SetText(0, field, value);
    pw::SaveConfigurationFromDialog(tables, path);
}

// A dialog goes to `dialog` (not shown when empty), an error to `error` (else recorded in
// `errors`), a question to `ask` (else answered Yes).
struct TestPrompts : UserPrompts {
    std::function<void(QDialog&)> dialog;
    std::function<void(const QString&)> error;
    std::function<bool(const QString&, const QString&)> ask;
    QStringList errors;

    void RunDialog(QDialog& d) override {
        if (dialog) dialog(d);
    }
    void ShowError(QWidget*, const QString& message) override {
        error ? error(message) : void(errors << message);
    }
    bool AskYesNo(QWidget*, const QString& caption, const QString& text) override {
        return ask ? ask(caption, text) : true;
    }
};

// The control or item named `name` below `w`; the test stops when there is none.
template <class T = QAction> T* child(const QObject& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// Lets the queued work of the event loop run: posted state changes, the command refresh.
inline void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

inline void touch(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}
