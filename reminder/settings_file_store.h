#pragma once

#include "reminder/update_reminder.h"

#include <QString>

namespace zel {

// The reminder's date in an INI file of QSettings' (IniFormat), section
// "Settings", name "Duration", read and edited as text: every other byte is
// kept, and the file is put in place whole by QSaveFile through a temporary
// of its own, named at random. Nothing at a fixed name beside it is made,
// locked or waited for, so nothing anyone puts there can hold the store up;
// what is not a regular file in the file's place makes it give up at once.
// The single-instance lock keeps a user's writers to one at a time.
class SettingsFileStore final : public ReminderStore
{
public:
    explicit SettingsFileStore(const QString &file);

    std::optional<QString> read() override;
    bool write(const QString &value) override;

private:
    QString file;
};

} // namespace zel
