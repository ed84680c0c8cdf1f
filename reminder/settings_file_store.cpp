#include "reminder/settings_file_store.h"

#include "reminder/ini_text.h"
#include "reminder/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zel {

Q_LOGGING_CATEGORY(lcSettings, "zel.settings", QtCriticalMsg) // silent unless asked for

namespace {

// No settings file comes near it: the user's few keys take a few hundred
// bytes, and QSettings itself would take minutes over a file this large,
// which is read and stored here in well under a second.
constexpr qsizetype MostSettings = 64 << 20;

// The settings file's bytes, empty when there is no file yet; nullopt when it
// cannot be read.
std::optional<QByteArray> readSettingsFile(const QString &name)
{
    QFile file;
    switch (openSettingsFile(name, file)) {
    case SettingsOpening::Opened:
        break;
    case SettingsOpening::NoFile:
        return QByteArray();
    case SettingsOpening::Refused:
        return std::nullopt;
    }
    // Read in pieces up to a bound, since a file of the system's may have no
    // end, and its size says nothing: "/proc/self/pagemap" says 0.
    QByteArray text;
    for (QByteArray piece; text.size() <= MostSettings && !(piece = file.read(1 << 16)).isEmpty();)
        text += piece;
    if (file.error() != QFileDevice::NoError || text.size() > MostSettings)
        return std::nullopt;
    return text;
}

// Makes the folder `path` and those above it that are missing, each the
// user's to write to whatever the umask: a folder made read-only would keep
// the date from ever being stored.
bool makeFolders(const QString &path)
{
    QStringList missing;
    for (QString at = QDir::cleanPath(path); !QFileInfo::exists(at) && !QFileInfo(at).isSymLink();
         at = QFileInfo(at).absolutePath()) {
        if (missing.contains(at)) // the root
            break;
        missing.prepend(at);
    }
    for (const QString &folder : std::as_const(missing)) {
        if (!QDir().mkdir(folder)
            || !QFile::setPermissions(folder,
                                      QFile::permissions(folder) | QFile::ReadOwner
                                          | QFile::WriteOwner | QFile::ExeOwner))
            return false;
    }
    return QFileInfo(path).isDir();
}

} // namespace

SettingsFileStore::SettingsFileStore(const QString &file)
    : file(file)
{ }

std::optional<QString> SettingsFileStore::read()
{
    const std::optional<QByteArray> text = readSettingsFile(file);
    if (!text)
        qCWarning(lcSettings, "%s cannot be read as settings", qPrintable(file));
    return text ? std::optional(ini::value(*text, SettingsSection, SettingsName)) : std::nullopt;
}

// The file is read again, so that what others wrote since stays, and edited
// as text: QSettings would parse and write out every key, which takes seconds
// for a large file, and would take "<file>.lock" first, waiting for it without
// a limit. QSaveFile writes a temporary of its own, made new under a random
// name, and renames it over the file: readers find the old file or the new,
// never half of one. It is written unbuffered and synced before the rename,
// so that a full disk fails here rather than leave an empty file in place. A
// link in the file's place is written through, as the user's own: replacing
// it would undo where the user chose to keep the file.
bool SettingsFileStore::write(const QString &value)
{
    const std::optional<QByteArray> text = readSettingsFile(file);
    const std::optional<QByteArray> edited
        = text ? ini::withValue(*text, SettingsSection, SettingsName, value) : std::nullopt;
    QSaveFile saved(file);
    // A new file is the user's to write again, whatever the umask.
    const bool stored = edited && makeFolders(QFileInfo(file).absolutePath())
        && saved.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && saved.setPermissions(saved.permissions() | QFile::ReadOwner | QFile::WriteOwner)
        && saved.write(*edited) == edited->size() && syncSettingsFile(saved) && saved.commit();
    if (!stored)
        qCWarning(lcSettings, "could not store the reminder's date in %s", qPrintable(file));
    return stored;
}

} // namespace zel
