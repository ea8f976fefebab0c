// One Frame's worth of position updates at 500 AI aircraft, built and sent by
// the client to the stand-in over loopback, against a plain send() of the same
// bytes on a socket of its own. The stand-in reads and decodes everything; the
// time it needs to catch up after each frame is not counted. A third run puts
// the client on a transport that takes every write at once without a system
// call, which leaves the client's own share of a frame: building, locking and
// queueing each packet.
//
//   simconnect_bench --benchmark_counters_tabular=true
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "simconnect/environment.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "simulator/standin.h"

namespace {

using namespace zrb;

constexpr int kAircraftPerFrame = 500;
constexpr std::uint32_t kPositionBlockBytes = 64;
constexpr std::uint32_t kDefinePosition = 402;

const char* const kPositionVariables[] = {"Plane Latitude",  "Plane Longitude", "Plane Pitch degrees",
                                          "Plane Bank degrees", "Plane Heading degrees true", "Plane Altitude",
                                          "Vertical Speed",  "Airspeed True"};

struct Rig {
    std::filesystem::path folder;
    std::unique_ptr<standin::SimStandin> standin;

    Rig() {
        folder = std::filesystem::temp_directory_path() / ("tlv-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        standin::StandinOptions options;
        options.frameRateHz = 0.0;
        options.secondTicks = false;
        options.packetLogLimit = 1;
        standin = std::make_unique<standin::SimStandin>(options);
        standin->start();
        standin->writeSimConnectCfg(folder);
        auto environment = gf_defaultSimConnectEnvironment();
        const auto cfgFolder = folder;
        environment.cfgFolder = [cfgFolder](platform::CfgFolder which) -> std::optional<std::filesystem::path> {
            if (which == platform::CfgFolder::current) return cfgFolder;
            return std::nullopt;
        };
        environment.registryPort = [](bool, std::u16string&) { return false; };
        environment.closeDelayBeforeDrain = std::chrono::milliseconds(0);
        environment.closeDelayAfterRelease = std::chrono::milliseconds(0);
        gf_setSimConnectEnvironment(environment);
    }
    ~Rig() {
        standin->stop();
        std::filesystem::remove_all(folder);
    }
    void waitForPackets(std::uint64_t count) const {
        standin->waitFor([&] { return standin->clientPacketCount() >= count; }, std::chrono::seconds(30));
    }
};

void BM_ClientFrameOf500PositionUpdates(benchmark::State& state) {
    Rig rig;
    SimConnectHandle handle = nullptr;
    if (SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, 0) != hresult::ok) {
        state.SkipWithError("cannot connect to the stand-in");
        return;
    }
    for (const char* name : kPositionVariables)
        SimConnect_AddToDataDefinition(handle, kDefinePosition, name, "degree", simconnect::datumFloat64, 0.0f,
                                       0xFFFFFFFF);
    std::uint64_t sent = 1 + std::size(kPositionVariables);
    double block[8] = {47.0, 8.0, 0.0, 0.0, 1.0, 3000.0, 0.0, 250.0};
    for (auto _ : state) {
        for (int i = 0; i < kAircraftPerFrame; ++i) {
            block[0] += 1e-6;
            SimConnect_SetDataOnSimObject(handle, kDefinePosition, 0, 0, 0, kPositionBlockBytes, block);
        }
        sent += kAircraftPerFrame;
        state.PauseTiming();
        rig.waitForPackets(sent);
        state.ResumeTiming();
    }
    state.counters["packets/frame"] = kAircraftPerFrame;
    SimConnect_Close(handle);
}

void BM_PlainSendOf500Packets(benchmark::State& state) {
    Rig rig;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(rig.standin->port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        state.SkipWithError("cannot connect to the stand-in");
        return;
    }
    // The same 100-byte packets the client builds, made up front.
    auto put = [](std::vector<std::uint8_t>& p, std::size_t at, std::uint32_t v) { std::memcpy(p.data() + at, &v, 4); };
    std::vector<std::uint8_t> open(simconnect::kOpenBytes, 0);
    put(open, 0, simconnect::kOpenBytes);
    put(open, 4, simconnect::kProtocolVersion);
    put(open, 8, simconnect::kOpcodeFlag | simconnect::opOpen);
    put(open, 12, 1);
    std::memcpy(open.data() + 16, "PLAIN", 5);
    std::memcpy(open.data() + 276, simconnect::kOpenMagic, 4);
    put(open, 280, simconnect::kOpenWord280);
    put(open, 284, simconnect::kOpenWord284);
    ::send(fd, open.data(), open.size(), MSG_NOSIGNAL);
    std::uint32_t sendId = 1;
    for (const char* name : kPositionVariables) {
        std::vector<std::uint8_t> define(simconnect::kAddToDataDefinitionBytes, 0);
        put(define, 0, simconnect::kAddToDataDefinitionBytes);
        put(define, 4, simconnect::kProtocolVersion);
        put(define, 8, simconnect::kOpcodeFlag | simconnect::opAddToDataDefinition);
        put(define, 12, ++sendId);
        put(define, 16, kDefinePosition);
        std::memcpy(define.data() + 20, name, std::strlen(name));
        std::memcpy(define.data() + 276, "degree", 6);
        put(define, 532, simconnect::datumFloat64);
        ::send(fd, define.data(), define.size(), MSG_NOSIGNAL);
    }
    std::vector<std::uint8_t> packet(simconnect::kSetDataHeaderBytes + kPositionBlockBytes, 0);
    put(packet, 0, static_cast<std::uint32_t>(packet.size()));
    put(packet, 4, simconnect::kProtocolVersion);
    put(packet, 8, simconnect::kOpcodeFlag | simconnect::opSetDataOnSimObject);
    put(packet, 16, kDefinePosition);
    put(packet, 28, 1);
    put(packet, 32, kPositionBlockBytes);
    std::uint64_t sent = 1 + std::size(kPositionVariables);
    for (auto _ : state) {
        for (int i = 0; i < kAircraftPerFrame; ++i) {
            put(packet, 12, ++sendId);
            ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
        }
        sent += kAircraftPerFrame;
        state.PauseTiming();
        rig.waitForPackets(sent);
        state.ResumeTiming();
    }
    state.counters["packets/frame"] = kAircraftPerFrame;
    ::close(fd);
}

// Takes every write at once; the one read armed at open completes only when
// the stream is closed, as a cancelled read does.
class NullStream final : public platform::ByteStream {
public:
    NullStream(platform::IoCompletion completion, void* context) : m_completion(completion), m_context(context) {}
    platform::IoStart startRead(std::uint8_t*, std::uint32_t) override {
        m_readArmed = true;
        return platform::IoStart::pending;
    }
    platform::IoStart startWrite(const std::uint8_t*, std::uint32_t) override { return platform::IoStart::completed; }
    void close() override {
        if (!std::exchange(m_readArmed, false)) return;
        m_completion(m_context, false, platform::ioStatusCancelled, 0);
    }
    bool isPipe() const override { return false; }

private:
    platform::IoCompletion m_completion;
    void* m_context;
    bool m_readArmed = false;
};

void BM_ClientFrameWithoutTransport(benchmark::State& state) {
    SimConnectEnvironment environment;
    environment.cfgFolder = [](platform::CfgFolder) { return std::optional<std::filesystem::path>(); };
    environment.registryPort = [](bool, std::u16string&) { return false; };
    environment.openStream = [](std::uint32_t, const std::u16string&, const std::u16string&, bool,
                                platform::IoCompletion completion,
                                void* context) -> std::unique_ptr<platform::ByteStream> {
        return std::make_unique<NullStream>(completion, context);
    };
    environment.closeDelayBeforeDrain = std::chrono::milliseconds(0);
    environment.closeDelayAfterRelease = std::chrono::milliseconds(0);
    environment.transportWaitStep = std::chrono::milliseconds(0);
    gf_setSimConnectEnvironment(environment);
    SimConnectHandle handle = nullptr;
    if (SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, 0xFFFFFFFF) != hresult::ok) {
        state.SkipWithError("cannot open the null transport");
        return;
    }
    double block[8] = {47.0, 8.0, 0.0, 0.0, 1.0, 3000.0, 0.0, 250.0};
    for (auto _ : state) {
        for (int i = 0; i < kAircraftPerFrame; ++i) {
            block[0] += 1e-6;
            SimConnect_SetDataOnSimObject(handle, kDefinePosition, 100, 0, 0, kPositionBlockBytes, block);
        }
    }
    state.counters["packets/frame"] = kAircraftPerFrame;
    SimConnect_Close(handle);
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
}

BENCHMARK(BM_ClientFrameOf500PositionUpdates)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSendOf500Packets)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClientFrameWithoutTransport)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
