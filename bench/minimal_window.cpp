// The yardstick for start-up: the least a Qt window of the main window's size
// can do — a menu bar and one label, so fonts load as in any window with text.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto *label = new QLabel(QStringLiteral("A label with some text in it."));
    label->setFixedSize(562, 354);
    window.setCentralWidget(label);
    window.show();
    return application.exec();
}
