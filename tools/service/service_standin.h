#pragma once
// A stand-in for the live-traffic service on loopback: HTTPS on a port the
// system chooses, the five endpoints with scripted traffic (Scenario), faults
// to inject per endpoint (a status, a raw or empty body, malformed JSON, a
// stall), and a record of every form it received. It refuses what the service
// refuses, with status 400 and "parameter fault: ...": a body that is not a
// form, an unknown query type, a missing license or software, and a field that
// is missing, not a number or out of its range.
//
// Threads: the server answers on its own threads; the scenario, the valid
// sessions, the injections and the received forms are owned by m_mutex, so a
// test may change and read them while the server runs. Stalled replies wait
// on m_wake and end when released or when the stand-in stops.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "service/scenario.h"

namespace httplib {
class Server;
}

namespace zrb::tools {

enum class StandInEndpoint { auth, deauth, live, history, parked, nearestMetar, weather };

// One fault for the next answers of an endpoint. With none of status, json
// and body set the endpoint answers as usual (after the delay).
struct Injection {
    std::optional<int> status;          // {"status":N} (+ "message" when not empty)
    std::string message;
    std::optional<nlohmann::json> json;  // this whole reply
    std::optional<std::string> body;     // this raw body ("" = empty, "{x" = malformed)
    int delayMs = 0;                     // wait before answering; -1 = until released
    int times = 1;                       // answers it applies to; -1 = every one
    int httpStatus = 200;
};

struct ReceivedForm {
    std::string path;
    std::string body;                           // raw form body
    std::multimap<std::string, std::string> fields;  // decoded
    std::string acceptEncoding;
    std::string contentType;
    int remotePort = 0;  // a new port = a new connection
    double at = 0.0;     // s since 1970

    std::string field(const std::string& name) const;
};

class ServiceStandIn {
public:
    // Makes a certificate in the folder (openssl) and starts serving on the
    // port (0 = one the system chooses).
    explicit ServiceStandIn(const std::filesystem::path& certificateFolder, int port = 0);
    ~ServiceStandIn();
    ServiceStandIn(const ServiceStandIn&) = delete;
    ServiceStandIn& operator=(const ServiceStandIn&) = delete;

    int port() const { return m_port; }
    // "https://localhost:port" (the certificate names localhost).
    std::string baseUrl() const;
    std::string caFile() const;

    void setScenario(Scenario scenario);
    // From now on, every aircraft the live, history and parked replies
    // report is written to the file, one JSON line each ("kind", "sent" and
    // the values sent). Throws std::runtime_error when it cannot be opened.
    void recordTo(const std::filesystem::path& file);
    Scenario scenario() const;
    // Adds a fault for the endpoint (queued behind earlier ones).
    void inject(StandInEndpoint endpoint, Injection injection);
    void clearInjections();
    // Ends every stalled reply now.
    void releaseStalls();
    // Replies held now by an injection that waits until released.
    int stalledAnswers() const;
    // Sessions: the logins' GUIDs stay valid until a logout or this.
    void invalidateSessions();
    void addSession(const std::string& guid);

    std::vector<ReceivedForm> forms() const;
    std::vector<ReceivedForm> forms(const std::string& path) const;
    void clearForms();

    void stop();

private:
    struct Answer {
        int httpStatus = 200;
        std::string body;
    };

    void start(int port);
    Answer handle(const std::string& path, ReceivedForm form);
    Answer answerFor(StandInEndpoint endpoint, const ReceivedForm& form);
    void record(const char* kind, const nlohmann::json& data);  // m_mutex held
    std::optional<Injection> takeInjection(StandInEndpoint endpoint);
    bool waitOrStop(int delayMs);

    std::filesystem::path m_folder;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;  // owns everything below
    std::condition_variable m_wake;
    Scenario m_scenario;
    std::set<std::string> m_sessions;
    std::map<StandInEndpoint, std::deque<Injection>> m_injections;
    std::vector<ReceivedForm> m_forms;
    std::uint64_t m_releaseCount = 0;
    int m_stalled = 0;
    std::uint64_t m_nextSession = 1;
    bool m_stopping = false;
    std::unique_ptr<std::ofstream> m_record;
};

}  // namespace zrb::tools
