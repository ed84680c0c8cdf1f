#include "shell_open_win.h"

#include <shellapi.h>
#include <windows.h>

void shell_open(const char *ansiAddress)
{
    ShellExecuteA(nullptr, "Open", ansiAddress, nullptr, "C:\\", SW_SHOWNORMAL);
}
