#include "reminder/settings_file.h"
#include "reminder/update_reminder.h"

#include <QSettings>

namespace zel {
namespace {

// Under HKEY_CURRENT_USER, where no file can stand in the way: QSettings'
// own native store, which QCoreApplication names.
class RegistryStore final : public ReminderStore
{
public:
    std::optional<QString> read() override;
    bool write(const QString &value) override;

private:
    QSettings settings;
};

std::optional<QString> RegistryStore::read()
{
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = settings.value(SettingsSection + u'/' + SettingsName);
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

bool RegistryStore::write(const QString &value)
{
    settings.setValue(SettingsSection + u'/' + SettingsName, value);
    settings.sync();
    const bool stored = settings.status() == QSettings::NoError;
    if (!stored)
        qCWarning(lcSettings, "could not store the reminder's date in %s",
                  qPrintable(settings.fileName()));
    return stored;
}

} // namespace

std::unique_ptr<ReminderStore> userReminderStore()
{
    return std::make_unique<RegistryStore>();
}

} // namespace zel
