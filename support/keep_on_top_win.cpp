#include "support/keep_on_top.h"
#include "ui/windows_handle.h"

#include <windows.h>

namespace zel {

void keepOnTop(QWidget *window)
{
    // The window was designed to put itself topmost as it is shown, by this
    // very call, besides the flag Qt keeps.
    if (void *handle = windowsHandle(window))
        SetWindowPos(static_cast<HWND>(handle), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

} // namespace zel
