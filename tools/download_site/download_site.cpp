#include "download_site/download_site.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include <httplib.h>

namespace zrb::tools {

namespace {
constexpr const char* loopback = "127.0.0.1";
constexpr auto startTimeout = std::chrono::seconds(10);
}

DownloadSite::DownloadSite() : m_server(std::make_unique<httplib::Server>()) { start(0); }

DownloadSite::DownloadSite(const std::filesystem::path& certificate, const std::filesystem::path& privateKey, int port)
    : m_server(std::make_unique<httplib::SSLServer>(certificate.string().c_str(), privateKey.string().c_str())),
      m_https(true) {
    if (!m_server->is_valid()) throw std::runtime_error("the HTTPS stand-in cannot use its certificate");
    start(port);
}

DownloadSite::~DownloadSite() { stop(); }

void DownloadSite::start(int port) {
    m_server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(m_mutex);
        m_requests.push_back({request.path, request.get_header_value("User-Agent")});
        if (std::ranges::find(m_stalled, request.path) != m_stalled.end()) {
            m_wake.wait(lock, [this] { return m_stopping; });
            response.status = 503;
            return;
        }
        if (const auto stall = m_bodyStalls.find(request.path); stall != m_bodyStalls.end()) {
            response.status = 200;
            response.set_chunked_content_provider(
                "application/octet-stream",
                [this, first = stall->second, sent = false](std::size_t, httplib::DataSink& sink) mutable {
                    if (!sent) {
                        sent = true;
                        return sink.write(first.data(), first.size());
                    }
                    std::unique_lock wait(m_mutex);
                    m_wake.wait(wait, [this] { return m_stopping; });
                    return false;
                });
            return;
        }
        if (const auto trickle = m_trickles.find(request.path); trickle != m_trickles.end()) {
            const Trickle t = trickle->second;
            response.status = 200;
            response.set_chunked_content_provider(
                "application/octet-stream", [this, t, sent = std::size_t{0}](std::size_t, httplib::DataSink& sink) mutable {
                    constexpr auto step = std::chrono::milliseconds(100);
                    const std::size_t chunk = std::max<std::size_t>(1, t.bytesPerSecond / 10);
                    {
                        std::unique_lock wait(m_mutex);
                        if (m_wake.wait_for(wait, step, [this] { return m_stopping; })) return false;
                    }
                    const std::string bytes(std::min(chunk, t.totalBytes - sent), 'x');
                    if (!sink.write(bytes.data(), bytes.size())) return false;
                    sent += bytes.size();
                    if (sent >= t.totalBytes) sink.done();
                    return true;
                });
            return;
        }
        const auto it = m_replies.find(request.path);
        if (it == m_replies.end()) {
            response.status = 404;
            response.set_content("not here", "text/plain");
            return;
        }
        response.status = it->second.status;
        response.set_content(it->second.body, "application/octet-stream");
    });
    if (port == 0) {
        m_port = m_server->bind_to_any_port(loopback);
    } else {
        m_port = m_server->bind_to_port(loopback, port) ? port : -1;
    }
    if (m_port <= 0) throw std::runtime_error("the download stand-in cannot bind a port");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop before the server runs would be lost (stop() only ends a running
    // server) and the join in the destructor would wait for ever.
    const auto deadline = std::chrono::steady_clock::now() + startTimeout;
    while (!m_server->is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::string DownloadSite::baseUrl() const {
    return (m_https ? "https://localhost:" : "http://127.0.0.1:") + std::to_string(m_port) + "/";
}

void DownloadSite::serve(const std::string& path, std::string body, int status) {
    std::lock_guard lock(m_mutex);
    m_replies[path] = Reply{status, std::move(body)};
}

void DownloadSite::trickle(const std::string& path, std::size_t bytesPerSecond, std::size_t totalBytes) {
    std::lock_guard lock(m_mutex);
    m_trickles[path] = Trickle{bytesPerSecond, totalBytes};
}

void DownloadSite::stallBody(const std::string& path, std::string firstBytes) {
    std::lock_guard lock(m_mutex);
    m_bodyStalls[path] = std::move(firstBytes);
}

void DownloadSite::remove(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_replies.erase(path);
}

void DownloadSite::stall(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_stalled.push_back(path);
}

std::vector<DownloadSite::Request> DownloadSite::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t DownloadSite::requestCount(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::ranges::count_if(m_requests, [&](const Request& request) { return request.path == path; }));
}

void DownloadSite::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return;
        m_stopping = true;
    }
    m_wake.notify_all();
    m_server->stop();
    if (m_thread.joinable()) m_thread.join();
}

bool gf_makeTestCertificate(const std::filesystem::path& folder) {
    const auto cert = (folder / "cert.pem").string();
    const auto key = (folder / "key.pem").string();
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost"
        " -addext subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout '" +
        key + "' -out '" + cert + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(cert) && std::filesystem::exists(key);
}

}  // namespace zrb::tools
