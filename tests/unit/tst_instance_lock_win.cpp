#include "app/instance_lock.h"
#include "fixture.h"
#include "program_runs.h"

// sddl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

using namespace zel;

namespace {

bool mutexExists(const QString &name)
{
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

} // namespace

// The instance lock on Windows: mutexes the system lets go of with the program.
class TestInstanceLockWin : public Fixture
{
    Q_OBJECT

private:
    ProgramRuns runs;

private Q_SLOTS:
    void initTestCase() { qputenv("QT_QPA_PLATFORM", "offscreen"); }
    void cleanup()
    {
        runs.endAll();
        releaseInstanceLock();
        Fixture::cleanup();
    }

    void oneInstancePerUserBySessionMutex();
    void unusableMutexRefusesNothing();
};

// On Windows the lock is a mutex in the session's namespace named for the
// account's SID, never its name; a running program also holds one that every
// account's installer sees. The system lets go of both when the program
// dies, however it dies. One this account may not open is another's lock.
void TestInstanceLockWin::oneInstancePerUserBySessionMutex()
{
    const QStringList places = instanceLockPlaces();
    QCOMPARE(places.size(), 1);
    const QString place = places.constFirst(), shown = QStringLiteral("Global\\" ZEL_WINDOWS_MUTEX);
    QVERIFY2(place.startsWith(QStringLiteral("Local\\" ZEL_WINDOWS_MUTEX "-S-1-5-"))
                 && !place.contains(qEnvironmentVariable("USERNAME"), Qt::CaseInsensitive),
             qPrintable(place));
    QVERIFY(!mutexExists(place) && !mutexExists(shown));

    QProcess *first = runs.start();
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(mutexExists(place) && mutexExists(shown), 10000);
    QCOMPARE(acquireInstanceLock(), InstanceLock::HeldByAnother);
    first->kill(); // TerminateProcess: the program lets go of nothing itself
    QVERIFY(first->waitForFinished());
    QTRY_VERIFY(!mutexExists(place) && !mutexExists(shown));

    // The next start takes the lock: a refused one would hold none.
    QProcess *next = runs.start();
    QVERIFY(next->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(mutexExists(place), 10000);
    QCOMPARE(acquireInstanceLock(), InstanceLock::HeldByAnother);
    QCOMPARE(next->state(), QProcess::Running);
    next->kill();
    QVERIFY(next->waitForFinished());

    QTRY_COMPARE(acquireInstanceLock(), InstanceLock::Acquired);
    QVERIFY(mutexExists(shown));
    releaseInstanceLock();
    QVERIFY(!mutexExists(place) && !mutexExists(shown));

    // As an instance started elevated leaves it to an ordinary start: owned
    // by another, and no access for anyone.
    PSECURITY_DESCRIPTOR noAccess = nullptr;
    QVERIFY(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:SYD:", SDDL_REVISION_1,
                                                                 &noAccess, nullptr));
    SECURITY_ATTRIBUTES attributes {sizeof attributes, noAccess, FALSE};
    HANDLE denied = CreateMutexExW(&attributes, reinterpret_cast<const wchar_t *>(place.utf16()), 0,
                                   SYNCHRONIZE);
    LocalFree(noAccess);
    QVERIFY(denied);
    QCOMPARE(acquireInstanceLock(), InstanceLock::HeldByAnother);
    CloseHandle(denied);
}

// Something else under the lock's name, or a name no mutex can have, refuses
// no start: the next place is taken, and without one the program runs unlocked.
void TestInstanceLockWin::unusableMutexRefusesNothing()
{
    const QString other = QStringLiteral("Local\\zel-orvalis-test-other");
    const QString noFolder = QStringLiteral("Local\\no such folder\\zel-orvalis");
    const QString free = QStringLiteral("Local\\zel-orvalis-test-free");
    HANDLE event
        = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const wchar_t *>(other.utf16()));
    QVERIFY(event);
    QCOMPARE(acquireInstanceLock({other, noFolder}), InstanceLock::Unavailable);
    QCOMPARE(acquireInstanceLock({other, noFolder, free}), InstanceLock::Acquired);
    QVERIFY(mutexExists(free));
    CloseHandle(event);
    releaseInstanceLock();
    QVERIFY(!mutexExists(free));
}

QTEST_MAIN(TestInstanceLockWin)
#include "tst_instance_lock_win.moc"
