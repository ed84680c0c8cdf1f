#include "app/instance_lock.h"
#include "app/startup.h"
#include "fixture.h"
#include "links/link_target.h"
#include "main_window/main_window.h"
#include "main_window_test.h"
#include "reminder/update_reminder.h"
#include "support/support_window.h"

#include <QApplication>
#include <QDate>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>

using namespace zel;

namespace {

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

} // namespace

// The start-up sequence and the program's end, alike on every system. A
// reminder that comes due during start-up is answered No (the fixture's
// answer), never left open.
class TestStartup : public Fixture
{
    Q_OBJECT

private:
    QTemporaryDir aside;

    // The start-up sequence, with the instance lock taken aside first (a
    // file there, a mutex's name on Windows) so that it never meets the
    // user's own.
    MainWindow *startUp()
    {
        acquireInstanceLock({aside.filePath(QStringLiteral("aside.lock"))});
        return zel::startProgram(&countProgramEnd);
    }

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void endProgramEndsDespiteMisbehavingWindows();
    void startUpAsksBeforeTheMainWindow();
    void startUpOpensTheMainWindowAfterAFailingReminder();
    void startUpChoosesTheBrandLabel_data() { brandFrontRows(); }
    void startUpChoosesTheBrandLabel();
    void supportWindowTakesOverAndEndsTheProgram_data();
    void supportWindowTakesOverAndEndsTheProgram();
};

void TestStartup::initTestCase()
{
    QVERIFY(aside.isValid());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    nameApplication();
}

void TestStartup::cleanup()
{
    releaseInstanceLock();
    programEnds = 0;
    // Deleted, never closed: the support window's closing asks to end the program.
    QList<QPointer<QWidget>> windows;
    for (QWidget *top : QApplication::topLevelWidgets())
        windows << top;
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    Fixture::cleanup();
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

// The real start-up sequence, with the user's own settings store (a private
// folder on Linux, the registry on Windows).
void TestStartup::startUpAsksBeforeTheMainWindow()
{
    const QString date = QDate::currentDate().addDays(-20).toString(QStringLiteral("yyyy-MM-dd"));
    QVERIFY(userReminderStore()->write(date));

    int windowsWhenAsked = -1;
    answer = [&](const messages::Request &) {
        windowsWhenAsked = 0;
        for (QWidget *top : QApplication::topLevelWidgets())
            windowsWhenAsked += qobject_cast<MainWindow *>(top) && top->isVisible();
        return true;
    };

    QPointer<MainWindow> mainWindow = startUp();

    QCOMPARE(windowsWhenAsked, 0);
    QCOMPARE(log.size(), 2);
    QVERIFY2(log.first().startsWith(QStringLiteral("ask There may")), qPrintable(log.first()));
    QCOMPARE(log.last(), "open " + linkAddress(LinkTarget::ProductDownloadPage));
    QVERIFY(mainWindow->isVisible());
    QCOMPARE(userReminderStore()->read(),
             QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

void TestStartup::startUpOpensTheMainWindowAfterAFailingReminder()
{
    const QString blocker = settingsFolder().filePath(QStringLiteral("not-a-folder"));
    QVERIFY(writeFile(blocker));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));

    QPointer<MainWindow> mainWindow = startUp();
    QVERIFY(mainWindow->isVisible());
    QVERIFY(log.isEmpty());
}

// The draw after the main window is up decides which brand label lies in front.
void TestStartup::startUpChoosesTheBrandLabel()
{
    QFETCH(float, r);
    QFETCH(QString, front);
    feedRandom({r});

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
    columns<QString, int, int>("ending", "ends", "supportWindowsLeft");
    row("Exit", "Exit", 1, 1);
    row("close box", "close", 1, 0);
    row("Esc", "Esc", 0, 1);
}

void TestStartup::supportWindowTakesOverAndEndsTheProgram()
{
    QFETCH(QString, ending);
    QFETCH(int, ends);
    QFETCH(int, supportWindowsLeft);
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
    QCOMPARE(supportWindows().size(), supportWindowsLeft);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
