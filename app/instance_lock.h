#pragma once

#include <QString>
#include <QStringList>

namespace zel {

// Where this user's instance lock may live, in order of preference: on Linux
// the per-user runtime folder, then a private folder of the user's own (the
// file name carries the user too); on Windows a named mutex in the session's
// namespace, `Local\zel-orvalis-<user name>`, which the installer looks for.
QStringList instanceLockPlaces();

enum class InstanceLock {
    Acquired, // this is the only instance
    HeldByAnother, // another instance of this user runs
    Unavailable, // the lock cannot be made anywhere; run without it
};

// Takes the lock for the rest of the process, at the first place where a lock
// can be made. Whether a lock is held is decided by whether a live process
// holds it: one left by a crash at any moment, or anything else in its
// place, is reclaimed.
InstanceLock acquireInstanceLock(const QStringList &places = instanceLockPlaces());

// Gives the lock up; harmless when it was never taken.
void releaseInstanceLock();

} // namespace zel
