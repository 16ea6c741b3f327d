#include "gui/app/PagewrightApplication.h"

#include <QMessageBox>

#include <exception>

PagewrightApplication::PagewrightApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PagewrightApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QMessageBox::critical(activeWindow(), applicationName(), QString::fromStdString(e.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), applicationName(), "Unexpected error");
    }
    return false;
}
