#pragma once
// Shared pieces of the dialog tests: a private program folder, driving modal windows, and
// reading the configuration file back the way the main window does.
#include "core/config/ConfigTables.h"
#include "core/storage/FileIO.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "support/TempHome.h"

#include <functional>
#include <memory>

// The file as the main window sees it: no field definitions, exactly what is stored.
inline std::unique_ptr<pw::ConfigTables> readBack(const std::string& path) {
    auto tables = std::make_unique<pw::ConfigTables>(pw::ConfigRole::MainWindow);
    tables->ConfigFile.LoadFromFile(path);
    return tables;
}

// Runs `action` on the first modal window of type T that appears (polling for up to five
// seconds). The returned flag tells whether it ran; polling stops once the caller drops it.
template <class T> std::shared_ptr<bool> whenModal(std::function<void(T*)> action) {
    auto done = std::make_shared<bool>(false);
    auto timer = new QTimer;
    auto ticks = std::make_shared<int>(500);
    std::weak_ptr<bool> flag = done;
    QObject::connect(timer, &QTimer::timeout, [timer, action, flag, ticks] {
        const std::shared_ptr<bool> done = flag.lock();
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (done && !window && --*ticks > 0) return;
        timer->stop();
        timer->deleteLater();
        if (done && window) {
            *done = true;
            action(window);
        }
    });
    timer->start(10);
    return done;
}

template <class T> T* child(QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// Clicks the toolbar button of an action, as the user would.
inline void clickAction(QAction* action) {
    QToolButton* button = nullptr;
    for (QObject* owner : action->associatedObjects())
        if (auto* bar = qobject_cast<QToolBar*>(owner))
            button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    QVERIFY2(button, "no toolbar button for the action");
    QTest::mouseClick(button, Qt::LeftButton);
}
