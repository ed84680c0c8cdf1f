#include "app/instance_lock.h"
#include "app/startup.h"
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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace zel;

namespace {

struct SeenBox
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next modal message box with OK once it is up, recording it.
void answerNextBox(SeenBox *seen)
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

QString lockOwner(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine()).trimmed();
}

#ifdef Q_OS_WIN
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
    QString lockPath() const { return instanceLockPlaces().constFirst(); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lockLivesInThePrivateRuntimeFolder();
    void secondInstanceIsRefused();
    void restartAfterKill9();
    void oneInstancePerUserBySessionMutex();
    void unusableMutexRefusesNothing();
    void lockThatCannotBeMadeDoesNotRefuse();
    void deadLocksAreReclaimed_data();
    void deadLocksAreReclaimed();
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
    // Children inherit this: every instance here locks in the test's own folder.
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    nameApplication();
    setLinkOpenerForTests([this](const QString &address) { log << "open " + address; });
}

// A reminder that comes due during start-up is answered No, never left open.
void TestStartup::init()
{
#ifdef Q_OS_WIN
    // These look at a lock file; on Windows the lock is a named mutex, with
    // rows of its own below.
    const QByteArrayList lockFileTests {
        "lockLivesInThePrivateRuntimeFolder", "secondInstanceIsRefused", "restartAfterKill9",
        "lockThatCannotBeMadeDoesNotRefuse", "deadLocksAreReclaimed"};
    if (lockFileTests.contains(QTest::currentTestFunction()))
        QSKIP("the instance lock is a named mutex on Windows");
#endif
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
    QFile::remove(lockPath());
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

// The runtime folder first; else a folder of the user's own, never a shared one.
void TestStartup::lockLivesInThePrivateRuntimeFolder()
{
#ifdef Q_OS_WIN
    QSKIP("the lock lives in AppLocalDataLocation there, with no runtime folder to prefer");
#endif
    QCOMPARE(QFileInfo(lockPath()).absolutePath(), QFileInfo(runtimeDir.path()).absoluteFilePath());
    QVERIFY(QFileInfo(lockPath()).fileName().startsWith(QStringLiteral("zel-orvalis-")));
    const QString fallback = QFileInfo(instanceLockPlaces().constLast()).absolutePath();
    QVERIFY2(!fallback.startsWith(QDir::tempPath()), qPrintable(fallback));
    const auto othersMay = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(fallback).permissions() & othersMay, QFile::Permissions());
}

void TestStartup::secondInstanceIsRefused()
{
#ifdef Q_OS_WIN
    QSKIP("instances started here would lock in the user's real folder; the Windows end-to-end run "
          "starts a second one");
#endif
    QProcess *first = startProcess();
    QVERIFY(first->waitForStarted());
    const QString firstPid = QString::number(first->processId());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath()), firstPid, 10000);

    messages::setAnswererForTests({}); // the real box
    SeenBox seen;
    answerNextBox(&seen);
    QVERIFY(refuseSecondInstance());

    QCOMPARE(seen.title, QStringLiteral("Zel Orvalis"));
    QCOMPARE(seen.text, QStringLiteral("Application is already running"));
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttons.size(), 1);
    // The first instance is left as it was: still running, still the owner.
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(lockOwner(lockPath()), firstPid);
}

void TestStartup::restartAfterKill9()
{
#ifdef Q_OS_WIN
    QSKIP("instances started here would lock in the user's real folder; the Windows end-to-end run "
          "covers start-up");
#endif
    QProcess *first = startProcess();
    QVERIFY(first->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath()), QString::number(first->processId()), 10000);
    first->kill(); // SIGKILL: the lock file stays behind
    QVERIFY(first->waitForFinished());
    QVERIFY(QFile::exists(lockPath()));

    QProcess *next = startProcess();
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath()), QString::number(next->processId()), 10000);
    QCOMPARE(next->state(), QProcess::Running);
}

// On Windows the lock is a mutex in the session's namespace with the user in
// its name, which the installer looks for. The system lets go of it when the
// program dies, however it dies.
void TestStartup::oneInstancePerUserBySessionMutex()
{
#ifndef Q_OS_WIN
    QSKIP("Windows only");
#else
    const QString place = QStringLiteral("Local\\zel-orvalis-") + qEnvironmentVariable("USERNAME");
    QCOMPARE(instanceLockPlaces(), QStringList {place});
    QVERIFY(!mutexExists(place));

    QProcess *first = startProcess();
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(mutexExists(place), 10000);
    QCOMPARE(acquireInstanceLock(), InstanceLock::HeldByAnother);
    first->kill(); // TerminateProcess: the program lets go of nothing itself
    QVERIFY(first->waitForFinished());
    QTRY_VERIFY(!mutexExists(place));

    // The next start takes the lock: a refused one would hold none.
    QProcess *next = startProcess();
    QVERIFY(next->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(mutexExists(place), 10000);
    QCOMPARE(acquireInstanceLock(), InstanceLock::HeldByAnother);
    QCOMPARE(next->state(), QProcess::Running);
    next->kill();
    QVERIFY(next->waitForFinished());

    QTRY_COMPARE(acquireInstanceLock(), InstanceLock::Acquired);
    releaseInstanceLock();
    QVERIFY(!mutexExists(place));
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
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(acquireInstanceLock({blocker + QStringLiteral("/zel.lock")}),
             InstanceLock::Unavailable);
    // Where a lock can be made further on, it is made there.
    QCOMPARE(acquireInstanceLock({blocker + QStringLiteral("/zel.lock"), dir.filePath("zel.lock")}),
             InstanceLock::Acquired);
    QVERIFY(QFile::exists(dir.filePath("zel.lock")));
    releaseInstanceLock();
}

// Whatever a crash at any moment, or anything else, leaves where the lock
// goes: no live process holds it, so the next start takes it.
void TestStartup::deadLocksAreReclaimed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << "file" << QByteArray();
    QTest::newRow("garbage") << "file" << QByteArray("\x01\xff not a lock\n");
    QTest::newRow("another host") << "file" << QByteArray("1\nzel-orvalis\nsomewhere-else\n");
    QTest::newRow("empty, with Qt's empty helper lock") << "rmlock" << QByteArray();
    QTest::newRow("empty folder") << "folder" << QByteArray();
    QTest::newRow("dangling link") << "link" << QByteArray();
}

void TestStartup::deadLocksAreReclaimed()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("zel.lock");
    QFile file(kind == QLatin1String("link") ? dir.filePath("gone") : path);
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
    }
    if (kind == QLatin1String("link")) {
        QVERIFY(QFile::link(file.fileName(), path));
        QVERIFY(file.remove());
    }
    if (kind == QLatin1String("rmlock")) {
        QFile helper(path + ".rmlock");
        QVERIFY(helper.open(QIODevice::WriteOnly));
    }

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(acquireInstanceLock({path}), InstanceLock::Acquired);
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(lockOwner(path), QString::number(QCoreApplication::applicationPid()));
    releaseInstanceLock();
}

// No display: one plain line and exit code 1, no abort and no core dump.
void TestStartup::noDisplayEndsWithAMessage_data()
{
    QTest::addColumn<QString>("display");
    QTest::newRow("none") << QString();
    QTest::newRow("a dead one") << QStringLiteral(":97");
}

void TestStartup::noDisplayEndsWithAMessage()
{
#ifdef Q_OS_WIN
    QSKIP("Windows always has a display");
#endif
    QFETCH(QString, display);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
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
    QCOMPARE(
        QString::fromLocal8Bit(program.readAllStandardError()),
        QStringLiteral("zel-orvalis: no display could be opened (DISPLAY=\"%1\")\n").arg(display));
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

    QPointer<MainWindow> mainWindow = zel::startProgram(&countProgramEnd);

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

    QPointer<MainWindow> mainWindow = zel::startProgram(&countProgramEnd);
    QVERIFY(mainWindow->isVisible());
    QVERIFY(log.isEmpty());
}

// The draw after the main window is up decides which brand label lies in front.
void TestStartup::startUpChoosesTheBrandLabel_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<QString>("front");
    QTest::newRow("n 1: co-branding") << 0.0f << "lblCobrand";
    QTest::newRow("n 2: full branding") << 0.25f << "lblFullBrand";
}

void TestStartup::startUpChoosesTheBrandLabel()
{
    QFETCH(float, r);
    QFETCH(QString, front);
    QTemporaryDir config;
    useConfigFolder(config.path());
    oracle::setBitSourceForTests([r] { return bitsFor(r); });

    QPointer<MainWindow> mainWindow = zel::startProgram(&countProgramEnd);

    const QWidget *strip = mainWindow->findChild<QWidget *>(QStringLiteral("fraFullBrand"));
    QCOMPARE(strip->children().constLast()->objectName(), front);
}

// Closing the main window, by any means, opens the support window in its
// place; the support window's Exit and its closing end the program, Esc does not.
void TestStartup::supportWindowTakesOverAndEndsTheProgram_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("ends");
    QTest::newRow("Exit") << "Exit" << 1;
    QTest::newRow("close box") << "close" << 1;
    QTest::newRow("Esc") << "Esc" << 0;
}

void TestStartup::supportWindowTakesOverAndEndsTheProgram()
{
    QFETCH(QString, ending);
    QFETCH(int, ends);
    QTemporaryDir config;
    useConfigFolder(config.path());
    QPointer<MainWindow> mainWindow = zel::startProgram(&countProgramEnd);
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
