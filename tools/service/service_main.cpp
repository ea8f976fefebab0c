// The live-traffic service stand-in as a program, for the demo: serves the
// Amsterdam scenario on loopback until interrupted, and tells where.
//   tlv-service [folder for the certificate] [port]
// A demo build points TOLVAREN_SERVICE_HOST at https://localhost:<port> and
// TOLVAREN_SERVICE_CA_FILE at <folder>/cert.pem.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "service/service_standin.h"

namespace {
std::atomic<bool> g_interrupted{false};
void lf_onSignal(int) { g_interrupted = true; }
}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "service-standin";
    std::filesystem::create_directories(folder);
    std::signal(SIGINT, lf_onSignal);
    std::signal(SIGTERM, lf_onSignal);
    try {
        const int port = argc > 2 ? std::atoi(argv[2]) : 0;
        zrb::tools::ServiceStandIn service(folder, port);
        std::printf("url=%s\nca=%s\n", service.baseUrl().c_str(), service.caFile().c_str());
        std::fflush(stdout);
        while (!g_interrupted) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        service.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlv-service: %s\n", e.what());
        return 1;
    }
    return 0;
}
