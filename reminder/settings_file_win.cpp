#include "reminder/settings_file.h"

#include <QFile>
#include <QFileInfo>

#include <io.h>

namespace zel {

// Only tests keep settings in a file here; Windows has no FIFOs.
SettingsOpening openSettingsFile(const QString &name, QFile &file)
{
    if (!QFileInfo::exists(name))
        return SettingsOpening::NoFile;
    file.setFileName(name);
    return QFileInfo(name).isFile() && file.open(QIODevice::ReadOnly) ? SettingsOpening::Opened
                                                                      : SettingsOpening::Refused;
}

bool syncSettingsFile(QFileDevice &file)
{
    return ::_commit(file.handle()) == 0;
}

} // namespace zel
