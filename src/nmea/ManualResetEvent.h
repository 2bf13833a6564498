#pragma once
// A manual-reset event: once set it stays set, releasing every waiter, until reset.

#include <chrono>
#include <condition_variable>
#include <mutex>

class ManualResetEvent {
public:
    void Set() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_set = true;
        }
        m_cv.notify_all();
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = false;
    }
    bool IsSet() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_set;
    }
    // True when the event was set within the timeout, false on time-out.
    bool Wait(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [this] { return m_set; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_set = false;
};
