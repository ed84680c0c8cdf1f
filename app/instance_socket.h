#pragma once

#include "app/instance_lock.h"

#include <QLoggingCategory>
#include <QString>

#include <chrono>
#include <functional>
#include <sys/types.h>

namespace zel {

// The instance lock's log, sockets and lock files alike (defined with the lock).
Q_DECLARE_LOGGING_CATEGORY(lcInstance)

// "@name": a socket in Linux's abstract namespace that the kernel keeps for
// the process listening there and drops when it ends, so no clean-up of a
// folder can undo it. Anyone may take a name first, so a few are tried in
// turn ("@name", "@name-1", ...); whose a name is the kernel tells by the
// credentials of the process that listens there.
//
// How long a start waits for a name taken by one that has not listened yet
// (a start between its two steps), before it passes over it.
struct SocketPatience
{
    std::chrono::milliseconds toListen {1000};
};

// Two starts of `user` that race read one order: the one at the lower name
// stays, and one at a higher name gives way to it as soon as it sees it. A
// start that stays listens at "<name>.settled" too, so that one at a lower
// name knows it for the instance (the lower names were someone else's when
// it started) and gives way to it; until then that one waits. No wait
// depends on a time: a start that stalls at any step, for however long,
// delays the other and never leaves none. The listening socket is given in
// `fd` and the settled one in `mark` (-1 when none could be made); both are
// close-on-exec.
InstanceLock claimSocket(const QString &place, uid_t user, int &fd, int &mark,
                         SocketPatience patience = {});

// The queue a listening instance keeps for starts that ask who listens:
// long enough that the asking of the starts waiting on it never fills it.
constexpr int SocketQueue = 4096;

// For tests: called before each step of a claim that another start can see
// or change (taking a name, listening, asking who listens, giving way,
// settling), in the thread that claims.
void setSocketStepForTests(std::function<void()> step);

} // namespace zel
