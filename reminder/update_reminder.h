#pragma once

#include <QDate>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

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

// The per-user settings store: the registry on Windows, an INI file under
// $XDG_CONFIG_HOME elsewhere; section "Settings", name "Duration". A file
// can stand in the way: something other than a regular file in place of the
// file or its lock makes reading and writing give up at once, and writing
// waits for the lock for about a second at most, whoever holds it; each as
// a failure that says why under zel.settings.
class SettingsReminderStore final : public ReminderStore
{
public:
    // The application's own store; QCoreApplication names it.
    SettingsReminderStore();
    explicit SettingsReminderStore(const QString &iniFile); // for tests
    ~SettingsReminderStore() override;

    std::optional<QString> read() override;
    bool write(const QString &value) override;

private:
    bool open();
    bool writeFile(const QString &value) const;

    QString iniFile; // empty for the registry
    std::unique_ptr<QSettings> settings;
};

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
