#pragma once

#include "link_target.h"

#include <functional>

// Asks the desktop to open an address in the default browser and returns at
// once. The address goes as given: not checked, trimmed or encoded. Nothing
// is reported, whether or not a browser opens.
void open_link(const QString &address);
void open_link(LinkTarget target);

// Tests record addresses instead of starting a browser; an empty function
// restores the desktop.
using LinkOpener = std::function<void(const QString &address)>;
void set_link_opener_for_tests(LinkOpener opener);
