// The instance lock on Windows: a named mutex that the process holds open for
// its whole run. The system closes it when the process ends, however it ends,
// so nothing stale is ever left to reclaim.
#include "app/instance_lock.h"

#include <QLoggingCategory>

// lmcons.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <lmcons.h>
// clang-format on

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtCriticalMsg) // silent unless asked for

HANDLE held = nullptr;

// The account the process runs as, whatever the environment says.
QString userName()
{
    wchar_t name[UNLEN + 1];
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(name, &size) || size == 0)
        return {};
    return QString::fromWCharArray(name, static_cast<qsizetype>(size) - 1);
}

} // namespace

QStringList instanceLockPlaces()
{
    // A backslash would name a folder of the namespace rather than the mutex.
    QString user = userName();
    user.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return {QStringLiteral("Local\\zel-orvalis-") + user};
}

InstanceLock acquireInstanceLock(const QStringList &places)
{
    if (held)
        return InstanceLock::Acquired;
    for (const QString &place : places) {
        // The mutex is never waited on: its existence is the lock.
        HANDLE mutex = CreateMutexExW(nullptr, reinterpret_cast<const wchar_t *>(place.utf16()), 0,
                                      SYNCHRONIZE);
        const DWORD error = GetLastError();
        if (mutex && error == ERROR_ALREADY_EXISTS) {
            CloseHandle(mutex);
            return InstanceLock::HeldByAnother;
        }
        if (mutex) {
            held = mutex;
            return InstanceLock::Acquired;
        }
        // Something else of that name, or one this user may not open: no lock
        // of this program's, so it refuses nothing.
        qCWarning(lcInstance, "no instance lock could be made at %s (error %lu)", qPrintable(place),
                  static_cast<unsigned long>(error));
    }
    qCWarning(lcInstance, "running without an instance lock");
    return InstanceLock::Unavailable;
}

void releaseInstanceLock()
{
    if (held)
        CloseHandle(held);
    held = nullptr;
}

} // namespace zel
