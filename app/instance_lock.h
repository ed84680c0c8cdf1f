#pragma once

#include <QString>
#include <QStringList>

namespace zel {

// Where this user's instance lock is taken, in order: places that depend on
// the user alone, never on the environment, so that every start of the user
// looks in the same places (a start in a user namespace of the user's
// included). On Linux: first "@zel-orvalis-<uid>", a socket in the abstract
// namespace (see instance_socket.h); then a lock file in the user's runtime
// folder when the system made one, and in a private folder of the user's
// state under the home the system records, which no cleaning of caches
// removes, for a start the socket cannot decide. On Windows it is the name
// of a mutex in the session's namespace, `Local\zel-orvalis-<the account's
// SID>`; a running program also holds `Global\zel-orvalis`, and the
// installer looks for both.
QStringList instanceLockPlaces();

enum class InstanceLock {
    Acquired, // this is the only instance
    HeldByAnother, // another instance of this user runs
    Unavailable, // the lock can be taken nowhere; run without it
};

// Takes the lock for the rest of the process at every place that can be
// used, skipping those that cannot; refused when another process holds it at
// any of them. Only the system decides whether a lock is held, and it lets
// go when its holder ends, however it ends: nothing is ever left to reclaim.
InstanceLock acquireInstanceLock(const QStringList &places = instanceLockPlaces());

// Gives the lock up; harmless when it was never taken.
void releaseInstanceLock();

// For tests, on Linux: takes the lock for the user `uid`, so that what the
// process's own user owns counts as another user's; -1 restores that user.
void setInstanceLockUserForTests(int uid);

} // namespace zel
