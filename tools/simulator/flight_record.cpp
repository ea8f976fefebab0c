#include "simulator/flight_record.h"

#include <iconv.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace zrb::standin {

namespace {

double lf_nowUtcSeconds() {
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count()) / 1000.0;
}

// Closes the descriptor when it goes.
struct Iconv {
    explicit Iconv(const char* codePage) : cd(iconv_open("UTF-8", codePage)) {
        if (cd == reinterpret_cast<iconv_t>(-1)) throw std::system_error(errno, std::generic_category(), "iconv_open");
    }
    ~Iconv() { iconv_close(cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    // False when a byte is no character of the page; in and out then point at it.
    bool convert(char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) const {
        return iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    }
    iconv_t cd;
};

// A title as the simulator shows it, in UTF-8, through the C library's iconv
// rather than a converter of the program's: its bytes where they are UTF-8,
// else in the system's legacy code page, Windows-1252 on the machines the
// demo stands for, whose five unused bytes Windows shows as the control
// characters of their value (as ISO-8859-1 reads them).
std::string lf_shownTitle(const std::string& bytes) {
    std::string text(bytes.size() * 3, '\0');  // no character of these pages takes more
    const auto decoded = [&](const char* codePage, const Iconv* unused) -> std::optional<std::string> {
        const Iconv page(codePage);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* out = text.data();
        std::size_t outLeft = text.size();
        while (!page.convert(in, inLeft, out, outLeft)) {
            std::size_t one = 1;
            if (unused == nullptr || errno != EILSEQ || !unused->convert(in, one, out, outLeft)) return std::nullopt;
            --inLeft;
        }
        return text.substr(0, text.size() - outLeft);
    };
    if (auto utf8 = decoded("UTF-8", nullptr)) return *std::move(utf8);
    const Iconv latin1("ISO-8859-1");
    return decoded("WINDOWS-1252", &latin1).value_or(std::string());
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
    j["title"] = lf_shownTitle(object.title);
    j["atcId"] = object.atcId;
    std::lock_guard lock(m_mutex);
    m_lastMove.erase(object.objectId);
    write(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void FlightRecord::refused(const std::string& title, const std::string& atcId, std::uint32_t exception) {
    const nlohmann::json j = {{"t", lf_nowUtcSeconds()}, {"ev", "refuse"}, {"title", lf_shownTitle(title)},
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
