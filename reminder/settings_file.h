#pragma once

#include <QLoggingCategory>
#include <QString>

class QFile;
class QFileDevice;

namespace zel {

// Where the reminder keeps its date among the user's settings, and the log
// of what could not be read or stored there.
inline const QString SettingsSection = QStringLiteral("Settings");
inline const QString SettingsName = QStringLiteral("Duration");
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

enum class SettingsOpening {
    Opened,
    NoFile, // none yet
    Refused, // it cannot be opened, or is no regular file
};
// Opens the settings file `name` for reading in `file`. A FIFO in its place
// is refused rather than waited on, as is a folder, which never holds settings.
SettingsOpening openSettingsFile(const QString &name, QFile &file);

// Puts what was written to the open `file` on the disk: false where the
// system could not, on a full disk say, which some file systems tell only here.
bool syncSettingsFile(QFileDevice &file);

} // namespace zel
