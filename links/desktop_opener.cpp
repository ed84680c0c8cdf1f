#include "links/desktop_opener.h"

#include <QProcess>

namespace zel {

void openWithDesktop(const QString &address)
{
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
}

} // namespace zel
