#pragma once

// Windows only, free of Qt: places a shown window above every window that is
// not topmost, without moving, resizing or activating it.
void make_topmost(void *windowHandle);
