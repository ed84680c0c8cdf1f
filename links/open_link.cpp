#include "open_link.h"

#ifdef Q_OS_WIN
#include "shell_open_win.h"
#else
#include <QProcess>
#endif

namespace {

LinkOpener &replacement()
{
    static LinkOpener opener;
    return opener;
}

void open_with_desktop(const QString &address)
{
#ifdef Q_OS_WIN
    // The ANSI code page turns characters it lacks into its default character.
    shell_open(address.toLocal8Bit().constData());
#else
#ifdef Q_OS_MACOS
    const QString opener = QStringLiteral("open");
#else
    const QString opener = QStringLiteral("xdg-open");
#endif
    // One argument, no shell, not waited for; a missing opener stays silent.
    QProcess::startDetached(opener, {address});
#endif
}

} // namespace

void open_link(const QString &address)
{
    if (replacement())
        replacement()(address);
    else
        open_with_desktop(address);
}

void open_link(LinkTarget target)
{
    open_link(link_address(target));
}

void set_link_opener_for_tests(LinkOpener opener)
{
    replacement() = std::move(opener);
}
