#pragma once
// Shared pieces of the main-window tests: a temporary program folder, configuration files
// written the way the wizard and the dialog write them, and answering modal boxes.
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "gui/ui/UserPrompts.h"
#include "support/TempHome.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

// A configuration whose local and temporary folders are `local` and `temp`. They are folders
// of the test's own: the local pane watches its folder, and a shared one such as /tmp changes
// under it while other tests run, refreshing the list in the middle of a test.
inline pw::NewServerInput demoServer(const std::string& name, const std::string& local,
                                     const std::string& temp) {
    pw::NewServerInput server;
    server.Name = name;
    server.Poster = "Poster";
    server.Host = "127.0.0.1:2121";
    server.LoginName = "demo";
    server.Password = "secret";
    server.LocalFTPDirectory = local;
    server.TemporaryDirectory = temp;
    return server;
}

// A file as the new-server wizard leaves it on first run; the folders of its configurations
// are made beside it.
inline void writeWizardFile(const std::string& path, int configurations = 1) {
    QFile::remove(QString::fromStdString(path));
    const QString home = QFileInfo(QString::fromStdString(path)).absolutePath();
    QDir(home).mkpath("local");
    QDir(home).mkpath("temp");
    pw::ConfigTables tables(pw::ConfigRole::Wizard);
    pw::OpenConfigurationForWizard(tables, path);
    for (int i = 0; i < configurations; ++i)
        pw::FinishNewServer(tables,
                            demoServer("Server " + std::to_string(i + 1),
                                       (home + "/local").toStdString(),
                                       (home + "/temp").toStdString()),
                            path);
}

// A file as the configuration dialog saves it, with some settings changed first.
inline void writeDialogFile(const std::string& path, int configurations,
                            const std::map<std::string, std::string>& settings = {}) {
    writeWizardFile(path, configurations);
    pw::ConfigTables tables(pw::ConfigRole::Dialog);
    pw::OpenConfigurationForDialog(tables, path);
    for (const auto& [field, value] : settings)
        tables.SettingsSource.SetString(field, value);
    pw::SaveConfigurationFromDialog(tables, path);
}

// Reads the file back the way the main window sees it.
struct FileView {
    pw::ConfigTables tables{pw::ConfigRole::MainWindow};
    explicit FileView(const std::string& path) { tables.LoadIfExists(path); }
    int setting(const char* field) { return tables.SettingsSource.GetInteger(0, field); }
};

// The window's dialogs and message boxes, answered by the test: a dialog is handed to
// `dialog` (not shown when it is empty), an error to `error` (recorded in `errors` when it
// is empty), a question to `ask` (answered Yes when it is empty).
struct TestPrompts : UserPrompts {
    std::function<void(QDialog&)> dialog;
    std::function<void(const QString&)> error;
    std::function<bool(const QString&, const QString&)> ask;
    QStringList errors;

    void RunDialog(QDialog& d) override {
        if (dialog) dialog(d);
    }
    void ShowError(QWidget*, const QString& message) override {
        if (error)
            error(message);
        else
            errors << message;
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

// Answers the next message box with `button` and records its caption and text.
struct MessageBoxAnswer {
    QString caption, text;
    int shown = 0;
    void arm(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] { answer(button); });
    }

private:
    void answer(QMessageBox::StandardButton button) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, [this, button] { answer(button); });
            return;
        }
        ++shown;
        caption = box->windowTitle();
        text = box->text();
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
    }
};
