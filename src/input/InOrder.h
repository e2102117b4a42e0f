#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <limits>
#include <mutex>
#include <vector>

// The one way Velloa runs work side by side.

// Runs work(0) ... work(count - 1) on `jobs` threads (at least one), each
// index once, taken in increasing order; `done(i)` is called on the calling
// thread in index order as soon as work(0..i) have finished. Work i starts
// only once done(i - ahead) has returned: what the work makes for `done`
// to take is held for at most `ahead` indexes at a time.
void RunInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& done,
                std::size_t ahead = std::numeric_limits<std::size_t>::max());

// RunInOrder over a ring: work(i, item) and done(i, item) get
// ring[i % ring.size()], which work i + ring.size() takes only once done(i)
// has returned; each item holds what one index makes for `done`, and is
// made (with its room) by the caller, on its own thread.
template <typename Item, typename Work, typename Done>
void RunInRing(std::size_t count, int jobs, std::vector<Item>& ring, Work work, Done done)
{
    RunInOrder(count, jobs, [&](std::size_t i) { work(i, ring[i % ring.size()]); },
               [&](std::size_t i) { done(i, ring[i % ring.size()]); }, ring.size());
}

// Runs f(begin, end) over [0, count) cut into up to `jobs` ranges of about
// the same size, side by side. Each range holds at least kMinRange items
// (fewer items make one range), so a short track does not pay for a thread
// that would have little to do.
constexpr std::size_t kMinRange = 1024;
void ForRanges(std::size_t count, int jobs, const std::function<void(std::size_t, std::size_t)>& f);

// A step of RunInOrder's work that must run in index order (each index's
// after the one before it), between steps that run side by side: Step(i,
// step) waits until step i - 1 has run, runs `step`, then lets i + 1 go.
// Safe because RunInOrder hands out the indexes in increasing order.
class InOrderStep {
public:
    void Step(std::size_t index, const std::function<void()>& step);

private:
    std::mutex m_mutex;
    std::condition_variable m_turn;
    std::size_t m_next = 0;
};
