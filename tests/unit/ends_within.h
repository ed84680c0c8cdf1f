#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

// Runs `call` on a thread of its own and says whether it returned within
// `ms` milliseconds. What the call works on dies with the test, so a call
// that overran is still waited for before the test goes on; one that is
// still running half a minute later is blocked for good, and the test
// program ends there rather than go on beside a call on freed objects.
inline bool endsWithin(int ms, std::function<void()> call)
{
    constexpr std::chrono::seconds Blocked(30);
    std::packaged_task<void()> task(std::move(call));
    std::future<void> done = task.get_future();
    std::thread running(std::move(task));
    const bool inTime = done.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
    if (!inTime && done.wait_for(Blocked) != std::future_status::ready) {
        running.detach();
        qFatal("a call due within %d ms still runs %lld s later: blocked for good", ms,
               qlonglong(Blocked.count()));
    }
    running.join();
    return inTime;
}
