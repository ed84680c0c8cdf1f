#include "app/instance_lock.h"
#include "app/startup.h"
#include "data_row.h"
#include "ends_within.h"
#include "links/open_link.h"
#include "main_window/main_window.h"
#include "modal_helper.h"
#include "oracle/random_source.h"
#include "support/support_window.h"
#include "ui/messages.h"
#include "window_test_helpers.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_WIN
// sddl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace zel;

namespace {

struct SeenBox
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next modal message box with OK once it is up, recording it
// (on Windows no test here starts a second instance, which it is for).
[[maybe_unused]] void answerNextBox(SeenBox *seen)
{
    whenModalIsUp([seen](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            seen->buttons << button->text();
        box->button(QMessageBox::Ok)->click();
    });
}

// Stands in for endProgram, which would end the test process.
int programEnds = 0;
void countProgramEnd()
{
    ++programEnds;
}

QList<SupportWindow *> supportWindows()
{
    QList<SupportWindow *> found;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *support = qobject_cast<SupportWindow *>(top); support && support->isVisible())
            found << support;
    }
    return found;
}

// Start-up's settings live in the desktop's config folder, under the
// program's organisation and name.
void useConfigFolder(const QString &folder)
{
    qputenv("XDG_CONFIG_HOME", folder.toLocal8Bit());
}

QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Velmora/Zel Orvalis.conf");
}

const QString ownPid = QString::number(QCoreApplication::applicationPid());

#ifndef Q_OS_WIN
// The process whose flock is on the file at `path`, as the kernel lists it;
// empty when none is.
QString lockHolder(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    // "1: FLOCK  ADVISORY  WRITE 4242 fe:00:1234 0 EOF"; a waiter's has "->".
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[1] == "FLOCK"
            && fields[5].split(':').constLast() == QByteArray::number(quint64(info.st_ino)))
            return QString::fromLatin1(fields[4]);
    }
    return {};
}

// A socket listening at the abstract name `name`, as another instance holds
// one; -1 when it cannot be made.
int listenAt(const QString &name)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = name.toUtf8();
    std::memcpy(address.sun_path + 1, bytes.constData(), size_t(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + bytes.size());
    if (fd >= 0
        && (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) != 0
            || ::listen(fd, 4) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Another process takes the lock at `path` and holds it until `holder` ends.
bool holdLock(QProcess &holder, const QString &path)
{
    holder.start(QStringLiteral("flock"), {QStringLiteral("--close"), path, QStringLiteral("cat")});
    return holder.waitForStarted()
        && QTest::qWaitFor([&] { return lockHolder(path) == QString::number(holder.processId()); });
}
#else
bool mutexExists(const QString &name)
{
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}
#endif

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir runtimeDir;
    QList<QProcess *> running;
    QStringList log;

    QProcess *startProcess()
    {
        auto *process = new QProcess(this);
        process->setProgram(QStringLiteral(ZEL_BINARY));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        running << process;
        return process;
    }
    // The first lock file (the first place is a socket).
    QString lockPath() const { return instanceLockPlaces().at(1); }

    // The start-up sequence, with the instance lock taken aside first so that
    // it never meets the user's own.
    MainWindow *startUp()
    {
#ifndef Q_OS_WIN
        acquireInstanceLock({runtimeDir.filePath(QStringLiteral("aside.lock"))});
#endif
        return zel::startProgram(&countProgramEnd);
    }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lockPlacesDependOnTheUserAlone();
    void secondInstanceIsRefused();
    void restartAfterKill9();
    void oneInstancePerUserBySessionMutex();
    void unusableMutexRefusesNothing();
    void lockThatCannotBeMadeDoesNotRefuse_data();
    void lockThatCannotBeMadeDoesNotRefuse();
    void leftoversDoNotBlock_data();
    void leftoversDoNotBlock();
    void lockHeldByAnotherProcessRefuses_data();
    void lockHeldByAnotherProcessRefuses();
    void socketTellsUsersApart_data();
    void socketTellsUsersApart();
    void noDisplayEndsWithAMessage_data();
    void noDisplayEndsWithAMessage();
    void endProgramEndsDespiteMisbehavingWindows();

    void startUpAsksBeforeTheMainWindow();
    void startUpOpensTheMainWindowAfterAFailingReminder();
    void startUpChoosesTheBrandLabel_data();
    void startUpChoosesTheBrandLabel();
    void supportWindowTakesOverAndEndsTheProgram_data();
    void supportWindowTakesOverAndEndsTheProgram();
};

void TestStartup::initTestCase()
{
    QVERIFY(runtimeDir.isValid());
    QVERIFY(QFile::setPermissions(runtimeDir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifndef Q_OS_WIN
    // Instances started here take the user's own lock, whatever the
    // environment: wait until no other test run of this user's has started
    // any (scripts/xsession.sh takes the same guard).
    QVERIFY(QDir().mkpath(QDir::homePath() + QStringLiteral("/.cache")));
    const QString guard = QDir::homePath() + QStringLiteral("/.cache/zel-orvalis-tests.guard");
    const int fd = ::open(QFile::encodeName(guard).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY2(fd >= 0 && ::flock(fd, LOCK_EX) == 0, qPrintable(guard)); // held until the end
#endif
    nameApplication();
    setLinkOpenerForTests([this](const QString &address) { log << "open " + address; });
}

// A reminder that comes due during start-up is answered No, never left open.
void TestStartup::init()
{
    messages::setAnswererForTests([this](const messages::Request &request) {
        log << QStringLiteral("ask ") + request.text.left(9);
        return false;
    });
}

void TestStartup::cleanup()
{
    for (QProcess *process : std::as_const(running)) {
        process->kill();
        process->waitForFinished();
    }
    qDeleteAll(running);
    running.clear();
    releaseInstanceLock();
    log.clear();
    programEnds = 0;
    messages::setAnswererForTests({});
    oracle::setBitSourceForTests({});
    // Deleted, never closed: the support window's closing asks to end the program.
    QList<QPointer<QWidget>> windows;
    for (QWidget *top : QApplication::topLevelWidgets())
        windows << top;
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
}

// The same places whatever the environment says, so that a start from a
// desktop launcher and one from a terminal meet at one lock: the runtime
// folder when the system made one, and a private folder in the home the
// system records for the user, never a shared one.
void TestStartup::lockPlacesDependOnTheUserAlone()
{
#ifdef Q_OS_WIN
    QSKIP("the places are names of mutexes there");
#else
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
#endif
}

void TestStartup::secondInstanceIsRefused()
{
#ifdef Q_OS_WIN
    QSKIP("instances started here would lock in the user's real folder; the Windows end-to-end run "
          "starts a second one");
#else
    QProcess *first = startProcess();
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
#endif
}

void TestStartup::restartAfterKill9()
{
#ifdef Q_OS_WIN
    QSKIP("instances started here would lock in the user's real folder; the Windows end-to-end run "
          "covers start-up");
#else
    QProcess *first = startProcess();
    QVERIFY(first->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(lockPath()), QString::number(first->processId()), 10000);
    first->kill(); // SIGKILL: the lock file stays behind
    QVERIFY(first->waitForFinished());
    QVERIFY(QFile::exists(lockPath()));

    QProcess *next = startProcess();
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(lockPath()), QString::number(next->processId()), 10000);
    QCOMPARE(next->state(), QProcess::Running);
#endif
}

// A place that cannot be used is skipped at once, whatever stands there, and
// the lock is taken at the next; with none left the program runs without it.
// A folder others may write to, or someone else's, is never used, whatever
// they put in it. The lock file made is the user's alone.
void TestStartup::lockThatCannotBeMadeDoesNotRefuse_data()
{
    QTest::addColumn<QString>("obstacle");
    row("folder is a file", "not-a-folder");
    row("a shared folder, held there", "shared");
    row("another user's folder", "not-own");
    row("a folder at the lock", "folder");
    row("a dangling link at the lock", "link");
    row("a FIFO at the lock", "fifo");
}

// On Windows the lock is a mutex in the session's namespace named for the
// account's SID, never its name; a running program also holds one that every
// account's installer sees. The system lets go of both when the program
// dies, however it dies. One this account may not open is another's lock.
void TestStartup::oneInstancePerUserBySessionMutex()
{
#ifndef Q_OS_WIN
    QSKIP("Windows only");
#else
    const QStringList places = instanceLockPlaces();
    QCOMPARE(places.size(), 1);
    const QString place = places.constFirst(), shown = QStringLiteral("Global\\" ZEL_WINDOWS_MUTEX);
    QVERIFY2(place.startsWith(QStringLiteral("Local\\" ZEL_WINDOWS_MUTEX "-S-1-5-"))
                 && !place.contains(qEnvironmentVariable("USERNAME"), Qt::CaseInsensitive),
             qPrintable(place));
    QVERIFY(!mutexExists(place) && !mutexExists(shown));

    QProcess *first = startProcess();
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(mutexExists(place) && mutexExists(shown), 10000);
    QCOMPARE(acquireInstanceLock(), InstanceLock::HeldByAnother);
    first->kill(); // TerminateProcess: the program lets go of nothing itself
    QVERIFY(first->waitForFinished());
    QTRY_VERIFY(!mutexExists(place) && !mutexExists(shown));

    // The next start takes the lock: a refused one would hold none.
    QProcess *next = startProcess();
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
#endif
}

// Something else under the lock's name, or a name no mutex can have, refuses
// no start: the next place is taken, and without one the program runs unlocked.
void TestStartup::unusableMutexRefusesNothing()
{
#ifndef Q_OS_WIN
    QSKIP("Windows only");
#else
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
#endif
}

void TestStartup::lockThatCannotBeMadeDoesNotRefuse()
{
#ifdef Q_OS_WIN
    QSKIP("the places are names of mutexes there");
#else
    QFETCH(QString, obstacle);
    QTemporaryDir dir;
    QString place = dir.filePath(QStringLiteral("zel.lock"));
    QProcess holder;
    if (obstacle == QLatin1String("not-a-folder")) {
        QFile file(dir.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        place = file.fileName() + QStringLiteral("/zel.lock");
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
    const QString usable = next.filePath(QStringLiteral("zel.lock"));

    InstanceLock alone = InstanceLock::Acquired, withNext = InstanceLock::Unavailable;
    QVERIFY2(endsWithin(3000,
                        [&] {
                            alone = acquireInstanceLock({place});
                            setInstanceLockUserForTests(-1);
                            withNext = acquireInstanceLock({place, usable});
                        }),
             "taking the lock blocked");
    QCOMPARE(alone, InstanceLock::Unavailable);
    QCOMPARE(withNext, InstanceLock::Acquired);
    QCOMPARE(lockHolder(usable), ownPid);
    struct stat made = {};
    QCOMPARE(::stat(QFile::encodeName(usable).constData(), &made), 0);
    QCOMPARE(made.st_mode & 07777, mode_t(0600)); // the user's alone, and opened again next time
    releaseInstanceLock();
#endif
}

// Whatever a crash at any moment, or anything else, leaves in the lock file
// means nothing: the next start takes the lock at once and leaves the file
// as it was.
void TestStartup::leftoversDoNotBlock_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("qtHelperLock");
    QTest::addColumn<int>("mode");
    row("empty", QByteArray(), false, 0600);
    row("garbage", QByteArray("\x01\xff not a lock\n"), false, 0600);
    row("another host", QByteArray("1\nzel-orvalis\nsomewhere-else\n"), false, 0600);
    row("empty, with Qt's empty helper lock", QByteArray(), true, 0600);
    row("read-only, as made under umask 0277", QByteArray(), false, 0400);
}

void TestStartup::leftoversDoNotBlock()
{
#ifdef Q_OS_WIN
    QSKIP("the places are names of mutexes there");
#else
    QFETCH(QByteArray, content);
    QFETCH(bool, qtHelperLock);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zel.lock"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    if (qtHelperLock) {
        QFile helper(path + QStringLiteral(".rmlock"));
        QVERIFY(helper.open(QIODevice::WriteOnly));
    }

    InstanceLock result = InstanceLock::Unavailable;
    QVERIFY2(endsWithin(2000, [&] { result = acquireInstanceLock({path}); }),
             "taking the lock blocked");
    QCOMPARE(result, InstanceLock::Acquired);
    QCOMPARE(lockHolder(path), ownPid);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(file.permissions(),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
                 | QFile::WriteUser); // the user's alone, mode 0600
    releaseInstanceLock();
#endif
}

// Only a lock another process really holds refuses a start, at any of the
// places; a lock taken meanwhile at an earlier place is let go again, and
// once the other process ends the next start takes them all.
void TestStartup::lockHeldByAnotherProcessRefuses_data()
{
    QTest::addColumn<bool>("laterPlace");
    row("the only place", false);
    row("a later place", true);
}

void TestStartup::lockHeldByAnotherProcessRefuses()
{
#ifdef Q_OS_WIN
    QSKIP("the places are names of mutexes there");
#else
    QFETCH(bool, laterPlace);
    QTemporaryDir dir;
    const QString earlier = dir.filePath(QStringLiteral("earlier.lock"));
    const QString held = dir.filePath(QStringLiteral("held.lock"));
    const QStringList places = laterPlace ? QStringList {earlier, held} : QStringList {held};
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
        QCOMPARE(lockHolder(place), ownPid);
    releaseInstanceLock();
#endif
}

// The socket's name is the user's only while a process of the user's listens
// there: another user's is passed over for the next name, and a process of
// the user's at any of them, even with the first free again, is an instance.
void TestStartup::socketTellsUsersApart_data()
{
    QTest::addColumn<QList<int>>("listening"); // which of the names are taken
    QTest::addColumn<bool>("ours"); // by a process of this user's
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("taken"); // the name taken then, or -1
    const int held = int(InstanceLock::HeldByAnother), acquired = int(InstanceLock::Acquired);
    row("free", QList<int> {}, true, acquired, 0);
    row("this user's", QList<int> {0}, true, held, -1);
    row("this user's at a later name", QList<int> {2}, true, held, -1);
    row("another user's", QList<int> {0}, false, acquired, 1);
    row("another user's, twice", QList<int> {0, 1}, false, acquired, 2);
    row("another user's at every name", QList<int> {0, 1, 2, 3, 4, 5, 6, 7}, false,
        int(InstanceLock::Unavailable), -1);
}

void TestStartup::socketTellsUsersApart()
{
#ifdef Q_OS_WIN
    QSKIP("Linux only");
#else
    QFETCH(QList<int>, listening);
    QFETCH(bool, ours);
    QFETCH(int, result);
    QFETCH(int, taken);
    const QString name = QStringLiteral("zel-orvalis-test-") + ownPid;
    const auto nameAt = [&](int index) {
        return index ? name + u'-' + QString::number(index) : name;
    };
    QList<int> others;
    for (const int index : listening)
        others << listenAt(nameAt(index));
    QVERIFY(!others.contains(-1));
    if (!ours)
        setInstanceLockUserForTests(int(::getuid()) + 1);
    const InstanceLock got = acquireInstanceLock({u'@' + name});
    setInstanceLockUserForTests(-1);
    for (const int fd : std::as_const(others))
        ::close(fd);
    QCOMPARE(int(got), result);
    if (taken >= 0)
        QCOMPARE(listenAt(nameAt(taken)), -1); // held by this process
    releaseInstanceLock();
    if (taken >= 0) {
        const int fd = listenAt(nameAt(taken));
        QVERIFY(fd >= 0); // and let go with the lock
        ::close(fd);
    }
#endif
}

// No display: one plain line and exit code 1, no abort and no core dump.
// A platform that does not exist is named, not the display.
void TestStartup::noDisplayEndsWithAMessage_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("message");
    row("none", "xcb", QString(), "zel-orvalis: no display could be opened (DISPLAY=\"\")\n");
    row("a dead one", "xcb", ":97", "zel-orvalis: no display could be opened (DISPLAY=\":97\")\n");
    row("a platform that does not exist", "garbage", ":97",
        "zel-orvalis: the platform asked for could not be started "
        "(QT_QPA_PLATFORM=\"garbage\")\n");
}

void TestStartup::noDisplayEndsWithAMessage()
{
#ifdef Q_OS_WIN
    QSKIP("Windows always has a display");
#endif
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

void TestStartup::endProgramEndsDespiteMisbehavingWindows()
{
    QProcess probe;
    probe.start(QStringLiteral(PROBE_BINARY), {});
    QVERIFY(probe.waitForFinished(10000));
    const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput());
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    for (const char *window : {"first", "refuser", "nested", "last"})
        QVERIFY2(output.contains(QStringLiteral("%1 closing").arg(QLatin1String(window))),
                 qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("resumed")), qPrintable(output));
}

// The real start-up sequence, with the settings store in a private folder.
void TestStartup::startUpAsksBeforeTheMainWindow()
{
#ifdef Q_OS_WIN
    QSKIP("the store is the registry there; the Windows end-to-end run asks against it");
#endif
    QTemporaryDir config;
    useConfigFolder(config.path());
    const QString date = QDate::currentDate().addDays(-20).toString(QStringLiteral("yyyy-MM-dd"));
    QSettings(settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Settings/Duration"), date);

    int windowsWhenAsked = -1;
    messages::setAnswererForTests([&](const messages::Request &request) {
        windowsWhenAsked = 0;
        for (QWidget *top : QApplication::topLevelWidgets())
            windowsWhenAsked += qobject_cast<MainWindow *>(top) && top->isVisible();
        log << QStringLiteral("ask ") + request.text.left(9);
        return true;
    });

    QPointer<MainWindow> mainWindow = startUp();

    QCOMPARE(windowsWhenAsked, 0);
    QCOMPARE(
        log,
        QStringList({"ask There may", "open " + linkAddress(LinkTarget::ProductDownloadPage)}));
    QVERIFY(mainWindow->isVisible());
    QCOMPARE(QSettings(settingsFile(), QSettings::IniFormat)
                 .value(QStringLiteral("Settings/Duration"))
                 .toString(),
             QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

void TestStartup::startUpOpensTheMainWindowAfterAFailingReminder()
{
#ifdef Q_OS_WIN
    QSKIP("the store is the registry there, which no file can block");
#endif
    QTemporaryDir config;
    QFile blocker(config.filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    useConfigFolder(blocker.fileName());

    QPointer<MainWindow> mainWindow = startUp();
    QVERIFY(mainWindow->isVisible());
    QVERIFY(log.isEmpty());
}

// The draw after the main window is up decides which brand label lies in front.
void TestStartup::startUpChoosesTheBrandLabel_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<QString>("front");
    row("n 1: co-branding", 0.0f, "lblCobrand");
    row("n 2: full branding", 0.25f, "lblFullBrand");
}

void TestStartup::startUpChoosesTheBrandLabel()
{
    QFETCH(float, r);
    QFETCH(QString, front);
    QTemporaryDir config;
    useConfigFolder(config.path());
    oracle::setBitSourceForTests([r] { return bitsFor(r); });

    QPointer<MainWindow> mainWindow = startUp();

    const QWidget *strip = mainWindow->findChild<QWidget *>(QStringLiteral("fraFullBrand"));
    QCOMPARE(strip->children().constLast()->objectName(), front);
    // Drawn in the windowsvista style wherever Qt has it, whatever Qt would pick.
    if (QStyleFactory::keys().contains(QStringLiteral("windowsvista"), Qt::CaseInsensitive))
        QCOMPARE(QApplication::style()->name(), QStringLiteral("windowsvista"));
}

// Closing the main window, by any means, opens the support window in its
// place; the support window's Exit and its closing end the program, Esc does not.
void TestStartup::supportWindowTakesOverAndEndsTheProgram_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("ends");
    row("Exit", "Exit", 1);
    row("close box", "close", 1);
    row("Esc", "Esc", 0);
}

void TestStartup::supportWindowTakesOverAndEndsTheProgram()
{
    QFETCH(QString, ending);
    QFETCH(int, ends);
    QTemporaryDir config;
    useConfigFolder(config.path());
    QPointer<MainWindow> mainWindow = startUp();
    QVERIFY(supportWindows().isEmpty());

    mainWindow->close();

    QTRY_VERIFY(mainWindow.isNull());
    QCOMPARE(supportWindows().size(), 1);
    SupportWindow *support = supportWindows().first();
    QVERIFY(!support->parentWidget());
    QVERIFY(QTest::qWaitForWindowActive(support));
    QCOMPARE(programEnds, 0);

    if (ending == QLatin1String("Exit"))
        support->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();
    else if (ending == QLatin1String("close"))
        support->close();
    else
        QTest::keyClick(support, Qt::Key_Escape);
    QCOMPARE(programEnds, ends);
    QCOMPARE(supportWindows().size(), ending == QLatin1String("close") ? 0 : 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
