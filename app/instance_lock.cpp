#include "app/instance_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtCriticalMsg) // silent unless asked for

std::unique_ptr<QLockFile> &held()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

QString userKey()
{
    return QString::number(::getuid());
}

// A folder only this user can reach, made if need be: never one that another
// user could have made first.
QString privateFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    const QString folder = QDir(cache).filePath(QStringLiteral("zel-orvalis"));
    if (!QDir().mkpath(folder))
        return {};
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const QFileInfo info(folder);
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    if (info.isSymLink() || info.ownerId() != ::getuid() || (info.permissions() & others))
        return {};
    return folder;
}

// Whether a live process holds the lock at `path`: every live lock holds an
// flock on its file.
bool heldByLiveProcess(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// Takes away what stands at `path` when no live process holds it: an empty or
// garbled lock left by a crash, a lock naming another host, a dangling link,
// an empty folder. A starting instance takes its flock a moment after it
// creates the file, so a lock nobody holds is looked at twice.
bool removeDeadLock(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (heldByLiveProcess(path))
        return false;
    QThread::msleep(50);
    if (heldByLiveProcess(path))
        return false;
    if (info.isDir() && !info.isSymLink())
        return QDir().rmdir(path);
    return QFile::remove(path);
}

InstanceLock acquireAt(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto lock = std::make_unique<QLockFile>(path);
        // Never stale by age: a running instance may run for weeks.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            held() = std::move(lock);
            return InstanceLock::Acquired;
        }
        if (lock->error() != QLockFile::LockFailedError)
            break;
        // Qt's own helper lock, left empty by a crash, would block a reclaim.
        removeDeadLock(path + QStringLiteral(".rmlock"));
        if (removeDeadLock(path))
            continue;
        if (heldByLiveProcess(path))
            return InstanceLock::HeldByAnother;
        break; // something that is no lock and cannot be taken away
    }
    return InstanceLock::Unavailable;
}

} // namespace

QStringList instanceLockPlaces()
{
    const QString name = QStringLiteral("zel-orvalis-%1.lock").arg(userKey());
    QStringList paths;
    // The runtime folder only where the desktop names one; Qt would otherwise
    // make one under the shared temporary folder.
    if (QDir::isAbsolutePath(qEnvironmentVariable("XDG_RUNTIME_DIR"))) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            paths << QDir(runtime).filePath(name);
    }
    if (const QString folder = privateFolder(); !folder.isEmpty())
        paths << QDir(folder).filePath(name);
    return paths;
}

InstanceLock acquireInstanceLock(const QStringList &paths)
{
    if (held())
        return InstanceLock::Acquired;
    for (const QString &path : paths) {
        const InstanceLock result = acquireAt(path);
        if (result != InstanceLock::Unavailable)
            return result;
        qCWarning(lcInstance, "no instance lock could be made at %s", qPrintable(path));
    }
    qCWarning(lcInstance, "running without an instance lock");
    return InstanceLock::Unavailable;
}

void releaseInstanceLock()
{
    held().reset();
}

} // namespace zel
