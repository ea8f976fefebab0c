#include "feed/reader_thread.h"

#include <stdexcept>

#include <fmt/format.h>

namespace zrb {

ReaderThread::~ReaderThread() {
    m_client.stop = true;
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable()) m_thread.join();
}

void ReaderThread::start(void (*body)()) {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable()) {
        if (!m_client.stopped.load())
            throw std::logic_error(fmt::format("the {} of the run before still runs", m_name));
        m_thread.join();
    }
    m_client.stopped = false;
    try {
        m_thread = std::thread(body);
    } catch (...) {
        m_client.stopped = true;  // no thread: nothing runs on the reader
        throw;
    }
}

bool ReaderThread::finished() const {
    std::lock_guard lock(m_mutex);
    return !m_thread.joinable() || m_client.stopped.load();
}

bool ReaderThread::join() {
    std::lock_guard lock(m_mutex);
    if (!m_thread.joinable()) return true;
    if (!m_client.stopped.load()) return false;
    m_thread.join();  // its body has returned: it ends at once
    return true;
}

}  // namespace zrb
