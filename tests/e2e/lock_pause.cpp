// Preloaded into the program by the end-to-end tests: the first time the
// program locks its instance lock, it pauses between opening the file and
// locking it, as a busy machine or a swapped-out process may make it. It
// touches $ZEL_PAUSE_DIR/paused, then waits until $ZEL_PAUSE_DIR/go exists.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Whether `fd` is open for writing on a file named zel-orvalis-*.lock.
bool isInstanceLock(int fd)
{
    if ((fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY)
        return false;
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    const char *name = std::strrchr(target, '/');
    name = name ? name + 1 : target;
    const size_t size = std::strlen(name);
    return std::strncmp(name, "zel-orvalis-", 12) == 0 && size > 17
        && std::strcmp(name + size - 5, ".lock") == 0;
}

} // namespace

extern "C" int flock(int fd, int operation)
{
    using Flock = int (*)(int, int);
    static const auto next = reinterpret_cast<Flock>(dlsym(RTLD_NEXT, "flock"));
    static bool paused = false;
    const char *folder = std::getenv("ZEL_PAUSE_DIR");
    if (folder && !paused && (operation & LOCK_EX) && isInstanceLock(fd)) {
        paused = true;
        char path[4096];
        std::snprintf(path, sizeof path, "%s/paused", folder);
        if (FILE *mark = std::fopen(path, "w"))
            std::fclose(mark);
        std::snprintf(path, sizeof path, "%s/go", folder);
        for (int waited = 0; waited < 6000 && access(path, F_OK) != 0; ++waited)
            usleep(10000); // 60 s at most
    }
    return next(fd, operation);
}
