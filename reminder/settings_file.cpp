#include "reminder/settings_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

QString userSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/%1/%2.conf")
              .arg(QCoreApplication::organizationName(), QCoreApplication::applicationName());
}

std::optional<QByteArray> readSettingsFile(const QString &file)
{
    // Without O_NONBLOCK a FIFO in the file's place would hold the open until
    // someone writes to it. A link there is followed: it is the user's own.
    const int fd
        = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENOENT)
        return QByteArray();
    const auto closeFile = qScopeGuard([fd] {
        if (fd >= 0)
            ::close(fd);
    });
    struct stat status;
    QFile opened;
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || !opened.open(fd, QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = opened.readAll();
    if (opened.error() != QFileDevice::NoError)
        return std::nullopt;
    return text;
}

} // namespace zel
