#include "instance_lock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace app {
namespace {

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

QString instance_lock_path()
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

InstanceLock acquire_instance_lock(const QString &path)
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
    return lock->error() == QLockFile::LockFailedError ? InstanceLock::HeldByAnother
                                                       : InstanceLock::Unavailable;
}

void release_instance_lock()
{
    held().reset();
}

} // namespace app
