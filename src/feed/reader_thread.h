#pragma once
// The owner of one feed reader's thread. It starts the thread on the reader
// object and joins it once the thread has finished, so that no reader of an
// earlier run ever runs beside the next run's, and none outlives the object
// it works on.
//
// Threads: start, join and the destructor run on the worker thread (tests:
// the test's thread), under m_mutex, which owns m_thread. Whether the thread
// has finished is the reader's own `stopped` flag (an atomic of RtApiClient),
// which its body sets as its last act on every way out.

#include <mutex>
#include <string_view>
#include <thread>

#include "feed/rt_api_client.h"

namespace zrb {

class ReaderThread {
public:
    ReaderThread(RtApiClient& client, std::string_view name) : m_client(client), m_name(name) {}
    // Stops the reader and waits for it: defined after its reader object, the
    // owner is destroyed first, so the thread never sees that object go.
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Clears the reader's stopped flag and starts body on a new thread. The
    // thread of an earlier start is joined first; when it still runs, nothing
    // is started and std::logic_error is thrown.
    void start(void (*body)());
    // No thread runs on the reader: none was started, or it has finished.
    bool finished() const;
    // Joins a finished thread; false, and nothing joined, while it still runs.
    bool join();

private:
    RtApiClient& m_client;
    std::string_view m_name;
    mutable std::mutex m_mutex;  // owns m_thread
    std::thread m_thread;
};

}  // namespace zrb
