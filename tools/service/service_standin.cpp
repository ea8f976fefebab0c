#include "service/service_standin.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <initializer_list>
#include <stdexcept>

#include <fmt/format.h>
#include <httplib.h>

#include "download_site/download_site.h"

namespace zrb::tools {

namespace {
constexpr const char* jsonType = "application/json";
constexpr const char* serverName = "standin-1";
constexpr int statusUnauthorised = 401;

double lf_now() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

constexpr int statusParameterFault = 400;
constexpr const char* formType = "application/x-www-form-urlencoded";

// The whole field as a number; nothing when it is missing or holds anything else.
std::optional<double> lf_numberField(const ReceivedForm& form, const std::string& name) {
    if (form.fields.count(name) == 0) return std::nullopt;
    const std::string text = form.field(name);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A field checked by lf_refusal: always there and a number.
double lf_number(const ReceivedForm& form, const std::string& name) { return lf_numberField(form, name).value_or(0.0); }

// What the service refuses as a parameter fault, as it would: a body that is
// not a form, a query type it does not serve, a field that is missing, not a
// number where a number belongs, or out of its range. Empty when the form is
// sound.
std::string lf_refusal(StandInEndpoint endpoint, const ReceivedForm& form) {
    if (form.contentType.rfind(formType, 0) != 0) return "not a form: " + form.contentType;
    const auto number = [&](const std::string& name, double low, double high) -> std::string {
        const auto value = lf_numberField(form, name);
        if (!value) return name + " missing or not a number";
        if (*value < low || *value > high) return name + " out of range";
        return {};
    };
    const auto first = [](std::initializer_list<std::string> faults) {
        for (const auto& fault : faults)
            if (!fault.empty()) return fault;
        return std::string();
    };
    const std::string toffset = number("toffset", 0, 40320);
    switch (endpoint) {
        case StandInEndpoint::auth: {
            if (form.field("license").empty()) return "license missing";
            const std::string software = form.field("software");
            const auto joint = software.rfind('_');
            if (joint == std::string::npos || joint == 0 || joint + 1 == software.size()) return "software missing";
            return {};
        }
        case StandInEndpoint::deauth: return {};
        case StandInEndpoint::live:
        case StandInEndpoint::history:
        case StandInEndpoint::parked: {
            const std::string querytype = form.field("querytype");
            if (querytype != "locationtraffic" && querytype != "parkedtraffic") return "querytype unknown: " + querytype;
            std::string fault = first({number("top", -90, 90), number("bottom", -90, 90), number("left", -180, 180),
                                       number("right", -180, 180), toffset});
            if (fault.empty() && lf_number(form, "top") <= lf_number(form, "bottom")) fault = "top not above bottom";
            if (fault.empty() && endpoint == StandInEndpoint::history)
                fault = querytype != "locationtraffic" ? "history of parked traffic"
                                                       : first({number("buffercount", 1, 10), number("buffertime", 1, 60)});
            return fault;
        }
        case StandInEndpoint::nearestMetar: return first({toffset, number("lat", -90, 90), number("lon", -180, 180)});
        case StandInEndpoint::weather:
            if (form.field("querytype") != "locwx") return "querytype unknown: " + form.field("querytype");
            if (form.fields.count("airports") == 0) return "airports missing";
            return first({toffset, number("lat", -90, 90), number("lon", -180, 180), number("alt", 0, 100000)});
    }
    return {};
}

std::optional<StandInEndpoint> lf_endpointByName(const std::string& name) {
    static const std::map<std::string, StandInEndpoint> names{
        {"auth", StandInEndpoint::auth},       {"deauth", StandInEndpoint::deauth},
        {"traffic", StandInEndpoint::live},    {"history", StandInEndpoint::history},
        {"parked", StandInEndpoint::parked},   {"nearestmetar", StandInEndpoint::nearestMetar},
        {"weather", StandInEndpoint::weather},
    };
    const auto it = names.find(name);
    if (it == names.end()) return std::nullopt;
    return it->second;
}
}  // namespace

std::string ReceivedForm::field(const std::string& name) const {
    const auto it = fields.find(name);
    return it == fields.end() ? std::string{} : it->second;
}

ServiceStandIn::ServiceStandIn(const std::filesystem::path& certificateFolder, int port) : m_folder(certificateFolder) {
    if (!gf_makeTestCertificate(m_folder)) throw std::runtime_error("the service stand-in cannot make its certificate");
    m_server = std::make_unique<httplib::SSLServer>((m_folder / "cert.pem").string().c_str(), (m_folder / "key.pem").string().c_str());
    if (!m_server->is_valid()) throw std::runtime_error("the service stand-in cannot use its certificate");
    m_scenario = gf_amsterdamScenario(lf_now());
    start(port);
}

ServiceStandIn::~ServiceStandIn() { stop(); }

std::string ServiceStandIn::baseUrl() const { return fmt::format("https://localhost:{}", m_port); }

std::string ServiceStandIn::caFile() const { return (m_folder / "cert.pem").string(); }

void ServiceStandIn::start(int port) {
    for (const char* path : {"/v4/auth", "/v4/deauth", "/v4/traffic", "/v4/nearestmetar", "/v4/weather"}) {
        m_server->Post(path, [this, p = std::string(path)](const httplib::Request& req, httplib::Response& res) {
            ReceivedForm form;
            form.path = p;
            form.body = req.body;
            httplib::detail::parse_query_text(req.body, form.fields);
            form.acceptEncoding = req.get_header_value("Accept-Encoding");
            form.contentType = req.get_header_value("Content-Type");
            form.remotePort = req.remote_port;
            form.at = lf_now();
            const Answer answer = handle(p, std::move(form));
            res.status = answer.httpStatus;
            res.set_content(answer.body, jsonType);
        });
    }
    // Control of a running stand-in (the demo program): faults and the record.
    m_server->Post("/control/inject", [this](const httplib::Request& req, httplib::Response& res) {
        const nlohmann::json order = nlohmann::json::parse(req.body, nullptr, false);
        const auto endpoint = order.is_object() ? lf_endpointByName(order.value("endpoint", "")) : std::nullopt;
        if (!endpoint) {
            res.status = 400;
            res.set_content(R"({"error":"endpoint: auth, deauth, traffic, history, parked, nearestmetar or weather"})", jsonType);
            return;
        }
        Injection injection;
        if (order.contains("status")) injection.status = order.value("status", 200);
        injection.message = order.value("message", "");
        if (order.contains("body")) injection.body = order.value("body", "");
        injection.delayMs = order.value("delay_ms", 0);
        injection.times = order.value("times", 1);
        inject(*endpoint, injection);
        res.set_content(R"({"ok":true})", jsonType);
    });
    m_server->Get("/control/forms", [this](const httplib::Request&, httplib::Response& res) {
        nlohmann::json list = nlohmann::json::array();
        for (const ReceivedForm& f : forms()) list.push_back({{"path", f.path}, {"body", f.body}, {"at", f.at}});
        res.set_content(list.dump(), jsonType);
    });
    if (port == 0) {
        m_port = m_server->bind_to_any_port("127.0.0.1");
    } else {
        m_port = m_server->bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (m_port <= 0) throw std::runtime_error("the service stand-in cannot bind a port");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ServiceStandIn::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return;
        m_stopping = true;
    }
    m_wake.notify_all();
    m_server->stop();
    if (m_thread.joinable()) m_thread.join();
}

void ServiceStandIn::recordTo(const std::filesystem::path& file) {
    auto out = std::make_unique<std::ofstream>(file, std::ios::binary | std::ios::trunc);
    if (!*out) throw std::runtime_error("cannot write " + file.string());
    std::lock_guard lock(m_mutex);
    m_record = std::move(out);
}

void ServiceStandIn::record(const char* kind, const nlohmann::json& data) {
    if (!m_record) return;
    const double sent = lf_now();
    for (const auto& [hex, v] : data.items()) {
        if (!v.is_array()) continue;
        nlohmann::json line;
        if (std::string_view(kind) == "parked") {
            line = {{"kind", kind}, {"sent", sent}, {"hex", hex}, {"lat", v[0]}, {"lon", v[1]}, {"stand", v[2]},
                    {"type", v[3]}, {"reg", v[4]}, {"t", v[5]}, {"cs", v[6]}};
        } else {
            line = {{"kind", kind}, {"sent", sent}, {"hex", hex},   {"lat", v[1]},  {"lon", v[2]},
                    {"track", v[3]}, {"altFt", v[4]}, {"gs", v[5]}, {"type", v[8]}, {"reg", v[9]},
                    {"t", v[10]},    {"cs", v[13]}};
        }
        *m_record << line.dump() << '\n';
    }
    m_record->flush();
}

void ServiceStandIn::setScenario(Scenario scenario) {
    std::lock_guard lock(m_mutex);
    m_scenario = std::move(scenario);
}

Scenario ServiceStandIn::scenario() const {
    std::lock_guard lock(m_mutex);
    return m_scenario;
}

void ServiceStandIn::inject(StandInEndpoint endpoint, Injection injection) {
    std::lock_guard lock(m_mutex);
    m_injections[endpoint].push_back(std::move(injection));
}

void ServiceStandIn::clearInjections() {
    std::lock_guard lock(m_mutex);
    m_injections.clear();
}

void ServiceStandIn::releaseStalls() {
    {
        std::lock_guard lock(m_mutex);
        ++m_releaseCount;
    }
    m_wake.notify_all();
}

void ServiceStandIn::invalidateSessions() {
    std::lock_guard lock(m_mutex);
    m_sessions.clear();
}

void ServiceStandIn::addSession(const std::string& guid) {
    std::lock_guard lock(m_mutex);
    m_sessions.insert(guid);
}

std::vector<ReceivedForm> ServiceStandIn::forms() const {
    std::lock_guard lock(m_mutex);
    return m_forms;
}

std::vector<ReceivedForm> ServiceStandIn::forms(const std::string& path) const {
    std::vector<ReceivedForm> selected;
    std::lock_guard lock(m_mutex);
    for (const ReceivedForm& f : m_forms) {
        if (f.path == path) selected.push_back(f);
    }
    return selected;
}

int ServiceStandIn::stalledAnswers() const {
    std::lock_guard lock(m_mutex);
    return m_stalled;
}

void ServiceStandIn::clearForms() {
    std::lock_guard lock(m_mutex);
    m_forms.clear();
}

std::optional<Injection> ServiceStandIn::takeInjection(StandInEndpoint endpoint) {
    std::lock_guard lock(m_mutex);
    auto it = m_injections.find(endpoint);
    if (it == m_injections.end() || it->second.empty()) return std::nullopt;
    Injection injection = it->second.front();
    if (it->second.front().times > 0 && --it->second.front().times == 0) it->second.pop_front();
    return injection;
}

bool ServiceStandIn::waitOrStop(int delayMs) {
    std::unique_lock lock(m_mutex);
    const std::uint64_t release = m_releaseCount;
    const auto done = [&] { return m_stopping || m_releaseCount != release; };
    if (delayMs < 0) {
        ++m_stalled;
        m_wake.wait(lock, done);
        --m_stalled;
    } else {
        m_wake.wait_for(lock, std::chrono::milliseconds(delayMs), done);
    }
    return !m_stopping;
}

ServiceStandIn::Answer ServiceStandIn::handle(const std::string& path, ReceivedForm form) {
    {
        std::lock_guard lock(m_mutex);
        m_forms.push_back(form);
    }
    StandInEndpoint endpoint = StandInEndpoint::live;
    if (path == "/v4/auth") {
        endpoint = StandInEndpoint::auth;
    } else if (path == "/v4/deauth") {
        endpoint = StandInEndpoint::deauth;
    } else if (path == "/v4/nearestmetar") {
        endpoint = StandInEndpoint::nearestMetar;
    } else if (path == "/v4/weather") {
        endpoint = StandInEndpoint::weather;
    } else if (form.field("querytype") == "parkedtraffic") {
        endpoint = StandInEndpoint::parked;
    } else if (!form.field("buffercount").empty()) {
        endpoint = StandInEndpoint::history;
    }
    if (const std::string fault = lf_refusal(endpoint, form); !fault.empty()) {
        const nlohmann::json reply{{"status", statusParameterFault}, {"message", "parameter fault: " + fault}};
        return Answer{200, reply.dump()};
    }
    if (const std::optional<Injection> injection = takeInjection(endpoint)) {
        if (injection->delayMs != 0 && !waitOrStop(injection->delayMs)) return Answer{503, ""};
        Answer answer;
        answer.httpStatus = injection->httpStatus;
        if (injection->body) {
            answer.body = *injection->body;
            return answer;
        }
        if (injection->json) {
            answer.body = injection->json->dump();
            return answer;
        }
        if (injection->status) {
            nlohmann::json reply{{"status", *injection->status}};
            if (!injection->message.empty()) reply["message"] = injection->message;
            answer.body = reply.dump();
            return answer;
        }
    }
    return answerFor(endpoint, form);
}

ServiceStandIn::Answer ServiceStandIn::answerFor(StandInEndpoint endpoint, const ReceivedForm& form) {
    std::lock_guard lock(m_mutex);
    const Scenario& s = m_scenario;
    nlohmann::json reply;
    if (endpoint == StandInEndpoint::auth) {
        const std::string guid = fmt::format("5f3c{:08x}-standin-{:04d}", static_cast<unsigned>(m_port), m_nextSession++);
        m_sessions.insert(guid);
        reply = {{"status", 200}, {"GUID", guid}, {"rrl", s.rrl}, {"wrrl", s.wrrl}, {"server", serverName}};
        return Answer{200, reply.dump()};
    }
    if (m_sessions.count(form.field("GUID")) == 0) {
        reply = {{"status", statusUnauthorised}, {"message", "GUID not valid"}};
        return Answer{200, reply.dump()};
    }
    const double t = lf_now() - lf_number(form, "toffset") * 60.0;
    switch (endpoint) {
        case StandInEndpoint::deauth:
            m_sessions.erase(form.field("GUID"));
            reply = {{"status", 200}, {"message", "Logged out of"}, {"server", serverName}};
            break;
        case StandInEndpoint::live:
            reply = {{"status", 200}, {"rrl", s.rrl},
                     {"data", gf_trafficData(s, lf_number(form, "top"), lf_number(form, "bottom"), lf_number(form, "left"),
                                             lf_number(form, "right"), t)}};
            record("live", reply["data"]);
            break;
        case StandInEndpoint::history: {
            const int count = static_cast<int>(lf_number(form, "buffercount"));
            const double spacing = lf_number(form, "buffertime");
            nlohmann::json data = nlohmann::json::object();
            for (int i = 0; i < count && i < 10; ++i) {
                data[fmt::format("buffer_{}", i)] = gf_trafficData(s, lf_number(form, "top"), lf_number(form, "bottom"),
                                                                  lf_number(form, "left"), lf_number(form, "right"), t - spacing * i);
                record("history", data[fmt::format("buffer_{}", i)]);
            }
            reply = {{"status", 200}, {"rrl", s.rrl}, {"data", data}};
            break;
        }
        case StandInEndpoint::parked:
            reply = {{"status", 200}, {"rrl", s.rrl},
                     {"data", gf_parkedData(s, lf_number(form, "top"), lf_number(form, "bottom"), lf_number(form, "left"),
                                            lf_number(form, "right"), t)}};
            record("parked", reply["data"]);
            break;
        case StandInEndpoint::nearestMetar: {
            nlohmann::json data = nlohmann::json::array();
            if (s.metarStation) data.push_back({{"ICAO", *s.metarStation}, {"Dist", 3.2}});
            reply = {{"status", 200}, {"data", data}};
            break;
        }
        case StandInEndpoint::weather: {
            nlohmann::json data = {{"METAR", fmt::format("{} 061150Z 24012KT 9999 FEW030 08/04", form.field("airports"))}};
            if (!s.qnh.is_null()) data["QNH"] = s.qnh;
            reply = {{"status", 200}, {"wrrl", s.wrrl}, {"data", data}};
            break;
        }
        case StandInEndpoint::auth:
            break;
    }
    return Answer{200, reply.dump()};
}

}  // namespace zrb::tools
