#pragma once
// Shared pieces of the dialog tests: driving modal windows, typing, reading the file back.
#include "core/config/ConfigTables.h"
#include "support/TempHome.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// The file as the main window sees it: no field definitions, exactly what is stored.
inline std::unique_ptr<pw::ConfigTables> readBack(const std::string& path) {
    auto tables = std::make_unique<pw::ConfigTables>(pw::ConfigRole::MainWindow);
    tables->ConfigFile.LoadFromFile(path);
    return tables;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes = {}) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Rows of '|'-separated columns in one QStringList column "row", named by the first column.
template <size_t N> void addTextRows(const char* const (&table)[N]) {
    QTest::addColumn<QStringList>("row");
    for (const char* row : table)
        QTest::newRow(QByteArray(row).split('|')[0]) << QString::fromLatin1(row).split('|');
}

inline void closeModal(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window)) return dialog->reject();
    window->close();
}

// The modal window on top; else any shown modal window (one of no size is never mapped).
inline QWidget* openModal() {
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!modal && window->isVisible() && window->isModal()) modal = window;
    return modal;
}

// Runs `action` on the first modal T that appears, polling while the caller holds the
// returned flag (true once `action` ran). The window is closed on every way out of `action`
// (a failed QCOMPARE returns early), so the code under test goes on and the test reports
// instead of hanging; without a T within a minute the test fails and any other modal closes.
template <class T> std::shared_ptr<bool> whenModal(std::function<void(T*)> action) {
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    const std::weak_ptr<bool> flag = done;
    const QDeadlineTimer bound(60000);
    QObject::connect(timer, &QTimer::timeout, [timer, action, flag, bound] {
        const std::shared_ptr<bool> done = flag.lock();
        QWidget* modal = openModal();
        T* window = qobject_cast<T*>(modal);
        if (done && !window && !bound.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (!done) return; // the caller has moved on
        if (!window) {
            if (modal) closeModal(modal);
            const QByteArray what =
                QByteArray("no ") + T::staticMetaObject.className() +
                " appeared; closed: " + (modal ? modal->metaObject()->className() : "nothing");
            return QTest::qFail(what.constData(), __FILE__, __LINE__);
        }
        *done = true;
        struct Closer {
            QPointer<QWidget> window;
            ~Closer() {
                if (!window || !window->isVisible()) return;
                closeModal(window);
                if (!QTest::currentTestFailed())
                    QTest::qFail("the modal window was left open", __FILE__, __LINE__);
            }
        } closer{window};
        action(window);
    });
    timer->start(10);
    return done;
}

// Accepts the next message box after keeping its text.
inline std::shared_ptr<bool> whenMessage(std::shared_ptr<QString> text) {
    return whenModal<QMessageBox>([text](QMessageBox* box) { *text = box->text(), box->accept(); });
}

template <class T> T* child(QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

inline void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

inline void clickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// Accepts a file chooser with `path`. The name goes into the name edit itself: selectFile()
// leaves that edit alone while it has the focus, and the chooser would take its folder instead.
inline void pickFile(QFileDialog* files, const QString& path) {
    files->selectFile(path);
    if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    static_cast<QDialog*>(files)->accept();
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
