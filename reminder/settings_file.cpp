#include "reminder/settings_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

SettingsOpening openSettingsFile(const QString &name, QFile &file)
{
    // Without O_NONBLOCK a FIFO in the file's place would hold the open until
    // someone writes to it. A link there is followed: it is the user's own.
    const int fd
        = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? SettingsOpening::NoFile : SettingsOpening::Refused;
    struct stat status;
    // Once open, `file` owns the descriptor and closes it.
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)
        && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return SettingsOpening::Opened;
    ::close(fd);
    return SettingsOpening::Refused;
}

bool syncSettingsFile(QFileDevice &file)
{
    return ::fsync(file.handle()) == 0;
}

} // namespace zel
