#include "ends_within.h"
#include "fixture.h"
#include "links/link_target.h"
#include "reminder/update_reminder.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QThread>

#include <thread>

using namespace zel;

namespace {

// A store in memory that logs what happens to it, and can be made to fail.
class MemoryStore final : public ReminderStore
{
public:
    MemoryStore(QStringList &log, std::optional<QString> value)
        : value(std::move(value))
        , log(log)
    { }

    std::optional<QString> value;
    bool writeFails = false;
    QStringList &log;

    std::optional<QString> read() override { return value; }
    bool write(const QString &text) override
    {
        log << QStringLiteral("store ") + text;
        if (writeFails)
            return false;
        value = text;
        return true;
    }
};

const QDate Today(2026, 12, 7);
constexpr int Generous = 2000; // ms; what held the store up took 30 s, or for good

} // namespace

class TestReminder : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("zel.*=true")); // as a maintainer asks
    }

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
    void settingsStoreCannotBeHeldUp_data();
    void settingsStoreCannotBeHeldUp();
    void largeSettingsFileIsQuick();
    void settingsLockTakenBackDoesNotStallTheWrite();
};

// What is stored, against today: whether the user is asked, and what is
// stored afterwards.
void TestReminder::decision_data()
{
    columns<QDate, QString, bool, QString>("today", "stored", "asked", "storedAfter");

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

    MemoryStore store(log, stored);
    runUpdateReminder(store, today);

    QCOMPARE(store.value.value(), storedAfter);
    QCOMPARE(log.filter(QStringLiteral("ask ")).size(), asked ? 1 : 0);
    QCOMPARE(reminderDue(stored, today) == ReminderDue::Due, asked);
}

void TestReminder::answers_data()
{
    columns<bool, bool, QStringList>("yes", "writeFails", "expected");

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

    answer = always(yes);
    MemoryStore store(log, QStringLiteral("2026-11-01"));
    store.writeFails = writeFails;
    runUpdateReminder(store, Today);
    QCOMPARE(log, expected);
}

void TestReminder::realBoxShowsTwoLines()
{
    messages::setAnswererForTests({});
    SeenBox seen;
    answerNextBox(&seen, QMessageBox::No);
    MemoryStore store(log, QStringLiteral("2026-11-01"));
    runUpdateReminder(store, Today);

    QCOMPARE(seen.title, QStringLiteral("Zel Orvalis"));
    QCOMPARE(seen.text,
             QStringLiteral("There maybe an update to this software available\n"
                            "Do you want to check for an update?"));
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttons.size(), 2);
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);
    QCOMPARE(log, QStringList {"store 2026-12-07"}); // No: stored, nothing opened
}

void TestReminder::unreadableStoreEndsSilently()
{
    MemoryStore store(log, std::nullopt);
    runUpdateReminder(store, Today);
    QVERIFY(log.isEmpty());
}

void TestReminder::settingsStoreKeepsText_data()
{
    columns<QString, QByteArray>("name", "before");
    row("first run, no folder yet", "zel-orvalis/zel.conf", QByteArray());
    row("other keys stay", "zel.conf", QByteArray("[Window]\nwidth=640\n"));
}

void TestReminder::settingsStoreKeepsText()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, before);
    const QString file = settingsFolder().filePath(name);
    if (!before.isEmpty())
        QVERIFY(writeFile(file, before));
    {
        SettingsReminderStore store(file);
        QCOMPARE(store.read(), std::optional<QString>(QString()));
        runUpdateReminder(store, Today);
    }
    const QString content
        = QString::fromUtf8(fileContents(file)).replace(QLatin1String("\r\n"), QLatin1String("\n"));
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
    const QString file = settingsFolder().filePath(QStringLiteral("zel.conf"));
    QVERIFY(writeFile(file, content));
    {
        SettingsReminderStore store(file);
        runUpdateReminder(store, Today);
    }
    QVERIFY(log.isEmpty());
    QCOMPARE(fileContents(file), content);
}

// Whatever stands where the store looks, or once looked, the reminder is over
// at once: today is stored where it can be, in the settings file alone, with
// every other setting as it was; otherwise the stored date stays. The rows go
// through ways a settings file can be written: line ends, escaped names,
// comments, quotes, a section twice, a byte order mark, no section yet.
void TestReminder::settingsStoreCannotBeHeldUp_data()
{
    columns<QString, QString, QString, int>("at", "kind", "state", "flavour");
    int flavour = 0;
    for (const char *at : {"file", "folder", ".lock", ".new", ".new.lock"})
        for (const char *kind : {"FIFO", "folder", "dangling link", "link to another file",
                                 "live holder", "fresh garbage", "stale garbage", "read-only"})
            for (const char *state : {"first run", "due", "quiet"})
                QTest::addRow("%s: %s, %s", at, kind, state)
                    << QString(at) << QString(kind) << QString(state) << flavour++;
    // Earlier tests of what can stand in the way, kept by name.
    row("folder is a file", "folder", "fresh garbage", "first run", 0);
    row("lock is a folder", ".lock", "folder", "due", 0);
    row("lock is a dangling link", ".lock", "dangling link", "due", 0);
    row("lock is a FIFO", ".lock", "FIFO", "due", 0);
    row("settings file is a FIFO", "file", "FIFO", "first run", 0);
    row("lock never let go", ".lock", "live holder", "first run", 0);
}

void TestReminder::settingsStoreCannotBeHeldUp()
{
#ifdef Q_OS_WIN
    QSKIP("the program's store is the registry there, which no file can block");
#endif
    QFETCH(QString, at);
    QFETCH(QString, kind);
    QFETCH(QString, state);
    QFETCH(int, flavour);
    static const char *const Flavours[][3]
        = {{"[Settings]\n", "Duration=%1\n", ""},
           {"[General]\r\nk=1\r\n\r\n[Settings]\r\n", "Duration=%1\r\n", ""},
           {"x=1\n[%53ettings] ; c\n", "%44uration = %1 ; note\n", "y=\"a;b\""},
           {"\xef\xbb\xbf[Settings]\nk=1\n[Other]\na=1\n[Settings]\n", "Duration=\"%1\"\n", "b=2"},
           {"[Other]\nlong=a\\\n b\nlist=1, 2\n", "[Settings]\nDuration=%1\n", ""}};
    const auto &[prefix, entry, suffix] = Flavours[flavour % 5];
    const QByteArray old = state == "due" ? "2026-11-01" : state == "quiet" ? "2026-12-01" : "";
    const QByteArray settings
        = prefix + (old.isEmpty() ? QByteArray() : QByteArray(entry).replace("%1", old)) + suffix;
    const auto otherKeys = [](const QString &name) {
        QSettings settings(name, QSettings::IniFormat);
        QVariantMap keys;
        for (const QString &key : settings.allKeys())
            keys[key] = settings.value(key);
        keys.remove(QStringLiteral("Settings/Duration"));
        return keys;
    };

    const QDir root = settingsFolder();
    const QString folder = root.filePath(QStringLiteral("Velmora")), file = folder + "/zel.conf";
    const QString other = root.filePath(QStringLiteral("other"));
    const QString place = at == "file" ? file : at == "folder" ? folder : file + at;
    const QByteArray precious("precious\n"), garbage("\x01\xff garbage");
    QVERIFY(QDir().mkpath(folder) && writeFile(file, settings)
            && writeFile(root.filePath("before"), settings));
    const auto makeWritable = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::WriteOwner | QFile::ReadOwner | QFile::ExeOwner);
    });
    QProcess holder;
    const auto letGo = qScopeGuard([&] { holder.kill(), holder.waitForFinished(); });
    const auto clear = [&] {
        QDir(place).removeRecursively();
        QFile::remove(place);
        return !QFile::exists(place);
    };
    if (kind == "FIFO") {
        QVERIFY(clear() && QProcess::execute(QStringLiteral("mkfifo"), {place}) == 0);
    } else if (kind == "folder" && at != "folder") {
        QVERIFY(clear() && QDir().mkdir(place));
    } else if (kind == "dangling link") {
        QVERIFY(clear() && QFile::link(root.filePath(QStringLiteral("gone")), place));
    } else if (kind == "link to another file") { // the settings file itself, or precious
        QVERIFY(at.startsWith('.') ? writeFile(other, precious) : QDir().rename(place, other));
        QVERIFY(QFile::link(other, place));
    } else if (kind == "live holder") {
        holder.start(QStringLiteral("flock"), {place, "sh", "-c", "echo held; exec sleep 60"});
        QVERIFY(holder.waitForReadyRead());
    } else if (kind.endsWith("garbage")) {
        QFile made(place);
        QVERIFY(clear() && made.open(QIODevice::WriteOnly) && made.write(garbage) > 0);
        if (kind == "stale garbage")
            QVERIFY(made.setFileTime(QDateTime(QDate(2000, 1, 1), QTime()),
                                     QFile::FileModificationTime));
    } else if (kind == "read-only") {
        QVERIFY(QFile::exists(place) || writeFile(place, precious));
        QVERIFY(QFile::setPermissions(
            place, at == "folder" ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner));
    }
    const QStringList listed = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                      | QDir::NoDotAndDotDot);

    // What the store finds where it looks: no settings, or nothing it can read.
    const bool keeps
        = kind == "link to another file" || kind == "live holder" || kind == "read-only";
    const bool replaced = (at == "file" || (at == "folder" && kind != "folder")) && !keeps;
    const bool unreadable = at == "file"
        ? kind == "FIFO" || kind == "folder"
        : at == "folder" && (kind == "FIFO" || kind.endsWith("garbage"));
    const bool unwritable = (at == "folder" && kind == "dangling link")
        || (kind == "read-only" && !at.startsWith('.') && !QFileInfo(place).isWritable());
    const bool quiet = state == "quiet" && !replaced;
    const QString kept = replaced ? QString() : QString::fromLatin1(old);
    if (unwritable && !quiet) // silent to the user, not to a maintainer
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^could not store")));
    const auto openFiles = [] {
        return QDir(QStringLiteral("/proc/self/fd")).count();
    };
    const auto openBefore = openFiles();
    const auto store = std::make_shared<SettingsReminderStore>(file);
    QVERIFY2(endsWithin(Generous, [store] { runUpdateReminder(*store, Today); }),
             "the reminder was held up");
    QCOMPARE(openFiles(), openBefore); // nothing it opened stays open, a FIFO least of all

    QCOMPARE(log.size(), !unreadable && !replaced && state == "due" ? 1 : 0);
    QCOMPARE(QFileInfo(place).isSymLink(), kind.contains("link"));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                    | QDir::NoDotAndDotDot),
             listed);
    if (at.startsWith('.') && kind == "link to another file")
        QCOMPARE(fileContents(other), precious);
    if (unreadable) {
        QVERIFY(!QFileInfo(file).isFile());
        return;
    }
    // Read by QSettings at a name it has not read before, which it would take from its cache.
    const QString after = root.filePath(QStringLiteral("after"));
    QVERIFY(writeFile(after, fileContents(file)));
    QCOMPARE(QSettings(after, QSettings::IniFormat).value("Settings/Duration").toString(),
             unwritable || quiet ? kept : QStringLiteral("2026-12-07"));
    if (!replaced)
        QCOMPARE(otherKeys(after), otherKeys(root.filePath("before")));
}

// 3,000,000 other keys, some 30 MB: reading and storing take well under the
// second, where QSettings would take many.
void TestReminder::largeSettingsFileIsQuick()
{
    const QString file = settingsFolder().filePath(QStringLiteral("zel.conf"));
    QByteArray text("[Settings]\n");
    for (int i = 0; i < 3'000'000; ++i)
        text += 'k' + QByteArray::number(i) + "=v\n";
    QVERIFY(writeFile(file, text + "Duration=2026-11-01\n"));

    SettingsReminderStore store(file);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(store.read(), std::optional<QString>(QStringLiteral("2026-11-01")));
    [[maybe_unused]] const qint64 reading = timer.restart();
    QVERIFY(store.write(QStringLiteral("2026-12-07")));
    [[maybe_unused]] const qint64 storing = timer.elapsed();
    QVERIFY(fileContents(file) == text + "Duration=2026-12-07\n");
#ifndef __SANITIZE_ADDRESS__ // which checks every byte read, and so times nothing
    QVERIFY2(reading < Generous && storing < Generous,
             qPrintable(QStringLiteral("%1 ms to read, %2 ms to store").arg(reading).arg(storing)));
#endif
}

// Another writer of the same file (QSettings, say) holds its lock beside it,
// lets it go, and takes it back as soon as anyone else has had it. The store
// takes no lock of that name: it must neither wait for that writer nor leave
// a half-written file.
void TestReminder::settingsLockTakenBackDoesNotStallTheWrite()
{
    const QString file = settingsFolder().filePath(QStringLiteral("zel.conf"));
    const QByteArray before("[Settings]\nDuration=2026-11-01\n");
    QVERIFY(writeFile(file, before));
    QFile lock(file + QStringLiteral(".lock"));
    const auto take = [&] {
        while (!lock.open(QIODevice::WriteOnly | QIODevice::NewOnly)) { }
        lock.close();
    };
    take();
    std::jthread other([&](std::stop_token stop) {
        QThread::msleep(50);
        lock.remove();
        const QDeadlineTimer window(500);
        while (!lock.exists() && !window.hasExpired()) { } // until someone else has it
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
    QCOMPARE(fileContents(file).replace("\r\n", "\n"),
             written ? QByteArray("[Settings]\nDuration=2026-12-07\n") : before);
}

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
