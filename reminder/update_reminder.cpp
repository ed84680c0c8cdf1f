#include "reminder/update_reminder.h"

#include "links/open_link.h"
#include "reminder/settings_file.h"
#include "ui/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSettings>

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcSettings, "zel.settings", QtCriticalMsg) // silent unless asked for

const QString Key = QStringLiteral("Settings/Duration");
const QString DateFormat = QStringLiteral("yyyy-MM-dd");
// The lone carriage return is the line break; the box shows two lines.
const QString Question = QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?");
constexpr qint64 QuietDays = 14;
constexpr int LockWaitMs = 1000;

// Only the exact text form counts as a date, so that any locale and any
// system reads back the same day.
QDate parseDate(const QString &text)
{
    const QDate date = QDate::fromString(text, DateFormat);
    return date.isValid() && date.toString(DateFormat) == text ? date : QDate();
}

} // namespace

SettingsReminderStore::SettingsReminderStore()
    : iniFile(userSettingsFile())
{ }

SettingsReminderStore::SettingsReminderStore(const QString &iniFile)
    : iniFile(iniFile)
{ }

SettingsReminderStore::~SettingsReminderStore() = default;

bool SettingsReminderStore::open()
{
    if (iniFile.isEmpty()) {
        if (!settings)
            settings = std::make_unique<QSettings>();
        return settings->status() == QSettings::NoError;
    }
    // A FIFO would block the read for good, a folder is no settings file.
    const QFileInfo file(iniFile);
    if (file.exists() && !file.isFile()) {
        qCWarning(lcSettings, "%s is not a regular file", qPrintable(iniFile));
        return false;
    }
    // QSettings takes its lock to write, reading what stands there first: a
    // FIFO would block that read for good, and a folder or a link is no lock
    // that could ever be let go.
    const QString lockName = iniFile + QStringLiteral(".lock");
    const QFileInfo lockFile(lockName);
    if (lockFile.isSymLink() || (lockFile.exists() && !lockFile.isFile())) {
        qCWarning(lcSettings, "%s is not a regular file", qPrintable(lockName));
        return false;
    }
    if (!settings)
        settings = std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
    return settings->status() == QSettings::NoError;
}

std::optional<QString> SettingsReminderStore::read()
{
    if (!open())
        return std::nullopt;
    const QVariant value = settings->value(Key);
    if (!value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList: // text with commas, as it stands in the file
        return value.toStringList().join(QStringLiteral(", "));
    default: // a binary value is never our text: name its type, which is no date
        return QStringLiteral("<%1>").arg(QLatin1String(value.typeName()));
    }
}

// QSettings waits for the file's lock without a limit before it writes, and
// a lock looked at and let go beforehand can be taken by another in between.
// So the store takes that lock itself, with a deadline, and holds it for the
// whole write; QSettings edits a copy beside the file, whose lock no one else
// takes, and QSaveFile puts the result in place in one rename: every other
// key stays, and readers find the old file or the new, never half of one.
// Only writing locks: taking a lock writes and flushes a file, which a start
// that only reads the date does not wait for.
bool SettingsReminderStore::writeFile(const QString &value) const
{
    // QSettings would make the folder on a first run; the lock needs it first.
    if (!QDir().mkpath(QFileInfo(iniFile).absolutePath()))
        return false;
    QLockFile lock(iniFile + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            qCWarning(lcSettings, "%s.lock was not let go within %d ms", qPrintable(iniFile),
                      LockWaitMs);
        return false;
    }
    // The copy's name is free to use while the lock is held; removed on
    // every path. QSaveFile writes it without opening whatever a crash left
    // there.
    const QString copy = iniFile + QStringLiteral(".new");
    const auto removeCopy = qScopeGuard([&copy] { QFile::remove(copy); });
    QByteArray text;
    if (QFile current(iniFile); current.exists()) {
        if (!current.open(QIODevice::ReadOnly))
            return false;
        text = current.readAll();
        if (current.error() != QFileDevice::NoError)
            return false;
    }
    if (QSaveFile start(copy);
        !start.open(QIODevice::WriteOnly) || start.write(text) != text.size() || !start.commit())
        return false;
    {
        QSettings edited(copy, QSettings::IniFormat);
        edited.setValue(Key, value);
        edited.sync();
        if (edited.status() != QSettings::NoError)
            return false;
    }
    QFile made(copy);
    if (!made.open(QIODevice::ReadOnly))
        return false;
    text = made.readAll();
    if (made.error() != QFileDevice::NoError)
        return false;
    made.close();
    // Follows a link to its target and keeps the file's permissions.
    QSaveFile file(iniFile);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

bool SettingsReminderStore::write(const QString &value)
{
    bool stored = false;
    if (open()) {
        if (iniFile.isEmpty()) {
            settings->setValue(Key, value);
            settings->sync();
            stored = settings->status() == QSettings::NoError;
        } else {
            stored = writeFile(value);
            // What it read may be gone now: the next read reads the file again.
            settings.reset();
        }
    }
    if (!stored)
        qCWarning(lcSettings, "could not store the reminder's date in %s",
                  qPrintable(settings ? settings->fileName() : iniFile));
    return stored;
}

ReminderDue reminderDue(const QString &stored, const QDate &today)
{
    if (stored.isEmpty())
        return ReminderDue::FirstRun;
    const QDate date = parseDate(stored);
    if (!date.isValid())
        return ReminderDue::NotADate;
    const qint64 days = today.daysTo(date); // stored date minus today
    return days >= -QuietDays && days <= QuietDays ? ReminderDue::Quiet : ReminderDue::Due;
}

void runUpdateReminder(ReminderStore &store, const QDate &today)
{
    const std::optional<QString> stored = store.read();
    if (!stored)
        return;
    const QString todayText = today.toString(DateFormat);
    switch (reminderDue(*stored, today)) {
    case ReminderDue::FirstRun:
        store.write(todayText);
        return;
    case ReminderDue::Quiet:
    case ReminderDue::NotADate:
        return;
    case ReminderDue::Due:
        break;
    }
    // No window is up yet, so the box has no owner.
    const bool yes = messages::ask(nullptr, Question);
    // The date is stored first; the user's explicit Yes is honoured even
    // when it could not be.
    store.write(todayText);
    if (yes)
        openLink(LinkTarget::ProductDownloadPage);
}

void runUpdateReminder()
{
    SettingsReminderStore store;
    runUpdateReminder(store, QDate::currentDate());
}

} // namespace zel
