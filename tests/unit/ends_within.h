#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

// Runs `call` on a thread of its own and says whether it returned within
// `ms` milliseconds. A call that blocks for good is left behind, blocked, so
// that the test fails instead of hanging; the process's end takes it along.
inline bool endsWithin(int ms, std::function<void()> call)
{
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    std::thread([call = std::move(call), finished] {
        call();
        finished->set_value();
    }).detach();
    return done.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}
