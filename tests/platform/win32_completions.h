#pragma once
// Records the completions that a ByteStream reports on the system's I/O threads,
// so that a test can wait for them in order.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace zrb::test {

class Completions {
public:
    struct Entry {
        bool isWrite = false;
        std::uint32_t status = 0;
        std::uint32_t bytes = 0;
        bool arrived = false;  // false: none came within the guard time
    };

    // The IoCompletion callback; the context is the Completions object.
    static void record(void* context, bool isWrite, std::uint32_t status, std::uint32_t bytes) {
        auto* self = static_cast<Completions*>(context);
        {
            std::lock_guard lock(self->m_mutex);
            self->m_entries.push_back({isWrite, status, bytes, true});
        }
        self->m_changed.notify_all();
    }

    // The oldest completion of that kind not yet taken. The guard only keeps a
    // broken build from hanging the test run; it is no measure of speed.
    Entry next(bool isWrite) {
        std::unique_lock lock(m_mutex);
        const auto found = [&] {
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
                if (it->isWrite == isWrite) return it;
            return m_entries.end();
        };
        m_changed.wait_for(lock, guardTime, [&] { return found() != m_entries.end(); });
        const auto it = found();
        if (it == m_entries.end()) return {};
        const Entry entry = *it;
        m_entries.erase(it);
        return entry;
    }

private:
    static constexpr std::chrono::seconds guardTime{30};
    std::mutex m_mutex;  // owns m_entries
    std::condition_variable m_changed;
    std::deque<Entry> m_entries;
};

}  // namespace zrb::test
