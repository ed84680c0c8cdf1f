#include "app/instance_lock.h"
#include "app/instance_socket.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace zel;
using namespace std::chrono_literals;

namespace {

// Two starts, A and B, taking their steps in the order a schedule gives:
// "AB..." lets A take one step (up to its next), then B one, and so on;
// past the schedule's end, or once one of them is done, both run freely.
class Turns
{
public:
    explicit Turns(QByteArray order)
        : order(std::move(order))
    { }

    void step(char who)
    {
        std::unique_lock lock(mutex);
        if (moving == who)
            ++next, moving = 0;
        turn.notify_all();
        turn.wait(lock, [&] { return next >= order.size() || order[next] == who || done; });
        if (next < order.size() && order[next] == who)
            moving = who;
    }
    void finish(char who)
    {
        std::lock_guard lock(mutex);
        if (moving == who)
            ++next, moving = 0;
        done = true;
        turn.notify_all();
    }

private:
    QByteArray order;
    std::mutex mutex;
    std::condition_variable turn;
    qsizetype next = 0;
    char moving = 0;
    bool done = false;
};

thread_local char whoAmI = 0;

// What the descriptors of this process lead to ("socket:[123]", a path).
QStringList openTargets(qint64 pid = QCoreApplication::applicationPid())
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

} // namespace

class TestInstanceLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void racingStartsLeaveExactlyOne();
    void refusedStartsPastTheQueueAreStillRefused();
    void nothingStartedInheritsTheLock();
};

// Every order of the two starts' first steps (taking a name, listening,
// asking who listens there, giving way), with one passing over a name the
// other has taken but not yet listened at, as a long stall would make it:
// exactly one of them stays.
void TestInstanceLock::racingStartsLeaveExactlyOne()
{
    const QString place = QStringLiteral("@zel-orvalis-test-%1-").arg(::getpid());
    constexpr int Steps = 10;
    for (int bits = 0; bits < 1 << Steps; ++bits) {
        QByteArray order;
        for (int i = 0; i < Steps; ++i)
            order += bits >> i & 1 ? 'B' : 'A';
        Turns turns(order);
        setSocketStepForTests([&turns] { turns.step(whoAmI); });
        InstanceLock result[2];
        int fd[2] = {-1, -1};
        const auto start = [&](int i) {
            whoAmI = char('A' + i);
            result[i] = claimSocket(place + QString::number(bits), ::getuid(), fd[i], {0ms, 100ms});
            turns.finish(whoAmI);
        };
        std::thread a(start, 0), b(start, 1);
        a.join();
        b.join();
        setSocketStepForTests({});
        ::close(fd[0]);
        ::close(fd[1]);
        QVERIFY2((result[0] == InstanceLock::Acquired) != (result[1] == InstanceLock::Acquired),
                 order.constData());
        QVERIFY2(result[0] != InstanceLock::Unavailable && result[1] != InstanceLock::Unavailable,
                 order.constData());
    }
}

// The instance lets go of what starts leave in its queue, so that start
// after start, past the queue's length, is refused by the socket alone.
void TestInstanceLock::refusedStartsPastTheQueueAreStillRefused()
{
    const QString place = QStringLiteral("@zel-orvalis-test-queue-%1").arg(::getpid());
    QCOMPARE(acquireInstanceLock({place}), InstanceLock::Acquired);
    for (int start = 0; start < 2 * SocketQueue + 10; ++start) {
        int fd = -1;
        const InstanceLock result = claimSocket(place, ::getuid(), fd, {0ms, 0ms});
        if (result != InstanceLock::HeldByAnother)
            QFAIL(qPrintable(QStringLiteral("start %1 was not refused").arg(start)));
        if (start % 64 == 0)
            QCoreApplication::processEvents();
    }
    releaseInstanceLock();
}

// A program started while the lock is held (a browser opening a link) holds
// none of it: the lock ends with the program.
void TestInstanceLock::nothingStartedInheritsTheLock()
{
    QTemporaryDir dir;
    const QStringList before = openTargets();
    QCOMPARE(acquireInstanceLock({QStringLiteral("@zel-orvalis-test-child-%1").arg(::getpid()),
                                  dir.filePath(QStringLiteral("zel.lock"))}),
             InstanceLock::Acquired);
    QStringList held = openTargets();
    for (const QString &target : before)
        held.removeOne(target);
    QCOMPARE(held.size(), 2);
    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("10")});
    QVERIFY(child.waitForStarted());
    const QStringList inherited = openTargets(child.processId());
    child.kill();
    child.waitForFinished();
    releaseInstanceLock();
    QVERIFY(!inherited.isEmpty());
    for (const QString &target : held)
        QVERIFY2(!inherited.contains(target), qPrintable(target));
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instance_lock.moc"
