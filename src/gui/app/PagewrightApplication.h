#pragma once
// The application object: an exception that escapes an event handler is shown in a message
// box instead of ending the program.
#include <QApplication>

class PagewrightApplication : public QApplication {
    Q_OBJECT
public:
    PagewrightApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
