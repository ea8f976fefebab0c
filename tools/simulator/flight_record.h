#pragma once
// What the stand-in simulator was asked to do with AI objects, as JSON lines
// for the demo's summary, picture and check: every creation and refused
// creation, the positions clients set (at most one a record interval per
// object, and always the first), removals, and where the user aircraft is.
// Each line holds "t", the wall-clock time in UTC seconds, and "ev"; titles
// are written as the simulator shows them, in UTF-8.
//
// Thread safety: every call takes m_mutex, which owns the file and the times.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "simulator/standin.h"

namespace zrb::standin {

class FlightRecord {
public:
    static constexpr std::chrono::milliseconds recordInterval{500};

    // Throws std::runtime_error when the file cannot be opened for writing.
    explicit FlightRecord(const std::filesystem::path& path);

    void created(const SimAircraft& object);
    void refused(const std::string& title, const std::string& atcId, std::uint32_t exception);
    void moved(const SimAircraft& object);
    void removed(std::uint32_t objectId, std::string_view by);
    void user(const SimAircraft& user);

private:
    void write(const std::string& line);  // m_mutex held

    std::mutex m_mutex;
    std::ofstream m_out;
    std::map<std::uint32_t, std::chrono::steady_clock::time_point> m_lastMove;
};

}  // namespace zrb::standin
