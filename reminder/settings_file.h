#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zel {

// The file QSettings keeps the user's settings in, named here so that it can
// be looked at before QSettings opens it; empty where the settings live in
// the registry. One file per platform.
QString userSettingsFile();

// The settings file's bytes, empty when there is no file yet. Nullopt when it
// cannot be read or is no regular file, which would block (a FIFO) or never
// hold settings (a folder).
std::optional<QByteArray> readSettingsFile(const QString &file);

} // namespace zel
