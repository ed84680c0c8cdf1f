#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The program takes no arguments, and Qt gets none either: only the
    // program's name, so no option can retitle or mirror a window.
    Q_UNUSED(argc);
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    zel::nameApplication();
    return zel::runProgram(application);
}
