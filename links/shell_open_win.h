#pragma once

// Windows only, free of Qt: hands an address, already in the ANSI code page,
// to the shell to open in the default browser. Returns at once; the result is
// not looked at.
namespace zel {

void shellOpen(const char *ansiAddress);

} // namespace zel
