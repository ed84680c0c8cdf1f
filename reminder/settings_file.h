#pragma once

#include <QString>

namespace zel {

// The file QSettings keeps the user's settings in, named here so that it can
// be looked at before QSettings opens it; empty where the settings live in
// the registry. One file per platform.
QString userSettingsFile();

} // namespace zel
