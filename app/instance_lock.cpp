#include "app/instance_lock.h"

#include "app/instance_socket.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtCriticalMsg) // silent unless asked for

namespace {

// The lock files this process holds open, each with an flock on it, and the
// socket it listens on.
QList<int> &held()
{
    static QList<int> descriptors;
    return descriptors;
}

// The user the lock is taken for: what belongs to anyone else is never used.
uid_t &lockUid()
{
    static uid_t uid = ::getuid();
    return uid;
}

void closeAll(QList<int> &descriptors)
{
    for (const int fd : std::as_const(descriptors))
        ::close(fd);
    descriptors.clear();
}

// Makes `path` under `home`, folder by folder, as the user's other programs
// would: each one made here is the user's to write to, whatever the umask.
void makeFolders(const QByteArray &home, const QByteArray &path)
{
    qsizetype end = -1;
    do {
        end = path.indexOf('/', end + 1);
        const QByteArray folder = home + '/' + (end < 0 ? path : path.left(end));
        if (::mkdir(folder.constData(), 0700) == 0)
            ::chmod(folder.constData(), 0700);
    } while (end >= 0);
}

// The folder `path` under `home` made private to the user (mode 0700),
// created if need be; a link, or a folder of someone else's, is left alone.
bool makePrivateFolder(const QByteArray &home, const QByteArray &path)
{
    makeFolders(home, path);
    const QByteArray folder = home + '/' + path;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    const bool own = ::fstat(fd, &info) == 0 && info.st_uid == lockUid()
        && ((info.st_mode & 0777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return own;
}

// The user's id as the system outside a user namespace knows it: a start in
// one (where the user may be root) is the same user as a start beside it.
uid_t systemUid()
{
    const uid_t inside = ::getuid();
    QFile map(QStringLiteral("/proc/self/uid_map"));
    if (!map.open(QIODevice::ReadOnly))
        return inside;
    // Each line: the first id inside, the first outside, how many.
    for (const QByteArray &line : map.readAll().split('\n')) {
        const QList<QByteArray> ids = line.simplified().split(' ');
        if (ids.size() != 3)
            continue;
        const qulonglong first = ids[0].toULongLong(), outside = ids[1].toULongLong();
        if (inside >= first && inside - first < ids[2].toULongLong())
            return uid_t(outside + (inside - first));
    }
    return inside;
}

// The user's home as the system records it: $HOME may differ from one start
// to the next.
QByteArray passwdHome()
{
    QByteArray buffer(std::max(::sysconf(_SC_GETPW_R_SIZE_MAX), 16384L), Qt::Uninitialized);
    struct passwd entry = {};
    struct passwd *found = nullptr;
    if (::getpwuid_r(systemUid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found
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
    if (::fstat(folder, &info) != 0 || info.st_uid != lockUid()
        || (info.st_mode & (S_IWGRP | S_IWOTH))) {
        qCWarning(lcInstance, "%s is not the user's own private folder", folderName.constData());
        ::close(folder);
        return InstanceLock::Unavailable;
    }
    const QByteArray name = QFile::encodeName(where.fileName());
    // flock needs no write access: a lock file the user made read-only still
    // locks.
    fd = ::openat(folder, name.constData(),
                  O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    const int openError = errno;
    ::close(folder);
    if (fd < 0) {
        qCWarning(lcInstance, "%s: %s", qPrintable(path), std::strerror(openError));
        return InstanceLock::Unavailable;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != lockUid()) {
        qCWarning(lcInstance, "%s is not a regular file of the user's", qPrintable(path));
        ::close(fd);
        return InstanceLock::Unavailable;
    }
    // The user's alone, whatever the umask it was made under.
    if ((info.st_mode & 07777) != 0600)
        ::fchmod(fd, 0600);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return InstanceLock::Acquired;
    const int lockError = errno;
    ::close(fd);
    if (lockError == EWOULDBLOCK)
        return InstanceLock::HeldByAnother;
    qCWarning(lcInstance, "%s cannot be locked: %s", qPrintable(path), std::strerror(lockError));
    return InstanceLock::Unavailable;
}

// Later starts only ask who listens; what they leave waiting is let go, so
// that the queues never fill.
QList<QSocketNotifier *> callers;

void turnAwayCallers(int fd)
{
    if (!QCoreApplication::instance() || fd < 0)
        return;
    auto *notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd] {
        for (int caller; (caller = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
            ::close(caller);
    });
    callers << notifier;
}

} // namespace

QStringList instanceLockPlaces()
{
    const QString uid = QString::number(systemUid());
    const QString name = QStringLiteral("zel-orvalis-%1.lock").arg(uid);
    QStringList places;
    places << QStringLiteral("@zel-orvalis-") + uid;
    // Made by the system for a user who has a session, and for no one else.
    const QString runtime = QStringLiteral("/run/user/") + uid;
    if (QFileInfo(runtime).isDir())
        places << runtime + u'/' + name;
    if (const QByteArray home = passwdHome(); !home.isEmpty()) {
        // Kept with the user's state, which no cleaning of caches removes.
        const QByteArray folder = ".local/state/zel-orvalis";
        if (makePrivateFolder(home, folder))
            places << QFile::decodeName(home + '/' + folder) + u'/' + name;
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
    QList<int> taken, listening;
    for (const QString &place : places) {
        int fd = -1, mark = -1;
        const bool socket = place.startsWith(u'@');
        switch (socket ? claimSocket(place, lockUid(), fd, mark) : lockAt(place, fd)) {
        case InstanceLock::Acquired:
            taken << fd;
            if (socket)
                listening << fd << mark;
            if (mark >= 0)
                taken << mark;
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
    for (const int fd : std::as_const(listening))
        turnAwayCallers(fd);
    return InstanceLock::Acquired;
}

void setInstanceLockUserForTests(int uid)
{
    lockUid() = uid < 0 ? ::getuid() : uid_t(uid);
}

void releaseInstanceLock()
{
    qDeleteAll(callers);
    callers.clear();
    closeAll(held());
}

} // namespace zel
