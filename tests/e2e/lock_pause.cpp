// Preloaded into the program by the end-to-end tests: the first time the
// program takes its instance lock, it pauses between taking its socket's name
// and listening there (a name taken that no one yet answers for), as a busy
// machine or a swapped-out process may make it. It touches
// $ZEL_PAUSE_DIR/paused, then waits until $ZEL_PAUSE_DIR/go exists.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Whether `fd` is bound to an abstract name that starts with zel-orvalis-.
bool isInstanceSocket(int fd)
{
    sockaddr_un address = {};
    socklen_t size = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) != 0
        || address.sun_family != AF_UNIX || size <= offsetof(sockaddr_un, sun_path) + 13)
        return false;
    return address.sun_path[0] == '\0'
        && std::strncmp(address.sun_path + 1, "zel-orvalis-", 12) == 0;
}

} // namespace

extern "C" int listen(int fd, int backlog)
{
    using Listen = int (*)(int, int);
    static const auto next = reinterpret_cast<Listen>(dlsym(RTLD_NEXT, "listen"));
    static bool paused = false;
    const char *folder = std::getenv("ZEL_PAUSE_DIR");
    if (folder && !paused && isInstanceSocket(fd)) {
        paused = true;
        char path[4096];
        std::snprintf(path, sizeof path, "%s/paused", folder);
        if (FILE *mark = std::fopen(path, "w"))
            std::fclose(mark);
        std::snprintf(path, sizeof path, "%s/go", folder);
        for (int waited = 0; waited < 6000 && access(path, F_OK) != 0; ++waited)
            usleep(10000); // 60 s at most
    }
    return next(fd, backlog);
}
