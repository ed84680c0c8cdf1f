#include "reminder/update_reminder.h"

#include "links/open_link.h"
#include "reminder/ini_text.h"
#include "reminder/settings_file.h"
#include "ui/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QSettings>

namespace zel {
namespace {

Q_LOGGING_CATEGORY(lcSettings, "zel.settings", QtCriticalMsg) // silent unless asked for

const QString Section = QStringLiteral("Settings");
const QString Name = QStringLiteral("Duration");
const QString DateFormat = QStringLiteral("yyyy-MM-dd");
// The lone carriage return is the line break; the box shows two lines.
const QString Question = QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?");
constexpr qint64 QuietDays = 14;
// No settings file comes near it: the user's few keys take a few hundred
// bytes, and QSettings itself would take minutes over a file this large,
// which is read and stored here in well under a second.
constexpr qsizetype MostSettings = 64 << 20;

// Only the exact text form counts as a date, so that any locale and any
// system reads back the same day.
QDate parseDate(const QString &text)
{
    const QDate date = QDate::fromString(text, DateFormat);
    return date.isValid() && date.toString(DateFormat) == text ? date : QDate();
}

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

SettingsReminderStore::SettingsReminderStore()
    : iniFile(userSettingsFile())
{ }

SettingsReminderStore::SettingsReminderStore(const QString &iniFile)
    : iniFile(iniFile)
{ }

SettingsReminderStore::~SettingsReminderStore() = default;

std::optional<QString> SettingsReminderStore::read()
{
    if (!iniFile.isEmpty()) {
        const std::optional<QByteArray> text = readSettingsFile(iniFile);
        if (!text)
            qCWarning(lcSettings, "%s cannot be read as settings", qPrintable(iniFile));
        return text ? std::optional(ini::value(*text, Section, Name)) : std::nullopt;
    }
    if (!settings)
        settings = std::make_unique<QSettings>();
    if (settings->status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = settings->value(Section + u'/' + Name);
    if (!value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList: // text with commas, as it stands in the file
        return value.toStringList().join(QStringLiteral(", "));
    default: // a binary value is never our text: name its type, which is no date
        return QStringLiteral("<%1>").arg(QLatin1String(value.typeName()));
    }
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
bool SettingsReminderStore::writeFile(const QString &value) const
{
    const std::optional<QByteArray> text = readSettingsFile(iniFile);
    const std::optional<QByteArray> edited
        = text ? ini::withValue(*text, Section, Name, value) : std::nullopt;
    if (!edited || !makeFolders(QFileInfo(iniFile).absolutePath()))
        return false;
    QSaveFile file(iniFile);
    // A new file is the user's to write again, whatever the umask.
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && file.setPermissions(file.permissions() | QFile::ReadOwner | QFile::WriteOwner)
        && file.write(*edited) == edited->size() && syncSettingsFile(file) && file.commit();
}

bool SettingsReminderStore::write(const QString &value)
{
    bool stored = false;
    if (!iniFile.isEmpty()) {
        stored = writeFile(value);
    } else {
        if (!settings)
            settings = std::make_unique<QSettings>();
        settings->setValue(Section + u'/' + Name, value);
        settings->sync();
        stored = settings->status() == QSettings::NoError;
    }
    if (!stored)
        qCWarning(lcSettings, "could not store the reminder's date in %s",
                  qPrintable(settings ? settings->fileName() : iniFile));
    return stored;
}

ReminderDue reminderDue(const QString &stored, const QDate &today)
{
    if (stored.isEmpty())
        return ReminderDue::FirstRun;
    const QDate date = parseDate(stored);
    if (!date.isValid())
        return ReminderDue::NotADate;
    const qint64 days = today.daysTo(date); // stored date minus today
    return days >= -QuietDays && days <= QuietDays ? ReminderDue::Quiet : ReminderDue::Due;
}

void runUpdateReminder(ReminderStore &store, const QDate &today)
{
    const std::optional<QString> stored = store.read();
    if (!stored)
        return;
    const QString todayText = today.toString(DateFormat);
    switch (reminderDue(*stored, today)) {
    case ReminderDue::FirstRun:
        store.write(todayText);
        return;
    case ReminderDue::Quiet:
    case ReminderDue::NotADate:
        return;
    case ReminderDue::Due:
        break;
    }
    // No window is up yet, so the box has no owner.
    const bool yes = messages::ask(nullptr, Question);
    // The date is stored first; the user's explicit Yes is honoured even
    // when it could not be.
    store.write(todayText);
    if (yes)
        openLink(LinkTarget::ProductDownloadPage);
}

void runUpdateReminder()
{
    SettingsReminderStore store;
    runUpdateReminder(store, QDate::currentDate());
}

} // namespace zel
