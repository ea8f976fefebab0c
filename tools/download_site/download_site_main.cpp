// tlv-download-site CERTFOLDER FILESFOLDER [PORT]
// The download site as a program, for the demo: serves every file under
// FILESFOLDER (read once at the start; "P3D/x.zip" is served at "/P3D/x.zip")
// over HTTPS on loopback until interrupted, with a certificate for localhost
// made in CERTFOLDER. Prints "url=<base URL>" and "ca=<CA file>"; a demo build
// points TOLVAREN_DOWNLOAD_BASE_URL and TOLVAREN_DOWNLOAD_CA_FILE at them.
// Port 0 (the default) lets the system choose. A file named "x.stall" makes
// "x" a path that takes the request and never answers; one named
// "x.stallbody" makes "x" a path that answers 200 with that file's bytes and
// then sends nothing more. It also prints "never_accepting_url=<URL>": a port
// on loopback whose queue is full and that never accepts, as an unreachable
// host behaves.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "download_site/download_site.h"

namespace {

namespace fs = std::filesystem;

constexpr auto pollInterval = std::chrono::milliseconds(100);

std::atomic<bool> g_interrupted{false};
void lf_onSignal(int) { g_interrupted = true; }

std::string lf_readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr std::string_view stallSuffix = ".stall";
constexpr std::string_view stallBodySuffix = ".stallbody";
constexpr int fullQueueConnections = 4;

// A listener that never accepts, its queue filled so that a further connect
// hangs; the sockets stay open until the program ends.
int lf_neverAcceptingPort() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 0) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot open the never-accepting port");
    for (int i = 0; i < fullQueueConnections; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        (void)::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    return ntohs(address.sin_port);
}

// Serves each regular file under the folder; returns how many.
int lf_serveFolder(zrb::tools::DownloadSite& site, const fs::path& folder) {
    int count = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = "/" + fs::relative(entry.path(), folder).generic_string();
        if (path.ends_with(stallBodySuffix)) {
            site.stallBody(path.substr(0, path.size() - stallBodySuffix.size()), lf_readAll(entry.path()));
            continue;
        }
        if (path.ends_with(stallSuffix)) {
            site.stall(path.substr(0, path.size() - stallSuffix.size()));
            continue;
        }
        site.serve(path, lf_readAll(entry.path()));
        ++count;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s CERTFOLDER FILESFOLDER [PORT]\n", argv[0]);
        return 2;
    }
    std::signal(SIGINT, lf_onSignal);
    std::signal(SIGTERM, lf_onSignal);
    try {
        const fs::path certFolder = argv[1];
        const fs::path filesFolder = argv[2];
        const int port = argc > 3 ? std::atoi(argv[3]) : 0;
        fs::create_directories(certFolder);
        if (!zrb::tools::gf_makeTestCertificate(certFolder))
            throw std::runtime_error("cannot make a certificate in " + certFolder.string() + " (is openssl installed?)");
        zrb::tools::DownloadSite site(certFolder / "cert.pem", certFolder / "key.pem", port);
        const int files = lf_serveFolder(site, filesFolder);
        const int neverAccepting = lf_neverAcceptingPort();
        std::printf("url=%s\nca=%s\nfiles=%d\nnever_accepting_url=http://127.0.0.1:%d/\n", site.baseUrl().c_str(),
                    (certFolder / "cert.pem").string().c_str(), files, neverAccepting);
        std::fflush(stdout);
        while (!g_interrupted) std::this_thread::sleep_for(pollInterval);
        site.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlv-download-site: %s\n", e.what());
        return 1;
    }
    return 0;
}
