#pragma once

#include <QDate>
#include <QString>

#include <memory>
#include <optional>

namespace zel {

// Where the reminder keeps the day it was last answered, as yyyy-MM-dd text.
class ReminderStore
{
public:
    virtual ~ReminderStore() = default;
    // The stored text, empty when none; nullopt when the store cannot be read.
    virtual std::optional<QString> read() = 0;
    // False when the value did not reach the store.
    virtual bool write(const QString &value) = 0;
};

// The user's own store: the registry on Windows (HKEY_CURRENT_USER), an INI
// file of QSettings' under $XDG_CONFIG_HOME elsewhere; section "Settings",
// name "Duration". QCoreApplication names it.
std::unique_ptr<ReminderStore> userReminderStore();

enum class ReminderDue {
    FirstRun, // nothing stored: store today, say nothing
    Quiet, // answered within 14 days either way
    Due, // 15 or more days either way: ask
    NotADate, // leave the value alone and stay silent
};

// The stored text against today's date.
ReminderDue reminderDue(const QString &stored, const QDate &today);

// Start-up's reminder: may ask whether to check for an update, store today,
// and open the download page. Any failure ends it silently where it happens.
void runUpdateReminder(ReminderStore &store, const QDate &today);
void runUpdateReminder();

} // namespace zel
