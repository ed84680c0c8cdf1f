#include "reminder/settings_file_store.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace zel {

// QSettings' own INI file for the application, under $XDG_CONFIG_HOME.
std::unique_ptr<ReminderStore> userReminderStore()
{
    return std::make_unique<SettingsFileStore>(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/%1/%2.conf")
              .arg(QCoreApplication::organizationName(), QCoreApplication::applicationName()));
}

} // namespace zel
