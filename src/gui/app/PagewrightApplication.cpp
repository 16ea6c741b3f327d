#include "gui/app/PagewrightApplication.h"

#include <QMessageBox>

#include <exception>

PagewrightApplication::PagewrightApplication(int& argc, char** argv) : QApplication(argc, argv) {}

// Handlers catch their errors where they run; this is the last net for one that slipped
// through. The event is dropped and the message box opens after the delivery has unwound,
// not inside it.
bool PagewrightApplication::notify(QObject* receiver, QEvent* event) {
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = "Unexpected error";
    }
    qCritical("Pagewright: %s", qPrintable(message));
    QMetaObject::invokeMethod(
        this, [message] { QMessageBox::critical(activeWindow(), applicationName(), message); },
        Qt::QueuedConnection);
    return false;
}
