#pragma once
// A stand-in for the program's download site, on loopback: an HTTP or HTTPS
// server on a port the system chooses, serving a set of paths with a status
// and a body, and recording each request's path and user agent. A path can be
// told to stall (send nothing) so that time-outs can be tried.
//
// Threads: the server answers on its own threads; the served files, the stall
// set and the request log are owned by m_mutex, so a test may change and read
// them while the server runs.

#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace zrb::tools {

class DownloadSite {
public:
    struct Request {
        std::string path;
        std::string userAgent;
    };

    // HTTPS when a certificate and its key are given, else HTTP. Port 0 lets
    // the system choose; a port that cannot be bound throws.
    DownloadSite();
    DownloadSite(const std::filesystem::path& certificate, const std::filesystem::path& privateKey, int port = 0);
    ~DownloadSite();
    DownloadSite(const DownloadSite&) = delete;
    DownloadSite& operator=(const DownloadSite&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:port/", or "https://localhost:port/" (certificates
    // name the host, and not every TLS stack matches an address).
    std::string baseUrl() const;

    // Serves the path ("/versions.json") with the status and the body.
    void serve(const std::string& path, std::string body, int status = 200);
    void remove(const std::string& path);
    // The path answers nothing until the site is stopped.
    void stall(const std::string& path);
    // The path answers 200 and the first bytes of its body, then nothing more
    // until the site is stopped: a client that wants only the answer has it, one
    // that wants the file waits.
    void stallBody(const std::string& path, std::string firstBytes);
    // The path answers 200 and then a few bytes at a time, bytesPerSecond in
    // all, until it has sent totalBytes or the site is stopped.
    void trickle(const std::string& path, std::size_t bytesPerSecond, std::size_t totalBytes);

    std::vector<Request> requests() const;
    // How many requests asked for the path.
    std::size_t requestCount(const std::string& path) const;

    void stop();

private:
    struct Reply {
        int status = 200;
        std::string body;
    };

    void start(int port);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    bool m_https = false;
    mutable std::mutex m_mutex;          // owns m_replies, m_stalled, m_trickles, m_bodyStalls, m_requests, m_stopping
    std::condition_variable m_wake;      // wakes stalled replies when the site stops
    std::map<std::string, Reply> m_replies;
    std::vector<std::string> m_stalled;
    struct Trickle {
        std::size_t bytesPerSecond = 0;
        std::size_t totalBytes = 0;
    };
    std::map<std::string, Trickle> m_trickles;
    std::map<std::string, std::string> m_bodyStalls;  // path -> the bytes sent before the stall
    std::vector<Request> m_requests;
    bool m_stopping = false;
};

// Makes a self-signed certificate for "localhost" and 127.0.0.1 with the
// openssl command: <folder>/cert.pem (also the CA file a client trusts) and
// <folder>/key.pem. False when openssl is missing or fails.
bool gf_makeTestCertificate(const std::filesystem::path& folder);

}  // namespace zrb::tools
