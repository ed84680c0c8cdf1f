#pragma once

#include <QString>

class QFile;
class QFileDevice;

namespace zel {

// The file QSettings keeps the user's settings in, named here so that it can
// be looked at before QSettings opens it; empty where the settings live in
// the registry. One file per platform.
QString userSettingsFile();

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
