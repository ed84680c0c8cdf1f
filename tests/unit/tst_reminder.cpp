#include "ends_within.h"
#include "fixture.h"
#include "links/link_target.h"
#include "reminder/settings_file_store.h"
#include "reminder/update_reminder.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>

#include <algorithm>
#include <cstring>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

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
constexpr int Generous = 5000; // ms; what held the store up took 30 s, or for good

#ifndef Q_OS_WIN
// What happens to the names in a folder while it is watched.
class FolderWatch
{
public:
    explicit FolderWatch(const QString &folder)
        : folder(folder)
        , before(names())
        , fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_ALL_EVENTS);
    }
    ~FolderWatch() { ::close(fd); }

    // Whether nothing but `file` was touched, beside what was made and taken
    // away again under a name no earlier watch saw (a temporary that became
    // the file; inotify names one made without a name "#<inode>"). `seen`
    // says what was.
    bool onlyTheFile(const QString &file)
    {
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t size; (size = ::read(fd, buffer, sizeof buffer)) > 0;) {
            for (char *at = buffer; at < buffer + size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                at += sizeof(inotify_event) + event->len;
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                if (!name.isEmpty() && name != file && !seen.contains(name))
                    seen << name;
            }
        }
        const QStringList after = names();
        const bool made = std::none_of(seen.begin(), seen.end(), [&](const QString &name) {
            return before.contains(name) || after.contains(name)
                || (earlier.contains(name) && !name.startsWith(u'#'));
        });
        earlier << seen;
        return made;
    }
    QStringList seen;
    static inline QStringList earlier;

private:
    QStringList names() const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                      | QDir::NoDotAndDotDot);
    }

    QString folder;
    QStringList before;
    int fd;
};

// A socket's file at `path`, left behind by a server that has ended.
bool bindSocket(const QByteArray &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bound = fd >= 0 && path.size() < qsizetype(sizeof address.sun_path)
        && (std::memcpy(address.sun_path, path.constData(), path.size()),
            ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    ::close(fd);
    return bound;
}
#endif

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
    void settingsFileInEveryState_data();
    void settingsFileInEveryState();
    void largeSettingsFileIsQuick();
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

// Whatever stands at the settings file's place, the reminder is over at once:
// only "no such file" is a first run; a file it can read is read, and today
// stored in it where it can be written, with every other key as it was;
// anything else is left as it stands. Nothing beside the file is ever made,
// opened or removed, but the store's own temporary that becomes the file.
void TestReminder::settingsFileInEveryState_data()
{
    columns<QString, QString>("kind", "state");
    for (const char *kind : {"file", "link to a file", "read-only", "write-only", "locked",
                             "folder not searchable", "disk full"})
        for (const char *state : {"first run", "due", "quiet", "not a date"})
            QTest::addRow("%s, %s", kind, state) << QString(kind) << QString(state);
    for (const char *kind :
         {"no such file", "no folder yet", "umask 0277", "dangling link", "folder", "socket",
          "FIFO", "link loop", "folder is a file", "folder is a FIFO", "folder is a dangling link",
          "never ends", "sparse, 2 GB"})
        QTest::addRow("%s", kind) << QString(kind) << QString("first run");
}

void TestReminder::settingsFileInEveryState()
{
#ifdef Q_OS_WIN
    QSKIP("the program's store is the registry there");
#else
    QFETCH(QString, kind);
    QFETCH(QString, state);
    const QByteArray old = state == "due" ? "2026-11-01"
        : state == "quiet"                ? "2026-12-01"
        : state == "not a date"           ? "@Variant(\\0\\0\\0\\xe\\0%\\x8e\\xc6)"
                                          : "";
    const QByteArray settings = "[Other]\r\nk=1, 2\r\n"
        + (old.isEmpty() ? QByteArray() : "[Settings]\r\nDuration=" + old + "\r\n");
    const QDir root = settingsFolder();
    const QString folder = root.filePath(QStringLiteral("Velmora")), file = folder + "/zel.conf";
    const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
    const QString reference = root.filePath(QStringLiteral("reference"));
    const QByteArray path = QFile::encodeName(file);
    QVERIFY(QDir().mkpath(folder) && writeFile(reference, settings));
    const auto restore = qScopeGuard([&] { ::chmod(QFile::encodeName(folder), 0700); });
    int locked = -1;
    const auto unlock = qScopeGuard([&] { ::close(locked); });
    const auto replaceFolder = [&](const std::function<bool()> &make) {
        return QDir(folder).removeRecursively() && make();
    };
    bool made = kind == "no such file";
    if (kind == "no folder yet" || kind == "umask 0277")
        made = QDir(folder).removeRecursively();
    else if (kind == "link to a file" || kind == "dangling link")
        made = (kind == "dangling link" || writeFile(elsewhere, settings))
            && QFile::link(elsewhere, file);
    else if (kind == "link loop")
        made = ::symlink(path.constData(), path.constData()) == 0;
    else if (kind == "folder")
        made = QDir().mkdir(file);
    else if (kind == "never ends") // a file of the system's whose size says 0
        made = QFile::link(QStringLiteral("/proc/self/pagemap"), file);
    else if (kind == "sparse, 2 GB")
        made = writeFile(file, settings) && QFile::resize(file, qint64(2) << 30);
    else if (kind == "FIFO")
        made = ::mkfifo(path.constData(), 0600) == 0;
    else if (kind == "socket")
        made = bindSocket(path);
    else if (kind == "folder is a file")
        made = replaceFolder([&] { return writeFile(folder, settings); });
    else if (kind == "folder is a FIFO")
        made = replaceFolder([&] { return ::mkfifo(QFile::encodeName(folder), 0600) == 0; });
    else if (kind == "folder is a dangling link")
        made = replaceFolder([&] { return QFile::link(root.filePath("gone"), folder); });
    else
        made = writeFile(file, settings);
    QVERIFY(made);
    if (kind == "read-only" || kind == "write-only")
        QVERIFY(::chmod(path.constData(), kind == "read-only" ? 0400 : 0200) == 0);
    if (kind == "locked") // by another writer, which the store does not wait for
        QVERIFY((locked = ::open(path.constData(), O_RDONLY | O_CLOEXEC)) >= 0
                && ::flock(locked, LOCK_EX) == 0);
    if (kind == "folder not searchable")
        QVERIFY(::chmod(QFile::encodeName(folder), 0) == 0);
    const mode_t umask = ::umask(kind == "umask 0277" ? 0277 : 022);
    rlimit fileSize = {};
    ::getrlimit(RLIMIT_FSIZE, &fileSize);
    const auto giveBackLimits = [&] {
        ::umask(umask);
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    };
    const auto giveBack = qScopeGuard(giveBackLimits);
    if (kind == "disk full") { // no write can go past a few bytes
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit full = {16, fileSize.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
    }

    // What the system lets this user do there decides, root or not.
    const bool regular = QStringList {"file",   "link to a file",        "read-only", "write-only",
                                      "locked", "folder not searchable", "disk full"}
                             .contains(kind);
    const bool firstRun = kind == "no such file" || kind == "no folder yet" || kind == "umask 0277"
        || kind == "dangling link" || kind == "folder is a dangling link";
    const bool read = firstRun || (regular && ::access(path.constData(), R_OK) == 0);
    const bool wanted = read && (state == "due" || state == "first run");
    const bool writable = kind != "folder is a dangling link" && kind != "disk full"
        && (!QFileInfo::exists(file) || ::access(path.constData(), W_OK) == 0);
    const bool stored = wanted && writable;
    if (wanted && !writable) // silent to the user, not to a maintainer
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^could not store")));
    if (!read)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be read")));
    const auto kindOf = [](const QString &name) {
        struct stat info = {};
        return ::lstat(QFile::encodeName(name), &info) == 0 ? int(info.st_mode & S_IFMT) : 0;
    };
    const int kindBefore = kindOf(file);
    const auto openFiles = [] {
        return QDir(QStringLiteral("/proc/self/fd")).count();
    };
    FolderWatch watch(folder);
    const auto openBefore = openFiles();
    const auto store = std::make_shared<SettingsFileStore>(file);
    QVERIFY2(endsWithin(Generous, [store] { runUpdateReminder(*store, Today); }),
             "the reminder was held up");
    QCOMPARE(openFiles(), openBefore); // nothing it opened stays open, a FIFO least of all
    QVERIFY2(watch.onlyTheFile(QStringLiteral("zel.conf")), qPrintable(watch.seen.join(u", ")));

    giveBackLimits();
    QCOMPARE(log.size(), read && state == "due" ? 1 : 0);
    const auto mode = [](const QString &name) {
        struct stat info = {};
        return ::stat(QFile::encodeName(name), &info) == 0 ? info.st_mode : 0;
    };
    if (stored && firstRun) // made the user's to write again, whatever the umask
        QVERIFY((mode(folder) & 0700) == 0700 && (mode(file) & 0600) == 0600);
    QCOMPARE(kindOf(file), firstRun && stored && kindBefore == 0 ? S_IFREG : kindBefore);
    if (kind.startsWith("folder is") || kind == "socket" || kind == "FIFO" || kind == "link loop"
        || kind == "folder" || kind == "never ends" || kind == "sparse, 2 GB")
        return;
    ::chmod(QFile::encodeName(folder), 0700);
    ::chmod(path.constData(), 0600);
    if (regular && !stored)
        QCOMPARE(fileContents(file), settings);
    // Read by QSettings from a copy, at a name it has not read before.
    const QString after = root.filePath(QStringLiteral("after"));
    QVERIFY(writeFile(after, fileContents(file)));
    const QSettings reads(after, QSettings::IniFormat);
    QCOMPARE(
        reads.value("Settings/Duration").toString(),
        stored ? QStringLiteral("2026-12-07")
               : QSettings(reference, QSettings::IniFormat).value("Settings/Duration").toString());
    if (!firstRun)
        QCOMPARE(reads.value("Other/k").toStringList(), QStringList({"1", "2"}));
#endif
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

    SettingsFileStore store(file);
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

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
