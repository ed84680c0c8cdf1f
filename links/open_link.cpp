#include "links/open_link.h"

#include <QLoggingCategory>

#ifdef Q_OS_WIN
#include "links/shell_open_win.h"
#else
#include <QProcess>
#endif

namespace zel {
namespace {

#ifndef Q_OS_WIN
Q_LOGGING_CATEGORY(lcLinks, "zel.links", QtCriticalMsg) // silent unless asked for
#endif

LinkOpener &replacement()
{
    static LinkOpener opener;
    return opener;
}

void openWithDesktop(const QString &address)
{
#ifdef Q_OS_WIN
    // The ANSI code page turns characters it lacks into its default character.
    shellOpen(address.toLocal8Bit().constData());
#else
#ifdef Q_OS_MACOS
    const QString opener = QStringLiteral("open");
#else
    const QString opener = QStringLiteral("xdg-open");
#endif
    // One argument, no shell, not waited for. A missing opener, or an address
    // too long for one argument, stays silent to the user.
    if (!QProcess::startDetached(opener, {address}))
        qCWarning(lcLinks, "could not start %s for an address of %lld characters",
                  qPrintable(opener), static_cast<long long>(address.size()));
#endif
}

} // namespace

void openLink(const QString &address)
{
    if (replacement())
        replacement()(address);
    else
        openWithDesktop(address);
}

void openLink(LinkTarget target)
{
    openLink(linkAddress(target));
}

void setLinkOpenerForTests(LinkOpener opener)
{
    replacement() = std::move(opener);
}

} // namespace zel
