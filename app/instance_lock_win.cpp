// The instance lock on Windows: named mutexes that the process holds open for
// its whole run. The system closes them when the process ends, however it
// ends, so nothing stale is ever left to reclaim.
#include "app/instance_lock.h"

#include <QLoggingCategory>

// sddl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtCriticalMsg) // silent unless asked for

HANDLE accountLock = nullptr; // this account's lock
HANDLE installersMutex = nullptr; // the name installers look for

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// The account the process runs as, by its SID: unlike its name, that stays
// the same when the account is renamed.
QString userSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    QString sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray buffer(static_cast<qsizetype>(size), Qt::Uninitialized);
    wchar_t *text = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)
        && ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &text)) {
        sid = QString::fromWCharArray(text);
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

// Global\<name>, which an installer running as any account, in any session,
// can see. Every account may open it to wait on it, and nothing more, so the
// programs of several accounts all hold the one mutex. Whether this account's
// instance runs is never decided here.
void holdTheInstallersName()
{
    if (installersMutex)
        return;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:(A;;0x00100000;;;WD)", SDDL_REVISION_1, &descriptor, nullptr))
        return;
    SECURITY_ATTRIBUTES attributes {sizeof attributes, descriptor, FALSE};
    installersMutex = CreateMutexExW(
        &attributes, wide(QStringLiteral("Global\\" ZEL_WINDOWS_MUTEX)), 0, SYNCHRONIZE);
    if (!installersMutex)
        qCWarning(lcInstance, "the mutex installers look for could not be made (error %lu)",
                  static_cast<unsigned long>(GetLastError()));
    LocalFree(descriptor);
}

} // namespace

QStringList instanceLockPlaces()
{
    // In the session's own namespace, where no other account can make the
    // name first; without a SID there is no name of this account's.
    const QString sid = userSid();
    if (sid.isEmpty())
        return {};
    return {QStringLiteral("Local\\" ZEL_WINDOWS_MUTEX "-") + sid};
}

InstanceLock acquireInstanceLock(const QStringList &places)
{
    if (accountLock)
        return InstanceLock::Acquired;
    for (const QString &place : places) {
        // The mutex is never waited on: its existence is the lock.
        HANDLE mutex = CreateMutexExW(nullptr, wide(place), 0, SYNCHRONIZE);
        const DWORD error = GetLastError();
        // One this account may not open is an instance's too: one started
        // elevated, say.
        if ((mutex && error == ERROR_ALREADY_EXISTS) || error == ERROR_ACCESS_DENIED) {
            if (mutex)
                CloseHandle(mutex);
            return InstanceLock::HeldByAnother;
        }
        if (mutex) {
            accountLock = mutex;
            holdTheInstallersName();
            return InstanceLock::Acquired;
        }
        // Something else of that name: no lock of this program's, so it
        // refuses nothing.
        qCWarning(lcInstance, "no instance lock could be made at %s (error %lu)", qPrintable(place),
                  static_cast<unsigned long>(error));
    }
    qCWarning(lcInstance, "running without an instance lock");
    holdTheInstallersName();
    return InstanceLock::Unavailable;
}

void releaseInstanceLock()
{
    for (HANDLE *mutex : {&accountLock, &installersMutex}) {
        if (*mutex)
            CloseHandle(*mutex);
        *mutex = nullptr;
    }
}

} // namespace zel
