#pragma once

#include <QByteArray>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Two threads, A and B, taking their steps in the order a schedule gives:
// "AB..." lets A take one step (up to its next call of step()), then B one,
// and so on; past the schedule's end, or once one of them is done, both run
// freely.
class Turns
{
public:
    explicit Turns(QByteArray order)
        : order(std::move(order))
    { }

    // Runs `run(0)` as A and `run(1)` as B, and returns when both are done.
    void race(const std::function<void(int)> &run)
    {
        const auto play = [&](int i) {
            who() = char('A' + i);
            run(i);
            std::lock_guard lock(mutex);
            endMove();
            done = true;
            turn.notify_all();
        };
        std::thread a(play, 0), b(play, 1);
        a.join();
        b.join();
    }
    // Called by A or B before each step: waits for the thread's turn.
    void step()
    {
        std::unique_lock lock(mutex);
        endMove();
        turn.notify_all();
        turn.wait(lock, [&] { return next >= order.size() || order[next] == who() || done; });
        if (next < order.size() && order[next] == who())
            moving = who();
    }

private:
    static char &who()
    {
        static thread_local char name = 0;
        return name;
    }
    void endMove()
    {
        if (moving == who())
            ++next, moving = 0;
    }

    QByteArray order;
    std::mutex mutex;
    std::condition_variable turn;
    qsizetype next = 0;
    char moving = 0;
    bool done = false;
};
