#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace sw::test {

/// The owner's thread of a background worker, in a test: what the worker posts waits here until
/// the test runs it on its own thread.
class PostedCalls {
public:
    /// What the worker is given to post with.
    std::function<void(std::function<void()>)> Post() {
        return [this](std::function<void()> call) {
            {
                std::lock_guard lock(m_mutex);
                m_calls.push_back(std::move(call));
                ++m_posted;
            }
            m_arrived.notify_all();
        };
    }

    /// Runs the posted calls in order until `done` holds; false when a minute passes with nothing
    /// posted. A call's exception is thrown on.
    bool RunUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::function<void()> next;
            {
                std::unique_lock lock(m_mutex);
                if (!m_arrived.wait_for(lock, std::chrono::minutes(1), [this] { return !m_calls.empty(); })) {
                    return false;
                }
                next = std::move(m_calls.front());
                m_calls.pop_front();
            }
            next();
        }
        return true;
    }

    /// Waits (up to a minute) until `count` calls have been posted in all, running none of them.
    bool WaitForPosted(int count) {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, std::chrono::minutes(1), [&] { return m_posted >= count; });
    }

    /// Runs the calls posted so far.
    void RunPending() {
        for (;;) {
            std::function<void()> next;
            {
                std::lock_guard lock(m_mutex);
                if (m_calls.empty()) {
                    return;
                }
                next = std::move(m_calls.front());
                m_calls.pop_front();
            }
            next();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::function<void()>> m_calls;
    int m_posted = 0;
};

}  // namespace sw::test
