#pragma once
// What the SimConnect client asks of its surroundings when it connects: the
// SimConnect.cfg folders, the registry ports, the transports and the delays of
// close. The program uses the defaults (the platform layer); tests replace
// parts of it to record and steer the connection attempts.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/simconnect_transport.h"
#include "simconnect/simconnect.h"

namespace zrb {

struct SimConnectEnvironment {
    std::function<std::optional<std::filesystem::path>(platform::CfgFolder)> cfgFolder;
    // Reads "SimConnect_Port_IPv6" or "SimConnect_Port_IPv4"; false when missing.
    std::function<bool(bool ipv6, std::u16string& port)> registryPort;
    // family 0 = pipe (address = server, port = pipe name, empty = the default
    // pipe), 2 = TCP over IPv4, 23 = TCP over IPv6.
    std::function<std::unique_ptr<platform::ByteStream>(std::uint32_t family, const std::u16string& address,
                                                        const std::u16string& port, bool disableNagle,
                                                        platform::IoCompletion completion, void* context)>
        openStream;
    std::chrono::milliseconds closeDelayBeforeDrain{100};
    std::chrono::milliseconds closeDelayAfterRelease{250};
    std::chrono::milliseconds transportWaitStep{250};
};

// The platform's folders, registry and transports, and the delays of close.
SimConnectEnvironment gf_defaultSimConnectEnvironment();

// Replaces the environment; call only while no connection is open.
void gf_setSimConnectEnvironment(const SimConnectEnvironment& environment);

// A copy of the environment in force.
SimConnectEnvironment lf_simConnectEnvironment();

// Sets a connection's send counter, so that tests reach its wrap-around.
void gf_setSendCounterForTest(SimConnectHandle handle, std::uint32_t value);

}  // namespace zrb
