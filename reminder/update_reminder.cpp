#include "reminder/update_reminder.h"

#include "links/open_link.h"
#include "ui/messages.h"

#include <QLoggingCategory>
#include <QSettings>

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcSettings, "zel.settings", QtWarningMsg)

const QString Key = QStringLiteral("Settings/Duration");
const QString DateFormat = QStringLiteral("yyyy-MM-dd");
// The lone carriage return is the line break; the box shows two lines.
const QString Question = QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?");
constexpr qint64 QuietDays = 14;

// Only the exact text form counts as a date, so that any locale and any
// system reads back the same day.
QDate parseDate(const QString &text)
{
    const QDate date = QDate::fromString(text, DateFormat);
    return date.isValid() && date.toString(DateFormat) == text ? date : QDate();
}

} // namespace

SettingsReminderStore::SettingsReminderStore()
    : settings(std::make_unique<QSettings>())
{ }

SettingsReminderStore::SettingsReminderStore(const QString &iniFile)
    : settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{ }

SettingsReminderStore::~SettingsReminderStore() = default;

std::optional<QString> SettingsReminderStore::read()
{
    if (settings->status() != QSettings::NoError)
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

bool SettingsReminderStore::write(const QString &value)
{
    if (settings->status() != QSettings::NoError)
        return false;
    settings->setValue(Key, value);
    settings->sync();
    if (settings->status() == QSettings::NoError)
        return true;
    qCWarning(lcSettings, "could not store the reminder's date in %s",
              qPrintable(settings->fileName()));
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
    if (!store.write(todayText))
        return;
    if (yes)
        openLink(LinkTarget::ProductDownloadPage);
}

void runUpdateReminder()
{
    SettingsReminderStore store;
    runUpdateReminder(store, QDate::currentDate());
}

} // namespace zel
