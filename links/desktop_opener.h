#pragma once

#include <QLoggingCategory>
#include <QString>

namespace zel {

// The desktop's own way to open an address in the default browser, one file
// per platform. Returns at once; a failure the desktop reports is logged
// under zel.links, and the user is told nothing.
void openWithDesktop(const QString &address);

Q_DECLARE_LOGGING_CATEGORY(lcLinks)

} // namespace zel
