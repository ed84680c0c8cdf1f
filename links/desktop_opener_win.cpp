#include "links/desktop_opener.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace zel {

void openWithDesktop(const QString &address)
{
    // The ANSI code page turns characters it lacks into its default character.
    const QByteArray ansi = address.toLocal8Bit();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "Open", ansi.constData(), nullptr, "C:\\", SW_SHOWNORMAL));
    // 32 or less is a failure: no program takes the address, say. The query
    // stays out of the log, since a referral's holds names and addresses.
    if (result <= 32)
        qCWarning(lcLinks, "the shell could not open %s (error %lld)",
                  qPrintable(address.section(QLatin1Char('?'), 0, 0)),
                  static_cast<long long>(result));
}

} // namespace zel
