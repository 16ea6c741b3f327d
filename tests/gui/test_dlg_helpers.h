#pragma once
// Shared pieces of the dialog tests: driving modal windows, file choosers, typing, clicking.
#include "core/config/ConfigTables.h"
#include "support/LocalFiles.h"
#include "support/TempHome.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// Rows of '|'-separated columns in one QStringList column "row", named by the first column.
template <size_t N> void addTextRows(const char* const (&table)[N]) {
    QTest::addColumn<QStringList>("row");
    for (const char* row : table)
        QTest::newRow(QByteArray(row).split('|')[0]) << QString::fromLatin1(row).split('|');
}

// Runs `action` on the first modal T that appears while the caller holds the returned flag
// (true once `action` ran). The window is closed (a dialog rejected) on every way out of
// `action`, so the test reports instead of hanging; so is any other modal after a minute.
template <class T> std::shared_ptr<bool> whenModal(std::function<void(T*)> action) {
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    const std::weak_ptr<bool> flag = done;
    const QDeadlineTimer bound(60000);
    QObject::connect(timer, &QTimer::timeout, [timer, action, flag, bound] {
        QWidget* modal = QApplication::activeModalWidget(); // else a shown one of no size
        for (QWidget* window : QApplication::topLevelWidgets())
            if (!modal && window->isVisible() && window->isModal()) modal = window;
        T* window = qobject_cast<T*>(modal);
        const std::shared_ptr<bool> done = flag.lock();
        if (done && !window && !bound.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (!done) return; // the caller has moved on
        if (!window && modal) modal->close();
        if (!window) return QTest::qFail("the modal window never appeared", __FILE__, __LINE__);
        *done = true;
        const auto closer = qScopeGuard([window = QPointer<QWidget>(window)] {
            if (!window || !window->isVisible()) return;
            window->close();
            if (!QTest::currentTestFailed())
                QTest::qFail("the modal window was left open", __FILE__, __LINE__);
        });
        action(window);
    });
    timer->start(10);
    return done;
}

// Accepts the next message box; gives the flag and the box's text.
inline auto whenMessage() {
    auto text = std::make_shared<QString>();
    return std::pair{
        whenModal<QMessageBox>([text](QMessageBox* box) { *text = box->text(), box->accept(); }),
        text};
}

template <class T> T* child(QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

inline void press(QObject* parent, const char* name) {
    QTest::mouseClick(child<QAbstractButton>(parent, name), Qt::LeftButton);
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

// Accepts the next file chooser with `file` (cancels it for a null one), checking first that
// it opens in `start` if one is given. The name goes into the name edit itself: selectFile()
// leaves that edit alone while it has the focus, and the chooser would take its folder instead.
inline std::shared_ptr<bool> choose(const QString& file, const QString& start = {}) {
    return whenModal<QFileDialog>([file, start](QFileDialog* files) {
        if (!start.isNull()) QCOMPARE(files->directory().absolutePath(), start);
        if (file.isNull()) return files->reject();
        files->selectFile(file);
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(file);
        static_cast<QDialog*>(files)->accept();
    });
}
