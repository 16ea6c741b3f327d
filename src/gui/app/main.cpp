// Program entry: sets the application title and shows the main window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pagewright");
    QMainWindow window;
    window.setObjectName("fmMain");
    window.setWindowTitle("Pagewright v2.0 beta 1");
    window.resize(800, 600);
    window.show();
    return app.exec();
}
