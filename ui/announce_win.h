#pragma once

#include <string>

// Windows only, free of Qt: has UI Automation tell its clients (screen
// readers) `text` as a notification from the window, at once, replacing one
// that is still being spoken. Does nothing where the system lacks it.
namespace zel {

void raiseNotification(void *windowHandle, const std::wstring &text);

} // namespace zel
