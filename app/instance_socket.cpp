#include "app/instance_socket.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zel {
namespace {

constexpr int SocketNames = 8;
constexpr std::chrono::milliseconds PollEvery(5);

std::function<void()> &testStep()
{
    static std::function<void()> step;
    return step;
}

void step()
{
    if (testStep())
        testStep()();
}

// Where a start that has settled at a name says so: beside the name.
constexpr char Settled[] = ".settled";

bool abstractAddress(const QString &place, int index, sockaddr_un &address, socklen_t &size,
                     const char *suffix = "")
{
    QByteArray name = QFile::encodeName(place.mid(1));
    if (index > 0)
        name += '-' + QByteArray::number(index);
    name += suffix;
    address = {};
    address.sun_family = AF_UNIX;
    if (name.size() + 1 > qsizetype(sizeof address.sun_path))
        return false;
    // A leading NUL names a socket in the abstract namespace: no file at all.
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return true;
}

enum class Listener {
    None, // nobody listens: free, or taken by a start about to listen
    User, // a process of the user's
    Other, // someone else's
    Undecided, // its queue is full, so whose it is cannot be asked
};

Listener listenerAt(const QString &place, int index, uid_t user, const char *suffix = "")
{
    sockaddr_un address;
    socklen_t size;
    if (!abstractAddress(place, index, address, size, suffix))
        return Listener::None;
    step();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Listener::Undecided;
    Listener listener = Listener::None;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), size) == 0) {
        ucred peer = {};
        socklen_t length = sizeof peer;
        listener
            = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == user
            ? Listener::User
            : Listener::Other;
    } else if (errno == EAGAIN) {
        listener = Listener::Undecided;
    }
    ::close(fd);
    return listener;
}

// Whether the start at `index` has settled there: its mark answers as the
// user's, or has a full queue, which only a mark no one empties has.
bool settledAt(const QString &place, int index, uid_t user)
{
    const Listener mark = listenerAt(place, index, user, Settled);
    return mark == Listener::User || mark == Listener::Undecided;
}

// Listening at `index`: the start stays unless one of the user's listens at
// a lower name, or has settled at a higher one. One at a higher name that
// has not settled yet is on its way: it settles, and this start gives way,
// or it gives way itself; however long either takes, never both.
InstanceLock settle(const QString &place, int index, uid_t user, int &fd, int &mark)
{
    for (int other = 0; other < SocketNames; ++other) {
        Listener listener = other == index ? Listener::None : listenerAt(place, other, user);
        while (listener == Listener::User) {
            if (other < index || settledAt(place, other, user)) {
                step();
                ::close(fd);
                fd = -1;
                return InstanceLock::HeldByAnother;
            }
            std::this_thread::sleep_for(PollEvery);
            // Asking fills the queue of one that does not answer yet: a full
            // queue there is still the user's.
            if (listener = listenerAt(place, other, user); listener == Listener::Undecided)
                listener = Listener::User;
        }
    }
    // Settled: said beside the name, for starts at lower names that wait.
    sockaddr_un address;
    socklen_t size;
    step();
    mark = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (mark < 0 || !abstractAddress(place, index, address, size, Settled)
        || ::bind(mark, reinterpret_cast<sockaddr *>(&address), size) != 0
        || ::listen(mark, SocketQueue) != 0) {
        qCWarning(lcInstance, "%s: settled, but cannot say so: %s", qPrintable(place),
                  std::strerror(errno));
        ::close(mark);
        mark = -1;
    }
    return InstanceLock::Acquired;
}

} // namespace

InstanceLock claimSocket(const QString &place, uid_t user, int &fd, int &mark,
                         SocketPatience patience)
{
    fd = mark = -1;
    // Names taken by no one who listens are waited for this long in all.
    const QDeadlineTimer waiting(patience.toListen);
    for (int index = 0; index < SocketNames; ++index) {
        sockaddr_un address;
        socklen_t size;
        if (!abstractAddress(place, index, address, size))
            break;
        for (;;) {
            fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return InstanceLock::Unavailable;
            step();
            if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0) {
                step();
                if (::listen(fd, SocketQueue) == 0)
                    return settle(place, index, user, fd, mark);
            }
            const int error = errno;
            ::close(fd);
            fd = -1;
            if (error != EADDRINUSE)
                return InstanceLock::Unavailable;
            const Listener listener = listenerAt(place, index, user);
            if (listener == Listener::User)
                return InstanceLock::HeldByAnother;
            if (listener != Listener::None || waiting.hasExpired())
                break; // someone else's, or no one's that will listen: the next name
            std::this_thread::sleep_for(PollEvery);
        }
    }
    qCWarning(lcInstance, "%s: no name of it could be taken", qPrintable(place));
    return InstanceLock::Unavailable;
}

void setSocketStepForTests(std::function<void()> step)
{
    testStep() = std::move(step);
}

} // namespace zel
