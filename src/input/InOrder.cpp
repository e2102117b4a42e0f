#include "input/InOrder.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

void RunInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& done, std::size_t ahead)
{
    const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1), count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            done(i);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::condition_variable room;  // done has taken another index
    std::size_t taken = 0;         // the indexes done has taken
    std::vector<char> ready(count, 0);
    std::vector<std::thread> pool;
    for (std::size_t t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            for (std::size_t i = next++; i < count; i = next++) {
                if (i >= ahead) {
                    std::unique_lock<std::mutex> lock(mutex);
                    room.wait(lock, [&] { return i - ahead < taken; });
                }
                work(i);
                const std::lock_guard<std::mutex> lock(mutex);
                ready[i] = 1;
                finished.notify_all();
            }
        });
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [&] { return ready[i] != 0; });
        lock.unlock();
        done(i);
        lock.lock();
        taken = i + 1;
        room.notify_all();
    }
    for (std::thread& thread : pool)
        thread.join();
}

void ForRanges(std::size_t count, int jobs, const std::function<void(std::size_t, std::size_t)>& f)
{
    const std::size_t ranges = std::max<std::size_t>(1, std::min<std::size_t>(std::max(jobs, 1), count / kMinRange));
    RunInOrder(ranges, static_cast<int>(ranges), [&](std::size_t j) { f(count * j / ranges, count * (j + 1) / ranges); },
               [](std::size_t) {});
}

void InOrderStep::Step(std::size_t index, const std::function<void()>& step)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_turn.wait(lock, [&] { return m_next == index; });
    lock.unlock();
    step();
    lock.lock();
    ++m_next;
    m_turn.notify_all();
}
