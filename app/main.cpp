#include "app/startup.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

// The base-directory rules say a relative path in these is to be ignored;
// Qt would otherwise take it as relative to wherever the program started.
void ignoreRelativeXdgFolders()
{
#ifndef Q_OS_WIN
    for (const char *name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        if (qEnvironmentVariableIsSet(name) && !QDir::isAbsolutePath(qEnvironmentVariable(name)))
            qunsetenv(name);
    }
#endif
}

// Without a display Qt gives up with an abort and a core dump. What Qt says
// while it starts is held back: on success it goes out as usual, and when no
// display can be opened one plain line says so instead.
QList<std::pair<QtMsgType, QString>> &heldBack()
{
    static QList<std::pair<QtMsgType, QString>> messages;
    return messages;
}

void whileStarting(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg) {
        heldBack().append({type, message});
        return;
    }
    const char *variable
        = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "DISPLAY" : "WAYLAND_DISPLAY";
    std::fprintf(stderr, "zel-orvalis: no display could be opened (%s=\"%s\")\n", variable,
                 qgetenv(variable).constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char *argv[])
{
    // The program takes no arguments, and Qt gets none either: only the
    // program's name, so no option can retitle or mirror a window.
    Q_UNUSED(argc);
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    ignoreRelativeXdgFolders();
    qInstallMessageHandler(whileStarting);
    QApplication application(qtArgc, qtArgv);
    qInstallMessageHandler(nullptr);
    for (const auto &[type, message] : std::as_const(heldBack()))
        qt_message_output(type, QMessageLogContext(), message);
    heldBack().clear();
    zel::nameApplication();
    return zel::runProgram(application);
}
