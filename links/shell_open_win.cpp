#include "links/shell_open_win.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace zel {

void shellOpen(const char *ansiAddress)
{
    ShellExecuteA(nullptr, "Open", ansiAddress, nullptr, "C:\\", SW_SHOWNORMAL);
}

} // namespace zel
