// The whole program at full size: Tolvaren's real threads (window, worker,
// SimClient, readers) in this process, against the stand-in simulator,
// live-traffic service and download site in a child process, with 20,000
// installed liveries and 1,000 aircraft moving around the user at Schiphol.
//
// Reports the peak memory of this process (the stand-ins live in the child, so
// it is Tolvaren's and the benchmark's own) against the target of 200 MB, and
// the worker thread's share of one core: over the livery scan at the start,
// over a measuring window of steady traffic, and over the whole run.
//
//   bench_whole_run [--benchmark_filter=...]
//   Args: {warm-up s, measuring window s} after the first pass of the running
//   flight. The manager creates at most two aircraft a second, so the warm-up
//   of 300 s lets it reach its limit of 500 live aircraft before the window.
//
// The program runs once per process (its state is global), so the benchmark
// runs one iteration. The installation is made in a temporary folder that is
// removed at the end.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "build_config.h"
#include "demo/demo_liveries.h"
#include "download_site/data_file_maker.h"
#include "download_site/download_site.h"
#include "feed/service_endpoint.h"
#include "liveries/download.h"
#include "liveries/encrypted_file.h"
#include "platform/window.h"
#include "service/service_standin.h"
#include "shell/app_main.h"
#include "shell/run_services.h"
#include "simulator/installed_titles.h"
#include "simulator/standin.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t installedLiveries = 20000;
constexpr int aircraftAround = 1000;
constexpr double crowdRadiusNm = 35.0;
constexpr double groundShare = 0.05;     // taxiing near the user
constexpr double metresPerNm = 1852.0;
constexpr double earthRadiusM = 6371000.0;
constexpr double peakRssTargetMb = 200.0;
constexpr auto startLimit = std::chrono::minutes(5);  // start-up and scan, at most
constexpr auto pollEvery = std::chrono::milliseconds(200);
// A stand at Schiphol.
constexpr double userLat = 52.3086;
constexpr double userLon = 4.7639;

struct Installation {
    fs::path root, install, appdata, sim, site;
};

void lf_write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

Installation lf_makeInstallation() {
    Installation in;
    char pattern[] = "/tmp/tlv-bench-run-XXXXXX";  // never "airport": the livery walk skips such paths
    if (!::mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    in.root = pattern;
    in.install = in.root / "install";
    in.appdata = in.root / "appdata";
    in.sim = in.root / "Prepar3D v5";
    in.site = in.root / "site";
    for (const auto& folder : {in.install / "docs", in.install / "input", in.appdata, in.sim / "Scenery", in.site,
                               in.root / "home", in.root / "tmp"})
        fs::create_directories(folder);
    const fs::path data = fs::path(zrb::build::sourceDir) / "tests" / "data";
    lf_write(in.install / "input" / "rt_license.txt", "BENCH-STANDIN-0000-0000\n");
    fs::copy_file(data / "airports_p3d.xml", in.install / "input" / "airports_p3d.xml");
    lf_write(in.appdata / "registry.xml",
             "<registry>\n  <key root=\"HKLM\" path=\"SOFTWARE\\Lockheed Martin\\Prepar3D v5\">\n"
             "    <value name=\"SetupPath\">" + in.sim.string() + "</value>\n  </key>\n</registry>\n");
    lf_write(in.appdata / "ProgramData" / "Lockheed Martin" / "Prepar3D v5" / "simobjects.cfg",
             "[Entry.0]\nTitle=Default Airplanes\nPath=SimObjects\\Airplanes\n\n"
             "[Entry.1]\nTitle=Demo AI\nPath=SimObjects\\Demo AI\n");
    // On the ground the automatic range would be 10 nm: the crowd is met at
    // the fixed 40 nm range instead.
    lf_write(in.appdata / "TLVR_P3D" / "parameters.xml",
             "<?xml version=\"1.0\"?>\n<parameters>\n<parameter name=\"AUTO_RANGE\" value=\"false\"/>\n"
             "<parameter name=\"RANGE\" value=\"40\"/>\n</parameters>\n");
    zrb::demo::gf_writeDemoSimObjects(in.sim / "SimObjects" / "Demo AI", installedLiveries);
    // The data files as the demo's site publishes them, current at version 1.0.0.
    const fs::path demo = fs::path(zrb::build::sourceDir) / "tools" / "demo";
    if (!zrb::tools::gf_makeDataFile(demo / "dbase.xml", in.site / "dbase.enc", zrb::gf_dataFileKey()) ||
        !zrb::tools::gf_makeDataFile(demo / "AIG-regcodes.xml", in.site / "AIG-regcodes.enc", zrb::gf_dataFileKey()))
        throw std::runtime_error("cannot make the data files");
    lf_write(in.site / "versions.json",
             R"({"aig":{"major":1,"minor":0,"patch":0},"dbase":{"major":1,"minor":0,"patch":0}})");
    return in;
}

// 1,000 aircraft on straight tracks within the radius of the user: most
// airborne at every height, a few taxiing at the airport. Each flies for the
// airline and type of an installed livery; every other one with its
// registration too.
zrb::tools::Scenario lf_crowdScenario(double epoch) {
    const std::vector<zrb::demo::DemoLivery> liveries = zrb::demo::gf_demoLiveries(installedLiveries);
    zrb::tools::Scenario scenario;  // Schiphol's weather, the service's usual request limits
    scenario.epoch = epoch;
    std::mt19937 random(22);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < aircraftAround; ++i) {
        const bool ground = unit(random) < groundShare;
        const double distanceM = (ground ? 2000.0 * unit(random) : crowdRadiusNm * metresPerNm * std::sqrt(unit(random)));
        const double bearing = 2.0 * M_PI * unit(random);
        zrb::tools::ScenarioAircraft a;
        const zrb::demo::DemoLivery& livery = liveries[static_cast<std::size_t>(i) * 17 % liveries.size()];
        a.hexId = fmt::format("{:06x}", 0x480000 + i);
        a.callsign = fmt::format("{}{}", livery.airline, 100 + i);
        a.registration = i % 2 == 0 ? livery.registration
                                    : fmt::format("D-{}{}{}{}", char('A' + i % 26), char('A' + i / 26 % 26),
                                                  char('A' + i / 676), 'Z');
        a.type = livery.type;
        a.category = "A3";
        a.departure = "EHAM";
        a.destination = "EGLL";
        a.lat = userLat + distanceM * std::cos(bearing) / earthRadiusM * 180.0 / M_PI;
        a.lon = userLon + distanceM * std::sin(bearing) / earthRadiusM * 180.0 / M_PI / std::cos(userLat * M_PI / 180.0);
        a.trackDeg = 360.0 * unit(random);
        a.groundSpeedKt = ground ? 12.0 : 180.0 + 300.0 * unit(random);
        a.altitudeFt = ground ? -11.0 : 2000.0 + 36000.0 * unit(random);
        scenario.aircraft.push_back(a);
    }
    return scenario;
}

// ------------------------------------------------------------------ stand-ins
// The child: the stand-ins until the parent closes the command pipe; their
// addresses first, their counts last, one line each on the answer pipe.
[[noreturn]] void lf_standInsChild(const Installation& in, int commands, int answers) {
    int code = 0;
    try {
        zrb::standin::SimStandin sim;
        if (!sim.start()) throw std::runtime_error("the simulator did not start");
        sim.writeSimConnectCfg(in.install);
        // It creates only what is installed, as the simulator does.
        sim.setLiveries(zrb::standin::gf_installedTitles({in.sim / "SimObjects"}));
        zrb::standin::UserState user = sim.user();
        user.aircraft.latitudeDeg = userLat;
        user.aircraft.longitudeDeg = userLon;
        user.aircraft.altitudeFt = -11.0;
        user.aircraft.headingDeg = 90.0;
        user.aircraft.onGround = true;
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        ::gmtime_r(&now, &utc);
        user.zuluTimeS = now % 86400;
        user.zuluDayOfYear = utc.tm_yday + 1;
        user.zuluYear = utc.tm_year + 1900;
        sim.setUser(user);

        fs::create_directories(in.root / "service-cert");
        zrb::tools::ServiceStandIn service(in.root / "service-cert");
        service.setScenario(lf_crowdScenario(static_cast<double>(now)));
        const fs::path siteCert = in.root / "site-cert";
        fs::create_directories(siteCert);
        if (!zrb::tools::gf_makeTestCertificate(siteCert)) throw std::runtime_error("no certificate (openssl?)");
        zrb::tools::DownloadSite site(siteCert / "cert.pem", siteCert / "key.pem");
        for (const char* name : {"versions.json", "dbase.enc", "AIG-regcodes.enc"}) {
            std::ifstream file(in.site / name, std::ios::binary);
            std::ostringstream body;
            body << file.rdbuf();
            site.serve(std::string("/") + name, body.str());
        }
        const std::string ready = fmt::format("{} {} {} {}\n", service.baseUrl(), service.caFile(), site.baseUrl(),
                                              (siteCert / "cert.pem").string());
        if (::write(answers, ready.data(), ready.size()) < 0) throw std::runtime_error("pipe");

        std::size_t peakObjects = 0;
        for (;;) {
            pollfd fd{commands, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(pollEvery.count())) != 0) break;  // closed: the end
            peakObjects = std::max(peakObjects, sim.aiObjects().size());
        }
        const std::string counts =
            fmt::format("{} {} {} {}\n", sim.creations().size(), peakObjects, sim.removals().size(),
                        service.forms("/v4/traffic").size());
        if (::write(answers, counts.data(), counts.size()) < 0) code = 1;
        service.stop();
        site.stop();
        sim.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stand-ins: %s\n", e.what());
        code = 1;
    }
    ::_exit(code);
}

// Closing the command pipe ends the stand-ins; once.
void lf_endStandIns(int& commands) {
    if (commands < 0) return;
    ::close(commands);
    commands = -1;
}

std::string lf_readLine(int fd) {
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

// ------------------------------------------------------------------ measuring
// The worker thread's CPU clock, taken on the worker itself by the entries it
// calls first (the livery scan) and on every pass of a running flight (the
// adding stack).
std::mutex g_workerMutex;  // owns the three below
clockid_t g_workerClock{};
bool g_workerKnown = false;
double g_scanWallS = 0.0, g_scanCpuS = 0.0;
std::atomic<bool> g_scanned{false};
std::atomic<bool> g_passing{false};

double lf_seconds(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double lf_workerCpuS() {
    std::lock_guard lock(g_workerMutex);
    return g_workerKnown ? lf_seconds(g_workerClock) : 0.0;
}

void lf_knowWorker() {
    std::lock_guard lock(g_workerMutex);
    if (g_workerKnown) return;
    if (::pthread_getcpuclockid(::pthread_self(), &g_workerClock) == 0) g_workerKnown = true;
}

void lf_watchTheWorker() {
    auto& services = zrb::gf_runServices();
    services.scanLiveries = [scan = services.scanLiveries] {
        lf_knowWorker();
        const auto start = Clock::now();
        const double cpu = lf_seconds(CLOCK_THREAD_CPUTIME_ID);
        scan();
        {
            std::lock_guard lock(g_workerMutex);
            g_scanWallS = std::chrono::duration<double>(Clock::now() - start).count();
            g_scanCpuS = lf_seconds(CLOCK_THREAD_CPUTIME_ID) - cpu;
        }
        g_scanned = true;
    };
    services.handleAddingStack = [adding = services.handleAddingStack] {
        lf_knowWorker();
        g_passing = true;
        adding();
    };
}

// kB of a line of /proc/self/status ("VmHWM:", "VmRSS:").
double lf_statusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + key.size(), nullptr);
    return 0.0;
}

bool lf_waitFor(const std::atomic<bool>& flag, Clock::duration limit) {
    const auto end = Clock::now() + limit;
    while (!flag && Clock::now() < end) std::this_thread::sleep_for(pollEvery);
    return flag;
}

void BM_WholeRun(benchmark::State& state, const std::string* addresses, int* commands, int answers) {
    const auto warmUp = std::chrono::seconds(state.range(0));
    const auto window = std::chrono::seconds(state.range(1));
    std::istringstream words(*addresses);
    std::string serviceUrl, serviceCa, siteUrl, siteCa;
    words >> serviceUrl >> serviceCa >> siteUrl >> siteCa;
    zrb::gf_setServiceEndpointForTest(serviceUrl, serviceCa);
    zrb::gf_setDownloadSiteForTest(siteUrl, siteCa);
    lf_watchTheWorker();

    double steadyCpuS = 0.0, steadyWallS = 0.0, runCpuS = 0.0, runWallS = 0.0, hwmKb = 0.0, rssKb = 0.0;
    int exitCode = -1;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::atomic<bool> ended{false};
        std::thread gui([&exitCode, &ended] {
            exitCode = zrb::gf_programMain();
            ended = true;
        });
        const bool started = lf_waitFor(g_scanned, startLimit) && lf_waitFor(g_passing, startLimit);
        if (started) {
            std::this_thread::sleep_for(warmUp);
            const double cpu0 = lf_workerCpuS();
            const auto wall0 = Clock::now();
            std::this_thread::sleep_for(window);
            steadyCpuS = lf_workerCpuS() - cpu0;
            steadyWallS = std::chrono::duration<double>(Clock::now() - wall0).count();
            runCpuS = lf_workerCpuS();
            runWallS = std::chrono::duration<double>(Clock::now() - start).count();
        }
        hwmKb = lf_statusKb("VmHWM:");
        rssKb = lf_statusKb("VmRSS:");
        while (!ended && !zrb::platform::postClose()) std::this_thread::sleep_for(pollEvery);
        gui.join();
        if (!started) state.SkipWithError("the program did not start its main loop against the stand-ins");
    }
    lf_endStandIns(*commands);
    std::istringstream counts(lf_readLine(answers));
    double created = 0, peakObjects = 0, removed = 0, polls = 0;
    counts >> created >> peakObjects >> removed >> polls;

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::lock_guard lock(g_workerMutex);
    state.counters["peak_rss_MB"] = hwmKb / 1024.0;
    state.counters["ru_maxrss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["rss_at_end_MB"] = rssKb / 1024.0;
    state.counters["worker_cpu_share"] = steadyWallS > 0 ? steadyCpuS / steadyWallS : 0.0;
    state.counters["worker_cpu_share_run"] = runWallS > 0 ? runCpuS / runWallS : 0.0;
    state.counters["scan_s"] = g_scanWallS;
    state.counters["scan_worker_cpu_s"] = g_scanCpuS;
    state.counters["process_cpu_s"] = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    state.counters["sim_created"] = created;
    state.counters["sim_peak_objects"] = peakObjects;
    state.counters["sim_removed"] = removed;
    state.counters["traffic_polls"] = polls;
    state.SetLabel(fmt::format("exit {}, peak RSS target {} MB {}", exitCode, peakRssTargetMb,
                               hwmKb / 1024.0 <= peakRssTargetMb ? "met" : "missed"));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Made and forked before any thread exists.
    const Installation in = lf_makeInstallation();
    int commands[2], answers[2];
    if (::pipe(commands) != 0 || ::pipe(answers) != 0) return 1;
    const pid_t child = ::fork();
    if (child < 0) return 1;
    if (child == 0) {
        ::close(commands[1]);
        ::close(answers[0]);
        lf_standInsChild(in, commands[0], answers[1]);
    }
    ::close(commands[0]);
    ::close(answers[1]);
    const std::string addresses = lf_readLine(answers[0]);
    int code = 1;
    if (!addresses.empty()) {
        // The program's AppData, temporary folder and installation folder.
        ::setenv("HOME", (in.root / "home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", in.appdata.c_str(), 1);
        ::setenv("TMPDIR", (in.root / "tmp").c_str(), 1);
        fs::current_path(in.install);
        benchmark::RegisterBenchmark("BM_WholeRun", BM_WholeRun, &addresses, &commands[1], answers[0])
            ->Args({300, 60})
            ->Iterations(1)
            ->Unit(benchmark::kSecond)
            ->UseRealTime();
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        code = 0;
    } else {
        std::fprintf(stderr, "the stand-ins did not start\n");
    }
    lf_endStandIns(commands[1]);
    ::waitpid(child, nullptr, 0);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(in.root);
    return code;
}
