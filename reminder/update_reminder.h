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
// $XDG_CONFIG_HOME elsewhere; section "Settings", name "Duration". The file is
// read and edited as text, every other byte kept, and put in place whole by
// QSaveFile through a temporary of its own, named at random. Nothing at a
// fixed name beside it is made, locked or waited for, so nothing anyone puts
// there can hold the store up; what is not a regular file in the file's place
// makes it give up at once. The single-instance lock keeps a user's writers
// to one at a time.
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
    bool writeFile(const QString &value) const;

    QString iniFile; // empty for the registry
    std::unique_ptr<QSettings> settings; // the registry's
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
