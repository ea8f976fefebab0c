#include "simulator/flight_record.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace zrb::standin {

namespace {

double lf_nowUtcSeconds() {
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count()) / 1000.0;
}

nlohmann::json lf_position(const SimAircraft& a) {
    return {{"lat", a.latitudeDeg},  {"lon", a.longitudeDeg}, {"altFt", a.altitudeFt},
            {"hdg", a.headingDeg},   {"pitch", a.pitchDeg},   {"bank", a.bankDeg},
            {"onGround", a.onGround}};
}

}  // namespace

FlightRecord::FlightRecord(const std::filesystem::path& path) : m_out(path, std::ios::binary | std::ios::trunc) {
    if (!m_out) throw std::runtime_error("cannot write the flight record " + path.string());
}

void FlightRecord::write(const std::string& line) {
    m_out << line << '\n';
    m_out.flush();
}

void FlightRecord::created(const SimAircraft& object) {
    nlohmann::json j = lf_position(object);
    j["t"] = lf_nowUtcSeconds();
    j["ev"] = "create";
    j["id"] = object.objectId;
    j["title"] = object.title;
    j["atcId"] = object.atcId;
    std::lock_guard lock(m_mutex);
    m_lastMove.erase(object.objectId);
    write(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void FlightRecord::refused(const std::string& title, const std::string& atcId, std::uint32_t exception) {
    const nlohmann::json j = {{"t", lf_nowUtcSeconds()}, {"ev", "refuse"}, {"title", title},
                              {"atcId", atcId},          {"exception", exception}};
    std::lock_guard lock(m_mutex);
    write(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void FlightRecord::moved(const SimAircraft& object) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_mutex);
    const auto last = m_lastMove.find(object.objectId);
    if (last != m_lastMove.end() && now - last->second < recordInterval) return;
    m_lastMove[object.objectId] = now;
    nlohmann::json j = lf_position(object);
    j["t"] = lf_nowUtcSeconds();
    j["ev"] = "move";
    j["id"] = object.objectId;
    write(j.dump());
}

void FlightRecord::removed(std::uint32_t objectId, std::string_view by) {
    const nlohmann::json j = {{"t", lf_nowUtcSeconds()}, {"ev", "remove"}, {"id", objectId}, {"by", by}};
    std::lock_guard lock(m_mutex);
    m_lastMove.erase(objectId);
    write(j.dump());
}

void FlightRecord::user(const SimAircraft& userAircraft) {
    nlohmann::json j = lf_position(userAircraft);
    j["t"] = lf_nowUtcSeconds();
    j["ev"] = "user";
    std::lock_guard lock(m_mutex);
    write(j.dump());
}

}  // namespace zrb::standin
