#include "reminder/settings_rewrite.h"

#include "reminder/ini_lines.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace zel::ini {
namespace {

// Every key QSettings reads in the file `name` but `key`.
QVariantMap keysBut(const QString &name, const QString &key)
{
    const QSettings settings(name, QSettings::IniFormat);
    QVariantMap keys;
    for (const QString &each : settings.allKeys()) {
        // "=x" is a key QSettings cannot be asked for.
        if (!each.isEmpty() && each.compare(key, NameCase) != 0)
            keys.insert(each, settings.value(each));
    }
    return keys;
}

} // namespace

std::optional<QByteArray> rewrittenByQSettings(const QByteArray &text, const QString &key,
                                               const QString &value)
{
    const QTemporaryDir folder;
    const QString before = folder.filePath(QStringLiteral("before.ini"));
    QFile file(folder.filePath(QStringLiteral("after.ini")));
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size()
        || !file.flush() || !QFile::copy(file.fileName(), before))
        return std::nullopt;
    file.close();
    {
        QSettings settings(file.fileName(), QSettings::IniFormat);
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() == QSettings::AccessError)
            return std::nullopt;
    }
    // Read back at a name QSettings has not seen: it would answer from memory.
    const QString check = folder.filePath(QStringLiteral("check.ini"));
    if (!QFile::copy(file.fileName(), check) || keysBut(check, key) != keysBut(before, key)
        || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace zel::ini
