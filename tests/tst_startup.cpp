#include "instance_lock.h"
#include "modal_helper.h"
#include "startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

QString lockOwner(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine()).trimmed();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir runtimeDir;
    QList<QProcess *> running;

    QProcess *startProgram()
    {
        auto *process = new QProcess(this);
        process->setProgram(QStringLiteral(ZEL_BINARY));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        running << process;
        return process;
    }
    QString lockPath() const { return app::instance_lock_path(); }

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void lockLivesInThePrivateRuntimeFolder();
    void secondInstanceIsRefused();
    void restartAfterKill9();
    void lockThatCannotBeMadeDoesNotRefuse();
    void endProgramEndsDespiteMisbehavingWindows();
};

void TestStartup::initTestCase()
{
    QVERIFY(runtimeDir.isValid());
    QVERIFY(QFile::setPermissions(runtimeDir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // Children inherit this: every instance here locks in the test's own folder.
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

void TestStartup::cleanup()
{
    for (QProcess *process : std::as_const(running)) {
        process->kill();
        process->waitForFinished();
    }
    qDeleteAll(running);
    running.clear();
    QFile::remove(lockPath());
}

void TestStartup::lockLivesInThePrivateRuntimeFolder()
{
    QCOMPARE(QFileInfo(lockPath()).absolutePath(), QFileInfo(runtimeDir.path()).absoluteFilePath());
    QVERIFY(QFileInfo(lockPath()).fileName().startsWith(QStringLiteral("zel-orvalis-")));
}

void TestStartup::secondInstanceIsRefused()
{
    QProcess *first = startProgram();
    QVERIFY(first->waitForStarted());
    const QString firstPid = QString::number(first->processId());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath()), firstPid, 10000);

    SeenBox seen;
    answerNextBox(&seen);
    QVERIFY(app::refuse_second_instance());

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
    QProcess *first = startProgram();
    QVERIFY(first->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath()), QString::number(first->processId()), 10000);
    first->kill(); // SIGKILL: the lock file stays behind
    QVERIFY(first->waitForFinished());
    QVERIFY(QFile::exists(lockPath()));

    QProcess *next = startProgram();
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath()), QString::number(next->processId()), 10000);
    QCOMPARE(next->state(), QProcess::Running);
}

void TestStartup::lockThatCannotBeMadeDoesNotRefuse()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(app::acquire_instance_lock(blocker + QStringLiteral("/zel.lock")),
             app::InstanceLock::Unavailable);
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

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
