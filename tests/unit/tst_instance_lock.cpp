#include "app/instance_lock.h"
#include "app/instance_socket.h"
#include "app/startup.h"
#include "ends_within.h"
#include "fixture.h"
#include "lock_probes.h"
#include "program_runs.h"
#include "turns.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zel;
using namespace std::chrono_literals;

namespace {

const QString ownPid = QString::number(QCoreApplication::applicationPid());

} // namespace

// The instance lock on Linux, each of its mechanisms alone and together,
// and the real program's starts beside each other.
class TestInstanceLock : public Fixture
{
    Q_OBJECT

private:
    ProgramRuns runs;
    // The first lock file (the first place is a socket).
    QString lockPath() const { return instanceLockPlaces().at(1); }

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void lockPlacesDependOnTheUserAlone();
    void secondInstanceIsRefused();
    void lockThatCannotBeMadeDoesNotRefuse_data();
    void lockThatCannotBeMadeDoesNotRefuse();
    void lockHeldByAnotherProcessRefuses_data();
    void lockHeldByAnotherProcessRefuses();
    void socketTellsUsersApart_data();
    void socketTellsUsersApart();
    void racingStartsLeaveExactlyOne();
    void refusedStartsPastTheQueueAreStillRefused();
    void nothingStartedInheritsTheLock();
    void noDisplayEndsWithAMessage_data();
    void noDisplayEndsWithAMessage();
};

void TestInstanceLock::initTestCase()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Instances started here take the user's own lock, whatever the
    // environment: wait until no other test run of this user's has started
    // any (scripts/xsession.sh takes the same guard).
    QVERIFY(QDir().mkpath(QDir::homePath() + QStringLiteral("/.cache")));
    const QString guard = QDir::homePath() + QStringLiteral("/.cache/zel-orvalis-tests.guard");
    const int fd = ::open(QFile::encodeName(guard).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY2(fd >= 0 && ::flock(fd, LOCK_EX) == 0, qPrintable(guard)); // held until the end
    nameApplication();
}

// The fixture answers a refused start's box: none shows but the one a test
// shows for real.
void TestInstanceLock::cleanup()
{
    runs.endAll();
    releaseInstanceLock();
    setInstanceLockUserForTests(-1);
    Fixture::cleanup();
}

// The same places whatever the environment says, so that a start from a
// desktop launcher and one from a terminal meet at one lock: the runtime
// folder when the system made one, and a private folder in the home the
// system records for the user, never a shared one.
void TestInstanceLock::lockPlacesDependOnTheUserAlone()
{
    const QString uid = QString::number(::getuid());
    const QString name = QStringLiteral("/zel-orvalis-%1.lock").arg(uid);
    QStringList expected;
    if (QFileInfo(QStringLiteral("/run/user/") + uid).isDir())
        expected << QStringLiteral("/run/user/") + uid + name;
    const QString folder = QFile::decodeName(::getpwuid(::getuid())->pw_dir)
        + QStringLiteral("/.local/state/zel-orvalis");
    expected << folder + name;
    // A folder others may look into is made private again.
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                              | QFile::ExeOther);
    QTemporaryDir elsewhere;
    const QList<const char *> variables = {"XDG_RUNTIME_DIR", "HOME", "XDG_CACHE_HOME"};
    QList<QByteArray> saved;
    for (const char *variable : variables) {
        saved << qgetenv(variable);
        qputenv(variable, elsewhere.path().toLocal8Bit());
    }
    const auto openFiles = [] {
        return QDir(QStringLiteral("/proc/self/fd")).count();
    };
    const uint open = openFiles();
    const QStringList places = instanceLockPlaces();
    QCOMPARE(openFiles(), open); // nothing left open on the way
    for (int i = 0; i < variables.size(); ++i)
        saved[i].isEmpty() ? qunsetenv(variables[i]) : qputenv(variables[i], saved[i]);

    QCOMPARE(places, QStringList {QStringLiteral("@zel-orvalis-") + uid} + expected);
    const auto othersMay = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(folder).permissions() & othersMay, QFile::Permissions());
}

void TestInstanceLock::secondInstanceIsRefused()
{
    QProcess *first = runs.start();
    QVERIFY(first->waitForStarted());
    const QString firstPid = QString::number(first->processId());
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(lockPath()), firstPid, 10000);

    messages::setAnswererForTests({}); // the real box
    SeenBox seen;
    answerNextBox(&seen);
    QVERIFY(refuseSecondInstance());

    QCOMPARE(seen.title, QStringLiteral("Zel Orvalis"));
    QCOMPARE(seen.text, QStringLiteral("Application is already running"));
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttons.size(), 1);
    // The first instance is left as it was: still running, still the holder.
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(lockHolder(lockPath()), firstPid);
}

// A place that cannot be used is skipped at once, whatever stands there, and
// the lock is taken at the next; with none left the program runs without it.
// A folder others may write to, or someone else's, is never used, whatever
// they put in it. Whatever a crash or anything else left in a lock file means
// nothing: the lock is taken there at once and the file kept as it was. The
// lock file used is the user's alone.
void TestInstanceLock::lockThatCannotBeMadeDoesNotRefuse_data()
{
    columns<QString, bool>("obstacle", "usable");
    row("folder is a file", "not-a-folder", false);
    row("a shared folder, held there", "shared", false);
    row("another user's folder", "not-own", false);
    row("a folder at the lock", "folder", false);
    row("a dangling link at the lock", "link", false);
    row("a FIFO at the lock", "fifo", false);
    row("an empty file left", "", true);
    row("garbage left", "\x01\xff not a lock\n", true);
    row("read-only, as made under umask 0277", "read-only", true);
}

void TestInstanceLock::lockThatCannotBeMadeDoesNotRefuse()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, usable);
    QTemporaryDir dir;
    QString place = dir.filePath(QStringLiteral("zel.lock"));
    QProcess holder;
    const QByteArray content = obstacle == QLatin1String("read-only") ? "" : obstacle.toLatin1();
    if (usable) {
        QVERIFY(writeFile(place, content));
        const mode_t mode = obstacle == QLatin1String("read-only") ? 0400 : 0600;
        QCOMPARE(::chmod(QFile::encodeName(place).constData(), mode), 0);
    } else if (obstacle == QLatin1String("not-a-folder")) {
        QVERIFY(writeFile(dir.filePath(QStringLiteral("not-a-folder"))));
        place = dir.filePath(QStringLiteral("not-a-folder/zel.lock"));
    } else if (obstacle == QLatin1String("shared")) {
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 01777), 0);
        QVERIFY(holdLock(holder, place));
    } else if (obstacle == QLatin1String("not-own")) {
        // As the user it is taken for sees the folder (root could chown it).
        setInstanceLockUserForTests(int(::getuid()) + 1);
    } else if (obstacle == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(place));
    } else if (obstacle == QLatin1String("link")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), place));
    } else {
        QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {place}), 0);
    }
    QTemporaryDir next;
    const QString taken = usable ? place : next.filePath(QStringLiteral("zel.lock"));

    InstanceLock alone = InstanceLock::Acquired, withNext = InstanceLock::Unavailable;
    QVERIFY2(
        endsWithin(
            3000,
            [&] {
                alone = acquireInstanceLock({place});
                setInstanceLockUserForTests(-1);
                releaseInstanceLock();
                withNext = acquireInstanceLock({place, next.filePath(QStringLiteral("zel.lock"))});
            }),
        "taking the lock blocked");
    QCOMPARE(alone, usable ? InstanceLock::Acquired : InstanceLock::Unavailable);
    QCOMPARE(withNext, InstanceLock::Acquired);
    QCOMPARE(lockHolder(taken), ownPid);
    struct stat made = {};
    QCOMPARE(::stat(QFile::encodeName(taken).constData(), &made), 0);
    QCOMPARE(made.st_mode & 07777, mode_t(0600)); // the user's alone, and opened again next time
    if (usable) {
        QFile left(place);
        QVERIFY(left.open(QIODevice::ReadOnly));
        QCOMPARE(left.readAll(), content);
    }
    releaseInstanceLock();
}

// Only a lock another process really holds refuses a start, at any of the
// places; a lock taken meanwhile at an earlier place is let go again, and
// once the other process ends the next start takes them all.
void TestInstanceLock::lockHeldByAnotherProcessRefuses_data()
{
    QTest::addColumn<QString>("before"); // what comes before the held file
    row("the only place", QString());
    row("a later place", QStringLiteral("file"));
    row("behind a socket that cannot decide", QStringLiteral("socket"));
}

void TestInstanceLock::lockHeldByAnotherProcessRefuses()
{
    QFETCH(QString, before);
    QTemporaryDir dir;
    const QString earlier = dir.filePath(QStringLiteral("earlier.lock"));
    const QString held = dir.filePath(QStringLiteral("held.lock"));
    const QString name = QStringLiteral("zel-orvalis-test-undecided-") + ownPid;
    QStringList places {held};
    QList<int> squatted; // every name of the socket taken, with its queue full
    if (before == QLatin1String("file"))
        places.prepend(earlier);
    for (int i = 0; before == QLatin1String("socket") && i < 8; ++i) {
        squatted << listenAt(i ? name + u'-' + QString::number(i) : name);
        fillQueue(i ? name + u'-' + QString::number(i) : name);
    }
    if (!squatted.isEmpty())
        places.prepend(u'@' + name);
    QProcess holder;
    QVERIFY(holdLock(holder, held));

    QCOMPARE(acquireInstanceLock(places), InstanceLock::HeldByAnother);
    QCOMPARE(lockHolder(earlier), QString());
    QCOMPARE(lockHolder(held), QString::number(holder.processId()));

    holder.kill();
    QVERIFY(holder.waitForFinished());
    QTRY_COMPARE(lockHolder(held), QString()); // its child lets go a moment later
    QCOMPARE(acquireInstanceLock(places), InstanceLock::Acquired);
    for (const QString &place : places)
        QCOMPARE(lockHolder(place), place.startsWith(u'@') ? QString() : ownPid);
    releaseInstanceLock();
    for (const int fd : std::as_const(squatted))
        ::close(fd);
}

// The socket's name is the user's only while a process of the user's listens
// there: another user's is passed over for the next name, and a process of
// the user's at any of them, even with the first free again, is an instance.
void TestInstanceLock::socketTellsUsersApart_data()
{
    // Which of the names are taken, whether by a process of this user's, the
    // result, and the name taken then, or -1.
    columns<QList<int>, bool, int, int>("listening", "ours", "result", "taken");
    const int held = int(InstanceLock::HeldByAnother), acquired = int(InstanceLock::Acquired);
    row("free", QList<int> {}, true, acquired, 0);
    row("this user's", QList<int> {0}, true, held, -1);
    row("this user's at a later name", QList<int> {2}, true, held, -1);
    row("another user's", QList<int> {0}, false, acquired, 1);
    row("another user's, twice", QList<int> {0, 1}, false, acquired, 2);
    row("another user's at every name", QList<int> {0, 1, 2, 3, 4, 5, 6, 7}, false,
        int(InstanceLock::Unavailable), -1);
}

void TestInstanceLock::socketTellsUsersApart()
{
    QFETCH(QList<int>, listening);
    QFETCH(bool, ours);
    QFETCH(int, result);
    QFETCH(int, taken);
    const QString name = QStringLiteral("zel-orvalis-test-") + ownPid;
    const auto nameAt = [&](int index) {
        return index ? name + u'-' + QString::number(index) : name;
    };
    const auto openFiles = [] {
        return QDir(QStringLiteral("/proc/self/fd")).count();
    };
    const uint openBefore = openFiles();
    QList<int> others;
    for (const int index : listening)
        others << listenAt(nameAt(index));
    QCOMPARE(others.size(), 2 * listening.size());
    if (!ours)
        setInstanceLockUserForTests(int(::getuid()) + 1);
    int steps = 0; // each name is asked about a few times at most: none is waited on
    setSocketStepForTests([&steps] { ++steps; });
    const InstanceLock got = acquireInstanceLock({u'@' + name});
    setSocketStepForTests({});
    setInstanceLockUserForTests(-1);
    QVERIFY2(steps <= 8 * 8, qPrintable(QString::number(steps)));
    for (const int fd : std::as_const(others))
        ::close(fd);
    QCOMPARE(int(got), result);
    if (taken >= 0)
        QVERIFY(listenAt(nameAt(taken)).isEmpty()); // held by this process
    releaseInstanceLock();
    if (taken >= 0) {
        const QList<int> fds = listenAt(nameAt(taken));
        QVERIFY(!fds.isEmpty()); // and let go with the lock
        for (const int fd : fds)
            ::close(fd);
    }
    QCOMPARE(openFiles(), openBefore); // nothing left open on the way
}

// Two starts that race: exactly one of them stays, in every order of their
// first steps (taking a name, listening, asking who listens, giving way,
// settling). Where one has taken a name and not yet listened, the other
// either passes over it at once, as a stall past the patience makes it, or
// waits as long as it takes: no time decides anything else.
void TestInstanceLock::racingStartsLeaveExactlyOne()
{
    const QString place = QStringLiteral("@zel-orvalis-test-%1-").arg(::getpid());
    constexpr int Steps = 10;
    for (const auto patience : {0ms, std::chrono::milliseconds(1h)}) {
        for (int bits = 0; bits < 1 << Steps; ++bits) {
            QByteArray order;
            for (int i = 0; i < Steps; ++i)
                order += bits >> i & 1 ? 'B' : 'A';
            Turns turns(order);
            setSocketStepForTests([&turns] { turns.step(); });
            InstanceLock result[2];
            int fd[2], mark[2];
            const QString at = place + QString::number(bits);
            turns.race([&](int i) {
                result[i] = claimSocket(at, ::getuid(), fd[i], mark[i], {patience});
            });
            setSocketStepForTests({});
            for (const int each : {fd[0], fd[1], mark[0], mark[1]})
                ::close(each);
            QVERIFY2((result[0] == InstanceLock::Acquired) + (result[1] == InstanceLock::Acquired)
                         == 1,
                     order.constData());
        }
    }
}

// The instance lets go of what starts leave in its queue, so that start
// after start, past the queue's length, is refused by the socket alone.
void TestInstanceLock::refusedStartsPastTheQueueAreStillRefused()
{
    const QString place = QStringLiteral("@zel-orvalis-test-queue-%1").arg(::getpid());
    QCOMPARE(acquireInstanceLock({place}), InstanceLock::Acquired);
    for (int start = 0; start < 2 * SocketQueue + 10; ++start) {
        int fd = -1, mark = -1;
        const InstanceLock result = claimSocket(place, ::getuid(), fd, mark, {0ms});
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
    QCOMPARE(held.size(), 3); // the socket, the mark that it has settled, the lock file
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

// No display: one plain line and exit code 1, no abort and no core dump.
// A platform that does not exist is named, not the display.
void TestInstanceLock::noDisplayEndsWithAMessage_data()
{
    columns<QString, QString, QString>("platform", "display", "message");
    row("none", "xcb", QString(), "zel-orvalis: no display could be opened (DISPLAY=\"\")\n");
    row("a dead one", "xcb", ":97", "zel-orvalis: no display could be opened (DISPLAY=\":97\")\n");
    row("a platform that does not exist", "garbage", ":97",
        "zel-orvalis: the platform asked for could not be started "
        "(QT_QPA_PLATFORM=\"garbage\")\n");
}

void TestInstanceLock::noDisplayEndsWithAMessage()
{
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, message);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (display.isEmpty())
        environment.remove(QStringLiteral("DISPLAY"));
    else
        environment.insert(QStringLiteral("DISPLAY"), display);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(ZEL_BINARY), {});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), message);
}

QTEST_MAIN(TestInstanceLock)
#include "tst_instance_lock.moc"
