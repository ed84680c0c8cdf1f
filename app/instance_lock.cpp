#include "app/instance_lock.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtCriticalMsg) // silent unless asked for

// The lock files this process holds open, each with an flock on it.
QList<int> &held()
{
    static QList<int> descriptors;
    return descriptors;
}

void closeAll(QList<int> &descriptors)
{
    for (const int fd : std::as_const(descriptors))
        ::close(fd);
    descriptors.clear();
}

// Makes `folder` under `parent` private to the user (mode 0700), creating
// it if need be; a link, or a folder of someone else's, is left alone.
bool makePrivateFolder(const QByteArray &parent, const QByteArray &folder)
{
    ::mkdir(parent.constData(), 0700);
    ::mkdir(folder.constData(), 0700);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    const bool own = ::fstat(fd, &info) == 0 && info.st_uid == ::getuid()
        && ((info.st_mode & 0777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return own;
}

// The user's home as the system records it: $HOME may differ from one start
// to the next.
QByteArray passwdHome()
{
    QByteArray buffer(std::max(::sysconf(_SC_GETPW_R_SIZE_MAX), 16384L), Qt::Uninitialized);
    struct passwd entry = {};
    struct passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found
        || !found->pw_dir || found->pw_dir[0] != '/')
        return {};
    return QByteArray(found->pw_dir);
}

// Opens the lock file at `path` and locks it, giving its descriptor in `fd`.
// Unavailable when the place cannot be used: its folder is no real folder of
// the user's that only the user may write to, or what stands at `path` is no
// regular file of the user's. Nothing at the path is ever read, replaced or
// deleted, and nothing there can block: a FIFO opens at once without a peer
// and is then refused.
InstanceLock lockAt(const QString &path, int &fd)
{
    const QFileInfo where(path);
    const QByteArray folderName = QFile::encodeName(where.absolutePath());
    const int folder
        = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) {
        qCWarning(lcInstance, "%s: %s", folderName.constData(), std::strerror(errno));
        return InstanceLock::Unavailable;
    }
    struct stat info = {};
    if (::fstat(folder, &info) != 0 || info.st_uid != ::getuid()
        || (info.st_mode & (S_IWGRP | S_IWOTH))) {
        qCWarning(lcInstance, "%s is not the user's own private folder", folderName.constData());
        ::close(folder);
        return InstanceLock::Unavailable;
    }
    const QByteArray name = QFile::encodeName(where.fileName());
    fd = ::openat(folder, name.constData(),
                  O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    const int openError = errno;
    ::close(folder);
    if (fd < 0) {
        qCWarning(lcInstance, "%s: %s", qPrintable(path), std::strerror(openError));
        return InstanceLock::Unavailable;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        qCWarning(lcInstance, "%s is not a regular file of the user's", qPrintable(path));
        ::close(fd);
        return InstanceLock::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return InstanceLock::Acquired;
    const int lockError = errno;
    ::close(fd);
    if (lockError == EWOULDBLOCK)
        return InstanceLock::HeldByAnother;
    qCWarning(lcInstance, "%s cannot be locked: %s", qPrintable(path), std::strerror(lockError));
    return InstanceLock::Unavailable;
}

} // namespace

QStringList instanceLockPlaces()
{
    const QString uid = QString::number(::getuid());
    const QString name = QStringLiteral("zel-orvalis-%1.lock").arg(uid);
    QStringList places;
    // Made by the system for a user who has a session, and for no one else.
    const QString runtime = QStringLiteral("/run/user/") + uid;
    if (QFileInfo(runtime).isDir())
        places << runtime + u'/' + name;
    if (const QByteArray home = passwdHome(); !home.isEmpty()) {
        const QByteArray cache = home + "/.cache";
        const QByteArray folder = cache + "/zel-orvalis";
        if (makePrivateFolder(cache, folder))
            places << QFile::decodeName(folder) + u'/' + name;
    }
    return places;
}

// Every usable place is locked, so that a place that comes or goes while an
// instance runs (the runtime folder appears with the user's first session)
// cannot let a second one in.
InstanceLock acquireInstanceLock(const QStringList &places)
{
    if (!held().isEmpty())
        return InstanceLock::Acquired;
    QList<int> taken;
    for (const QString &place : places) {
        int fd = -1;
        switch (lockAt(place, fd)) {
        case InstanceLock::Acquired:
            taken << fd;
            break;
        case InstanceLock::HeldByAnother:
            closeAll(taken);
            return InstanceLock::HeldByAnother;
        case InstanceLock::Unavailable:
            qCWarning(lcInstance, "no instance lock at %s", qPrintable(place));
            break;
        }
    }
    if (taken.isEmpty()) {
        qCWarning(lcInstance, "running without an instance lock");
        return InstanceLock::Unavailable;
    }
    held() = taken;
    return InstanceLock::Acquired;
}

void releaseInstanceLock()
{
    closeAll(held());
}

} // namespace zel
