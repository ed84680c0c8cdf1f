#include "data_row.h"
#include "ends_within.h"
#include "links/open_link.h"
#include "modal_helper.h"
#include "reminder/update_reminder.h"
#include "ui/messages.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <thread>

using namespace zel;

namespace {

// A store in memory that logs what happens to it, and can be made to fail.
class MemoryStore final : public ReminderStore
{
public:
    std::optional<QString> value = QString();
    bool writeFails = false;
    QStringList *log = nullptr;

    std::optional<QString> read() override { return value; }
    bool write(const QString &text) override
    {
        *log << QStringLiteral("store ") + text;
        if (writeFails)
            return false;
        value = text;
        return true;
    }
};

const QDate Today(2026, 12, 7);

} // namespace

class TestReminder : public QObject
{
    Q_OBJECT

private:
    QStringList log;
    bool answer = true;

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("zel.*=true")); // as a maintainer asks
    }
    void init();
    void cleanup();

    void decision_data();
    void decision();
    void answers_data();
    void answers();
    void realBoxShowsTwoLines();
    void unreadableStoreEndsSilently();
    void settingsStoreKeepsText_data();
    void settingsStoreKeepsText();
    void settingsStoreLeavesWhatIsNotADate_data();
    void settingsStoreLeavesWhatIsNotADate();
    void settingsStoreThatCannotBeUsed_data();
    void settingsStoreThatCannotBeUsed();
    void settingsLockNeverLetGoStopsTheWrite();
    void settingsLockTakenBackDoesNotStallTheWrite();
};

void TestReminder::init()
{
    log.clear();
    answer = true;
    setLinkOpenerForTests([this](const QString &address) { log << "open " + address; });
    messages::setAnswererForTests([this](const messages::Request &request) {
        log << QStringLiteral("ask ") + request.text;
        return answer;
    });
}

void TestReminder::cleanup()
{
    setLinkOpenerForTests({});
    messages::setAnswererForTests({});
}

// What is stored, against today: whether the user is asked, and what is
// stored afterwards.
void TestReminder::decision_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("storedAfter");

    const QString today = QStringLiteral("2026-12-07");
    row("never run", Today, "", false, today);
    row("today", Today, today, false, today);
    row("14 days ago", Today, "2026-11-23", false, "2026-11-23");
    row("15 days ago", Today, "2026-11-22", true, today);
    row("14 days ahead", Today, "2026-12-21", false, "2026-12-21");
    row("15 days ahead", Today, "2026-12-22", true, today);
    row("far past", Today, "1999-01-01", true, today);
    row("far future", Today, "2999-12-31", true, today);
    row("14 across the year end", QDate(2027, 1, 5), "2026-12-22", false, "2026-12-22");
    row("15 across the year end", QDate(2027, 1, 5), "2026-12-21", true, "2027-01-05");
    row("leap day counts: 14", QDate(2028, 3, 14), "2028-02-29", false, "2028-02-29");
    row("leap day counts: 15", QDate(2028, 3, 14), "2028-02-28", true, "2028-03-14");
    for (const char *garbage : {"garbage", "2026-12", "2026-13-01", "2026-02-30", " 2026-12-07",
                                "2026-12-07 ", "2026-12-07T10:00:00", "07/12/2026", "20261207",
                                "2026-1-7", "<QDate>", "2026-12-07, x"}) {
        QTest::addRow("not a date: '%s'", garbage)
            << Today << QString::fromLatin1(garbage) << false << QString::fromLatin1(garbage);
    }
}

void TestReminder::decision()
{
    QFETCH(QDate, today);
    QFETCH(QString, stored);
    QFETCH(bool, asked);
    QFETCH(QString, storedAfter);

    MemoryStore store;
    store.log = &log;
    store.value = stored;
    runUpdateReminder(store, today);

    QCOMPARE(store.value.value(), storedAfter);
    QCOMPARE(log.filter(QStringLiteral("ask ")).size(), asked ? 1 : 0);
    QCOMPARE(reminderDue(stored, today) == ReminderDue::Due, asked);
}

void TestReminder::answers_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<QStringList>("expected");

    const QString ask = QStringLiteral("ask There maybe an update to this software available\r"
                                       "Do you want to check for an update?");
    const QString store = QStringLiteral("store 2026-12-07");
    const QString open = QStringLiteral("open ") + linkAddress(LinkTarget::ProductDownloadPage);
    row("Yes stores, then opens", true, false, QStringList {ask, store, open});
    row("No stores only", false, false, QStringList {ask, store});
    row("Yes opens even when the store fails", true, true, QStringList {ask, store, open});
}

void TestReminder::answers()
{
    QFETCH(bool, yes);
    QFETCH(bool, writeFails);
    QFETCH(QStringList, expected);

    answer = yes;
    MemoryStore store;
    store.log = &log;
    store.value = QStringLiteral("2026-11-01");
    store.writeFails = writeFails;
    runUpdateReminder(store, Today);
    QCOMPARE(log, expected);
}

void TestReminder::realBoxShowsTwoLines()
{
    messages::setAnswererForTests({});
    QStringList seen;
    whenModalIsUp([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        seen << box->windowTitle() << box->text() << QString::number(box->icon())
             << QString::number(box->buttons().size())
             << QString::number(box->defaultButton() == box->button(QMessageBox::Yes));
        box->button(QMessageBox::No)->click();
    });
    MemoryStore store;
    store.log = &log;
    store.value = QStringLiteral("2026-11-01");
    runUpdateReminder(store, Today);

    QCOMPARE(seen,
             QStringList({"Zel Orvalis",
                          "There maybe an update to this software available\n"
                          "Do you want to check for an update?",
                          QString::number(QMessageBox::Information), "2", "1"}));
    QCOMPARE(log, QStringList {"store 2026-12-07"}); // No: stored, nothing opened
}

void TestReminder::unreadableStoreEndsSilently()
{
    MemoryStore store;
    store.log = &log;
    store.value = std::nullopt;
    runUpdateReminder(store, Today);
    QVERIFY(log.isEmpty());
}

void TestReminder::settingsStoreKeepsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("before");
    row("first run, no folder yet", "zel-orvalis/zel.conf", QByteArray());
    row("other keys stay", "zel.conf", QByteArray("[Window]\nwidth=640\n"));
}

void TestReminder::settingsStoreKeepsText()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    QFile written(file);
    if (!before.isEmpty()) {
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write(before);
        written.close();
    }
    {
        SettingsReminderStore store(file);
        QCOMPARE(store.read(), std::optional<QString>(QString()));
        runUpdateReminder(store, Today);
    }
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString content
        = QString::fromUtf8(written.readAll()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QVERIFY2(content.contains(QStringLiteral("[Settings]\nDuration=2026-12-07")),
             qPrintable(content));
    QVERIFY2(content.contains(QString::fromUtf8(before)), qPrintable(content));
    // Nothing made on the way, such as a copy or a lock, is left behind.
    QCOMPARE(QDir(QFileInfo(file).path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList {QStringLiteral("zel.conf")});

    SettingsReminderStore again(file);
    QCOMPARE(again.read(), std::optional<QString>(QStringLiteral("2026-12-07")));
    QVERIFY(log.isEmpty());
}

void TestReminder::settingsStoreLeavesWhatIsNotADate_data()
{
    QTest::addColumn<QByteArray>("content");
    row("today as a binary date",
        QByteArray("[Settings]\nDuration=@Variant(\\0\\0\\0\\xe\\0%\\x8e\\xc6)\n"));
    row("list", QByteArray("[Settings]\nDuration=2026-12-07, later\n"));
    row("garbage file", QByteArray("\x01\xff[[[\n=\n[Settings\nDuration\n"));
}

void TestReminder::settingsStoreLeavesWhatIsNotADate()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("zel.conf"));
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::WriteOnly));
    raw.write(content);
    raw.close();
    {
        SettingsReminderStore store(file);
        runUpdateReminder(store, Today);
    }
    QVERIFY(log.isEmpty());
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QCOMPARE(raw.readAll(), content);
}

// What can stand in the store's way: each is a failure, silent and quick,
// and start-up goes on.
void TestReminder::settingsStoreThatCannotBeUsed_data()
{
    QTest::addColumn<QString>("obstacle");
    row("folder is a file", "not-a-folder");
    row("lock is a folder", "lock-folder");
    row("lock is a dangling link", "lock-link");
    row("lock is a FIFO", "lock-fifo");
    row("settings file is a FIFO", "fifo");
}

void TestReminder::settingsStoreThatCannotBeUsed()
{
    QFETCH(QString, obstacle);
#ifdef Q_OS_WIN
    if (obstacle.endsWith(QLatin1String("fifo")))
        QSKIP("Windows has no FIFOs");
    if (obstacle == QLatin1String("lock-link"))
        QSKIP("a link made there is a shortcut, an ordinary file; the program's store is the "
              "registry, which no file can block");
#endif
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("zel.conf"));
    if (obstacle == QLatin1String("not-a-folder")) {
        QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        file = blocker.fileName() + QStringLiteral("/zel.conf");
    } else if (obstacle == QLatin1String("fifo")) {
        QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {file}), 0);
    } else {
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::WriteOnly));
        raw.write("[Settings]\nDuration=2026-11-01\n");
        raw.close();
        if (obstacle == QLatin1String("lock-folder"))
            QVERIFY(QDir().mkdir(file + QStringLiteral(".lock")));
        else if (obstacle == QLatin1String("lock-link"))
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), file + ".lock"));
        else
            QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {file + ".lock"}), 0);
    }

    SettingsReminderStore store(file);
    bool written = true;
    // Silent to the user, but not to a maintainer who reads the log.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^could not store")));
    QVERIFY2(endsWithin(3000,
                        [&] {
                            runUpdateReminder(store, Today);
                            written = store.write(QStringLiteral("2026-12-07"));
                        }),
             "the settings store blocked");
    QVERIFY(!written);
    QVERIFY(log.isEmpty());
}

// A settings lock that another holder never lets go: storing gives up within
// about a second instead of waiting for good.
void TestReminder::settingsLockNeverLetGoStopsTheWrite()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("zel.conf"));
    QLockFile held(file + QStringLiteral(".lock"));
    QVERIFY(held.tryLock(0));
    SettingsReminderStore store(file);
    bool written = true;
    // Silent to the user, but not to a maintainer who reads the log.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^could not store")));
    QVERIFY2(endsWithin(3000, [&] { written = store.write(QStringLiteral("2026-12-07")); }),
             "storing waited for the lock");
    QVERIFY(!written);
}

// Another writer holds the lock, lets it go while the store polls for it, and
// takes it back the moment the store lets go. The store must neither wait for
// that writer nor leave a half-written file.
void TestReminder::settingsLockTakenBackDoesNotStallTheWrite()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("zel.conf"));
    const QByteArray before("[Settings]\nDuration=2026-11-01\n");
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::WriteOnly));
    raw.write(before);
    raw.close();
    QFile lock(file + QStringLiteral(".lock"));
    const auto take = [&] {
        while (!lock.open(QIODevice::WriteOnly | QIODevice::NewOnly)) { }
        lock.close();
    };
    take();
    std::jthread other([&](std::stop_token stop) {
        QThread::msleep(50); // the store's polls come at 0, 100, 300, 700 and 1000 ms
        lock.remove();
        const QDeadlineTimer window(500);
        while (!lock.exists() && !window.hasExpired()) { } // until the store has it
        take();
        for (int i = 0; i < 300 && !stop.stop_requested(); ++i) // 3 s, or to the test's end
            QThread::msleep(10);
        lock.remove();
    });

    SettingsReminderStore store(file);
    QElapsedTimer timer;
    timer.start();
    const bool written = store.write(QStringLiteral("2026-12-07"));
    QVERIFY2(timer.elapsed() < 2000, "storing waited for the other writer");
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QCOMPARE(raw.readAll().replace("\r\n", "\n"),
             written ? QByteArray("[Settings]\nDuration=2026-12-07\n") : before);
}

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
