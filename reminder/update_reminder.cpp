#include "reminder/update_reminder.h"

#include "links/open_link.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

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
{
#ifndef Q_OS_WIN
    // Where QSettings keeps a user's INI file, named here so that the file can
    // be looked at before QSettings opens it.
    iniFile = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/%1/%2.conf")
              .arg(QCoreApplication::organizationName(), QCoreApplication::applicationName());
#endif
}

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

// QSettings waits for its lock without a limit before it writes. Looked at
// only then: taking a lock writes and flushes a file, which a start that
// only reads the date does not wait for.
bool SettingsReminderStore::lockLetGo() const
{
    if (iniFile.isEmpty())
        return true;
    QLockFile lock(iniFile + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs) && lock.error() == QLockFile::LockFailedError) {
        qCWarning(lcSettings, "%s.lock was not let go within %d ms", qPrintable(iniFile),
                  LockWaitMs);
        return false;
    }
    return true;
}

bool SettingsReminderStore::write(const QString &value)
{
    if (open() && lockLetGo()) {
        settings->setValue(Key, value);
        settings->sync();
        if (settings->status() == QSettings::NoError)
            return true;
    }
    qCWarning(lcSettings, "could not store the reminder's date in %s",
              qPrintable(settings ? settings->fileName() : iniFile));
    return false;
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
