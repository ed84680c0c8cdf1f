#pragma once

// Windows only, free of Qt: places a shown window above every window that is
// not topmost, without moving, resizing or activating it.
namespace zel {

void makeTopmost(void *windowHandle);

} // namespace zel
