// Times programs from exec until their first window is mapped on the X server
// in $DISPLAY, and reads their peak resident memory, in alternating runs.
// Each program is ended with SIGTERM; the system lets go of its instance lock.
// Usage: startup_bench RUNS PROGRAM...
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double milliseconds;
    long peakKiB;
};

// Waits for the next MapNotify of a top-level window, or gives up.
bool waitForMap(xcb_connection_t *connection, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fd {xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & ~0x80) == XCB_MAP_NOTIFY
                && !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect;
            std::free(event);
            if (mapped)
                return true;
        }
        poll(&fd, 1, 5);
    }
    return false;
}

Sample runOnce(xcb_connection_t *connection, const char *program)
{
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    const bool mapped = waitForMap(connection, 10000);
    const auto end = Clock::now();
    kill(child, SIGTERM);
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    if (!mapped) {
        std::fprintf(stderr, "%s mapped no window\n", program);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

template<typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::vector<std::string> programs(argv + 2, argv + argc);

    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X server\n");
        return 1;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::vector<std::vector<Sample>> samples(programs.size());
    for (const std::string &program : programs) // warm the caches, discard
        runOnce(connection, program.c_str());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            // Alternate the order so neither program always runs first.
            const std::size_t p = run % 2 ? programs.size() - 1 - i : i;
            samples[p].push_back(runOnce(connection, programs[p].c_str()));
        }
    }

    std::printf("%-24s %14s %14s\n", "program", "start-up (ms)", "peak RSS (MiB)");
    std::vector<double> times, memory;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<double> ms, kib;
        for (const Sample &s : samples[p]) {
            ms.push_back(s.milliseconds);
            kib.push_back(static_cast<double>(s.peakKiB));
        }
        times.push_back(median(ms));
        memory.push_back(median(kib) / 1024.0);
        const std::string name = programs[p].substr(programs[p].find_last_of('/') + 1);
        std::printf("%-24s %14.1f %14.1f\n", name.c_str(), times.back(), memory.back());
    }
    if (programs.size() == 2)
        std::printf("%-24s %14.2f %14.2f\n", "ratio (first/second)", times[0] / times[1],
                    memory[0] / memory[1]);
    std::printf("medians of %d alternating runs each\n", runs);
    xcb_disconnect(connection);
    return 0;
}
