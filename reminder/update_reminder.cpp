#include "reminder/update_reminder.h"

#include "links/open_link.h"
#include "ui/messages.h"

namespace zel {
namespace {

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
    runUpdateReminder(*userReminderStore(), QDate::currentDate());
}

} // namespace zel
