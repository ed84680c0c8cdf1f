#include "reminder/settings_file.h"

#include <QFile>
#include <QFileInfo>

namespace zel {

// Under HKEY_CURRENT_USER, which no file can stand in the way of.
QString userSettingsFile()
{
    return {};
}

// Only tests keep settings in a file here; Windows has no FIFOs.
std::optional<QByteArray> readSettingsFile(const QString &file)
{
    QFile opened(file);
    if (!QFileInfo::exists(file))
        return QByteArray();
    if (!QFileInfo(file).isFile() || !opened.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = opened.readAll();
    if (opened.error() != QFileDevice::NoError)
        return std::nullopt;
    return text;
}

} // namespace zel
