#include "app/instance_lock.h"

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
#include <sys/un.h>
#include <unistd.h>

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "zel.instance", QtCriticalMsg) // silent unless asked for

// The lock files this process holds open, each with an flock on it, and the
// socket it listens on.
QList<int> &held()
{
    static QList<int> descriptors;
    return descriptors;
}

// The user the lock is taken for: what belongs to anyone else is never used.
uid_t &owner()
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
    const bool own = ::fstat(fd, &info) == 0 && info.st_uid == owner()
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
    if (::fstat(folder, &info) != 0 || info.st_uid != owner()
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
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != owner()) {
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

// An abstract socket name may be taken first by anyone, so a few are tried
// in turn; another user can hold them all only to leave the file locks.
constexpr int SocketNames = 8;

bool abstractAddress(const QString &place, int index, sockaddr_un &address, socklen_t &size)
{
    QByteArray name = QFile::encodeName(place.mid(1));
    if (index > 0)
        name += '-' + QByteArray::number(index);
    address = {};
    address.sun_family = AF_UNIX;
    if (name.size() + 1 > qsizetype(sizeof address.sun_path))
        return false;
    // A leading NUL names a socket in the abstract namespace: no file at all.
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return true;
}

// Whether a process of the user's listens on that name, as the kernel tells
// of the process that listens there.
bool userListensAt(const QString &place, int index)
{
    sockaddr_un address;
    socklen_t size;
    if (!abstractAddress(place, index, address, size))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ucred peer = {};
    socklen_t length = sizeof peer;
    const bool users = ::connect(fd, reinterpret_cast<sockaddr *>(&address), size) == 0
        && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == owner();
    ::close(fd);
    return users;
}

// "@name": a socket in Linux's abstract namespace, which the kernel keeps for
// the process and drops when it ends: nothing in any folder can undo it.
// The first of its names that is free is taken; then a process of the user's
// listening on any other, one taken when a name before it was another
// user's, is another instance.
InstanceLock listenAt(const QString &place, int &fd)
{
    for (int index = 0; index < SocketNames; ++index) {
        sockaddr_un address;
        socklen_t size;
        if (!abstractAddress(place, index, address, size))
            break;
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0
            && ::listen(fd, 16) == 0) {
            for (int other = 0; other < SocketNames; ++other) {
                if (other != index && userListensAt(place, other)) {
                    ::close(fd);
                    return InstanceLock::HeldByAnother;
                }
            }
            return InstanceLock::Acquired;
        }
        const int error = errno;
        ::close(fd);
        if (error != EADDRINUSE)
            break;
        if (userListensAt(place, index))
            return InstanceLock::HeldByAnother;
    }
    qCWarning(lcInstance, "%s: no name of it could be taken", qPrintable(place));
    return InstanceLock::Unavailable;
}

// Later starts only ask who listens; what they leave waiting is let go, so
// that the queue never fills.
QSocketNotifier *callers = nullptr;

void turnAwayCallers(int fd)
{
    if (!QCoreApplication::instance())
        return;
    callers = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
    QObject::connect(callers, &QSocketNotifier::activated, callers, [fd] {
        for (int caller; (caller = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
            ::close(caller);
    });
}

} // namespace

QStringList instanceLockPlaces()
{
    const QString uid = QString::number(::getuid());
    const QString name = QStringLiteral("zel-orvalis-%1.lock").arg(uid);
    QStringList places;
    places << QStringLiteral("@zel-orvalis-") + uid;
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
    int listening = -1;
    for (const QString &place : places) {
        int fd = -1;
        const bool socket = place.startsWith(u'@');
        switch (socket ? listenAt(place, fd) : lockAt(place, fd)) {
        case InstanceLock::Acquired:
            taken << fd;
            if (socket)
                listening = fd;
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
    if (listening >= 0)
        turnAwayCallers(listening);
    return InstanceLock::Acquired;
}

void setInstanceLockUserForTests(int uid)
{
    owner() = uid < 0 ? ::getuid() : uid_t(uid);
}

void releaseInstanceLock()
{
    delete callers;
    callers = nullptr;
    closeAll(held());
}

} // namespace zel
