#pragma once

#include <QString>

namespace zel {

// Where this user's instance lock lives: a per-user runtime folder, the file
// name carrying the user too.
QString instanceLockPath();

enum class InstanceLock {
    Acquired, // this is the only instance
    HeldByAnother, // another instance of this user runs
    Unavailable, // the lock cannot be made here; run without it
};

// Takes the lock for the rest of the process. A lock left by an instance that
// crashed is reclaimed.
InstanceLock acquireInstanceLock(const QString &path = instanceLockPath());

// Gives the lock up; harmless when it was never taken.
void releaseInstanceLock();

} // namespace zel
