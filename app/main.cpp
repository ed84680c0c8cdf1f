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

// Whether each platform Qt is asked for ("name:options;name...") shows its
// windows on a display; Qt's default does.
bool platformsNeedADisplay(const QByteArray &asked)
{
    for (const QByteArray &platform : asked.split(';')) {
        const QByteArray name = platform.split(':').constFirst();
        if (name != "xcb" && !name.startsWith("wayland"))
            return false;
    }
    return true;
}

// Without a display Qt gives up with an abort and a core dump. What Qt says
// while it starts is held back: on success it goes out as usual, and when Qt
// cannot start one plain line says what failed instead: the display, or the
// platform that was asked for.
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
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
    if (!asked.isEmpty() && !platformsNeedADisplay(asked)) {
        std::fprintf(stderr,
                     "zel-orvalis: the platform asked for could not be started "
                     "(QT_QPA_PLATFORM=\"%s\")\n",
                     asked.constData());
    } else {
        const bool wayland = asked.isEmpty() ? !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                             : asked.startsWith("wayland");
        const char *variable = wayland ? "WAYLAND_DISPLAY" : "DISPLAY";
        std::fprintf(stderr, "zel-orvalis: no display could be opened (%s=\"%s\")\n", variable,
                     qgetenv(variable).constData());
    }
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
