#include "reminder/settings_file.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace zel {

QString userSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/%1/%2.conf")
              .arg(QCoreApplication::organizationName(), QCoreApplication::applicationName());
}

} // namespace zel
