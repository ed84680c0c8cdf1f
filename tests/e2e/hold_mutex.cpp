// Holds a named mutex until it is killed, made with the security the SDDL
// text gives, or the default; prints "held" once it holds it. The installer's
// test stands it in for a program of another account or an elevated one.
// sddl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <cstdio>

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    SECURITY_ATTRIBUTES attributes {sizeof attributes, nullptr, FALSE};
    if (argc > 2
        && !ConvertStringSecurityDescriptorToSecurityDescriptorW(
            argv[2], SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
        return 2;
    if (!CreateMutexExW(&attributes, argv[1], 0, SYNCHRONIZE))
        return 1;
    std::puts("held");
    std::fflush(stdout);
    Sleep(INFINITE);
}
