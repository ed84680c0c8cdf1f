#pragma once

#include "links/link_target.h"

#include <functional>

namespace zel {

// Asks the desktop to open an address in the default browser and returns at
// once. The address goes as given: not checked, trimmed or encoded. The user
// is told nothing, whether or not a browser opens; an opener that cannot be
// started is logged under zel.links.
void openLink(const QString &address);
void openLink(LinkTarget target);

// Tests record addresses instead of starting a browser; an empty function
// restores the desktop.
using LinkOpener = std::function<void(const QString &address)>;
void setLinkOpenerForTests(LinkOpener opener);

} // namespace zel
