#include "support/topmost_win.h"

#include <windows.h>

namespace zel {

void makeTopmost(void *windowHandle)
{
    SetWindowPos(static_cast<HWND>(windowHandle), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

} // namespace zel
