// swatcher [FILE.mtf]: the texture editor, optionally opening a file at start.
#include <QApplication>
#include <memory>

#include "app/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto window = std::make_unique<MainWindow>();
    QObject::connect(window.get(), &MainWindow::quitRequested, &app, &QApplication::exit);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window->OpenFile(arguments.at(1));
    const int exitCode = QApplication::exec();
    window.reset();
    return exitCode;
}
