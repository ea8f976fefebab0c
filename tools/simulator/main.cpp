// tlv-simulator: the stand-in simulator as a program for the demo.
//
//   tlv-simulator [--port N] [--control-port N] [--cfg-dir DIR] [--frame-rate HZ] [--ipv6]
//                 [--simobjects DIR]... [--record FILE]
//
// Port 0 (the default) lets the system choose; the ports chosen are printed as
// "SimConnect port: N" and "Control port: N". With --cfg-dir it writes a
// SimConnect.cfg there that points a client at the SimConnect port. With
// --simobjects it knows the liveries installed below those folders (printed as
// "Installed titles: N") and refuses to create any other title, as the
// simulator does. With --record it writes what it was asked to do with AI
// objects to FILE, one JSON line per event. Runs until SIGINT or SIGTERM.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "simulator/control_channel.h"
#include "simulator/flight_record.h"
#include "simulator/installed_titles.h"
#include "simulator/standin.h"

namespace {

int lf_usage() {
    std::fprintf(stderr,
                 "usage: tlv-simulator [--port N] [--control-port N] [--cfg-dir DIR] [--frame-rate HZ] [--ipv6]\n"
                 "                     [--simobjects DIR]... [--record FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    zrb::standin::StandinOptions options;
    std::uint16_t controlPort = 0;
    std::string cfgDir;
    std::vector<std::filesystem::path> simObjects;
    std::string recordFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--port" && hasValue) options.port = static_cast<std::uint16_t>(std::atoi(argv[++i]));
        else if (arg == "--control-port" && hasValue) controlPort = static_cast<std::uint16_t>(std::atoi(argv[++i]));
        else if (arg == "--cfg-dir" && hasValue) cfgDir = argv[++i];
        else if (arg == "--frame-rate" && hasValue) options.frameRateHz = std::atof(argv[++i]);
        else if (arg == "--ipv6") options.listenIPv6 = true;
        else if (arg == "--simobjects" && hasValue) simObjects.emplace_back(argv[++i]);
        else if (arg == "--record" && hasValue) recordFile = argv[++i];
        else return lf_usage();
    }
    // The stop signals are blocked before any thread starts, so every thread
    // inherits the mask and only sigwait below takes them: a signal that comes
    // at any moment, even before the wait begins, is never lost.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> titles;
    std::unique_ptr<zrb::standin::FlightRecord> record;
    try {
        if (!simObjects.empty()) {
            titles = zrb::standin::gf_installedTitles(simObjects);
            // An empty list would let every title through.
            if (titles.empty()) {
                std::fprintf(stderr, "tlv-simulator: no livery is installed below the --simobjects folders\n");
                return 1;
            }
        }
        if (!recordFile.empty()) record = std::make_unique<zrb::standin::FlightRecord>(recordFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlv-simulator: %s\n", e.what());
        return 1;
    }

    zrb::standin::SimStandin standin(options);
    if (!titles.empty()) standin.setLiveries(titles);
    if (record) standin.setFlightRecord(record.get());
    if (!standin.start()) {
        std::fprintf(stderr, "tlv-simulator: cannot listen on port %u: %s\n", options.port, std::strerror(errno));
        return 1;
    }
    zrb::standin::ControlChannel control(standin);
    if (!control.start(controlPort)) {
        std::fprintf(stderr, "tlv-simulator: cannot listen on control port %u: %s\n", controlPort,
                     std::strerror(errno));
        return 1;
    }
    std::printf("SimConnect port: %u\n", standin.port());
    if (options.listenIPv6) std::printf("SimConnect IPv6 port: %u\n", standin.portIPv6());
    std::printf("Control port: %u\n", control.port());
    if (!simObjects.empty()) std::printf("Installed titles: %zu\n", titles.size());
    if (!cfgDir.empty()) std::printf("Wrote %s\n", standin.writeSimConnectCfg(cfgDir).string().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    control.stop();
    standin.stop();
    return 0;
}
