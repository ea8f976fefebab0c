// The live-traffic service stand-in as a program, for the demo: serves its
// traffic on loopback until interrupted, and tells where.
//   tlv-service [FOLDER] [--demo] [--record FILE] [PORT]
// FOLDER holds the certificate. With --demo it plays the demo's Schiphol
// scenario (tools/demo), otherwise its small Amsterdam one; with --record it
// writes every aircraft it reports to FILE, one JSON line each. A demo build
// points TOLVAREN_SERVICE_HOST at https://localhost:<port> and
// TOLVAREN_SERVICE_CA_FILE at <folder>/cert.pem.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "demo/demo_scenario.h"
#include "service/service_standin.h"

namespace {
std::atomic<bool> g_interrupted{false};
void lf_onSignal(int) { g_interrupted = true; }

double lf_now() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    bool demo = false;
    std::string recordFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--demo") demo = true;
        else if (arg == "--record" && i + 1 < argc) recordFile = argv[++i];
        else if (arg.rfind("--", 0) == 0 || positional.size() == 2) {
            std::fprintf(stderr, "usage: tlv-service [FOLDER] [--demo] [--record FILE] [PORT]\n");
            return 2;
        } else positional.push_back(arg);
    }
    const std::filesystem::path folder = positional.empty() ? "service-standin" : positional[0];
    std::signal(SIGINT, lf_onSignal);
    std::signal(SIGTERM, lf_onSignal);
    try {
        std::filesystem::create_directories(folder);
        const int port = positional.size() > 1 ? std::atoi(positional[1].c_str()) : 0;
        zrb::tools::ServiceStandIn service(folder, port);
        if (demo) service.setScenario(zrb::demo::gf_demoScenario(lf_now()));
        if (!recordFile.empty()) service.recordTo(recordFile);
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
