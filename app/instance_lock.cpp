#include "app/instance_lock.h"

#include <QDir>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtWarningMsg)

std::unique_ptr<QLockFile> &held()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

QString userKey()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("USERNAME");
#else
    return QString::number(::getuid());
#endif
}

} // namespace

QString instanceLockPath()
{
#ifdef Q_OS_WIN
    const auto location = QStandardPaths::AppLocalDataLocation;
#else
    const auto location = QStandardPaths::RuntimeLocation;
#endif
    QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty()) // no usable runtime folder: the user key keeps the name private
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("zel-orvalis-%1.lock").arg(userKey()));
}

InstanceLock acquireInstanceLock(const QString &path)
{
    if (held())
        return InstanceLock::Acquired;
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path);
    // Never stale by age: a running instance may run for weeks. A lock whose
    // process is gone is still reclaimed.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held() = std::move(lock);
        return InstanceLock::Acquired;
    }
    if (lock->error() == QLockFile::LockFailedError)
        return InstanceLock::HeldByAnother;
    qCWarning(lcInstance, "no instance lock could be made at %s; running without one",
              qPrintable(path));
    return InstanceLock::Unavailable;
}

void releaseInstanceLock()
{
    held().reset();
}

} // namespace zel
