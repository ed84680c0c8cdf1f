#pragma once

#include "app/instance_lock.h"
#include "app/instance_socket.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// The instance lock's parts as the system shows them from outside.

// What the descriptors of this process lead to ("socket:[123]", a path).
inline QStringList openTargets(qint64 pid = QCoreApplication::applicationPid())
{
    QStringList targets;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString &fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
        char target[4096];
        const ssize_t size = ::readlink(QFile::encodeName(fds + u'/' + fd), target, sizeof target);
        targets << QString::fromLocal8Bit(target, qMax(ssize_t(0), size));
    }
    return targets;
}

// The process whose flock is on the file at `path`; empty when none is.
inline QString lockHolder(const QString &path)
{
    QProcess holder;
    holder.start(QStringLiteral("sh"), {QStringLiteral(ZEL_LOCK_HOLDER), path});
    holder.waitForFinished();
    return QString::fromLatin1(holder.readAllStandardOutput()).trimmed();
}

// The address of the abstract socket `name`, and its size.
inline socklen_t abstractAddress(const QByteArray &name, sockaddr_un &address)
{
    address = {AF_UNIX, {}};
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

// Sockets listening at the abstract name `name` and beside it, as another
// instance holds them; none when they cannot be had.
inline QList<int> listenAt(const QString &name)
{
    QList<int> fds;
    for (const QByteArray &at : {QFile::encodeName(name), QFile::encodeName(name) + ".settled"}) {
        sockaddr_un address;
        const socklen_t size = abstractAddress(at, address);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        fds << fd;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) != 0
            || ::listen(fd, zel::SocketQueue) != 0) {
            for (const int each : std::as_const(fds))
                ::close(each);
            return {};
        }
    }
    return fds;
}

// Fills the queue of the socket listening at `name` with callers that are
// never let in: whose it is can no longer be asked.
inline void fillQueue(const QString &name)
{
    sockaddr_un address;
    const socklen_t size = abstractAddress(QFile::encodeName(name), address);
    for (bool room = true; room;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        room = ::connect(fd, reinterpret_cast<sockaddr *>(&address), size) == 0;
        ::close(fd);
    }
}

// Another process takes the lock at `path` and holds it until `holder` ends.
inline bool holdLock(QProcess &holder, const QString &path)
{
    holder.start(QStringLiteral("flock"), {QStringLiteral("--close"), path, QStringLiteral("cat")});
    return holder.waitForStarted()
        && QTest::qWaitFor([&] { return lockHolder(path) == QString::number(holder.processId()); });
}
