// tlv-download-site CERTFOLDER FILESFOLDER [PORT]
// The download site as a program, for the demo: serves every file under
// FILESFOLDER (read once at the start; "P3D/x.zip" is served at "/P3D/x.zip")
// over HTTPS on loopback until interrupted, with a certificate for localhost
// made in CERTFOLDER. Prints "url=<base URL>" and "ca=<CA file>"; a demo build
// points TOLVAREN_DOWNLOAD_BASE_URL and TOLVAREN_DOWNLOAD_CA_FILE at them.
// Port 0 (the default) lets the system choose. A file named "x.stall" makes
// "x" a path that takes the request and never answers.
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

// Serves each regular file under the folder; returns how many.
int lf_serveFolder(zrb::tools::DownloadSite& site, const fs::path& folder) {
    int count = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = "/" + fs::relative(entry.path(), folder).generic_string();
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
        std::printf("url=%s\nca=%s\nfiles=%d\n", site.baseUrl().c_str(), (certFolder / "cert.pem").string().c_str(),
                    files);
        std::fflush(stdout);
        while (!g_interrupted) std::this_thread::sleep_for(pollInterval);
        site.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlv-download-site: %s\n", e.what());
        return 1;
    }
    return 0;
}
