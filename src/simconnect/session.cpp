// The calls without a packet: dispatch, close and the last send id; and the
// client's environment.
#include <algorithm>
#include <thread>

#include "foundation/stop_flags.h"
#include "platform/platform.h"

#include "simconnect/connection.h"
#include "simconnect/environment.h"

namespace zrb {

namespace {

std::mutex g_environmentMutex;  // owns g_environment
SimConnectEnvironment g_environment = gf_defaultSimConnectEnvironment();

}  // namespace

SimConnectEnvironment gf_defaultSimConnectEnvironment() {
    SimConnectEnvironment environment;
    environment.cfgFolder = [](platform::CfgFolder folder) { return platform::simConnectCfgFolder(folder); };
    environment.registryPort = [](bool ipv6, std::u16string& port) {
        port.clear();
        platform::RegKey key;
        if (platform::regOpenKey(platform::RegRoot::currentUser, u"SOFTWARE\\Lockheed Martin\\Prepar3D v5", false,
                                 key) != 0)
            return false;
        // At most 20 bytes: 9 characters and the terminator. The value may lack
        // its terminator, so the buffer is terminated here.
        char16_t buffer[11] = {};
        std::uint32_t bytes = 20;
        const auto status =
            platform::regGetString(key, ipv6 ? u"SimConnect_Port_IPv6" : u"SimConnect_Port_IPv4", buffer, bytes);
        platform::regCloseKey(key);
        if (status != 0) return false;
        buffer[std::min<std::uint32_t>(bytes / 2, 10)] = 0;
        port = buffer;
        return true;
    };
    environment.openStream = [](std::uint32_t family, const std::u16string& address, const std::u16string& port,
                                bool disableNagle, platform::IoCompletion completion,
                                void* context) -> std::unique_ptr<platform::ByteStream> {
        // A stop of the run or of the program ends an open that is under way.
        const platform::WaitLimits limits{std::chrono::steady_clock::now() + platform::g_openStreamTimeout,
                                          [] { return gf_stopUnderWay(); }};
        if (family == 0) return platform::openPipeStream(address, port, completion, context, limits);
        return platform::openTcpStream(family, address, port, disableNagle, completion, context, limits);
    };
    return environment;
}

void gf_setSimConnectEnvironment(const SimConnectEnvironment& environment) {
    std::lock_guard lock(g_environmentMutex);
    g_environment = environment;
}

SimConnectEnvironment lf_simConnectEnvironment() {
    std::lock_guard lock(g_environmentMutex);
    return g_environment;
}

void gf_setSendCounterForTest(SimConnectHandle handle, std::uint32_t value) {
    std::lock_guard lock(g_simClientLock);
    if (SimConnectConnection* conn = lf_linkedConnectionLocked(handle)) conn->sendCounter = value;
}

HRESULT lf_closeConnection(SimConnectConnection* conn) {
    if (conn == nullptr) return hresult::fail;
    const CloseDelays delays = lf_closeDelays();
    std::this_thread::sleep_for(delays.beforeDrain);
    {
        std::lock_guard lock(conn->receiveListMutex);
        conn->receiveList.clear();
    }
    {
        std::lock_guard lock(g_simClientLock);
        if (!conn->linked) return hresult::fail;
        conn->linked = false;
        std::erase(g_simConnections, conn);
        g_simConnectionCount.fetch_sub(1);
    }
    {
        std::lock_guard lock(conn->transportMutex);
        conn->state.store(kStateClosed);
        conn->connectionId.store(0);
        if (conn->stream) conn->stream->close();
        std::lock_guard sendLock(conn->sendListMutex);
        conn->sendList.clear();
    }
    lf_release(conn);
    std::this_thread::sleep_for(delays.afterRelease);

    if (g_simConnectionCount.load() == 0) {
        for (int i = 0; i < delays.transportWaitSteps && g_simTransportCount.load() > 0; ++i)
            std::this_thread::sleep_for(delays.transportWaitStep);
        std::lock_guard lock(g_simClientLock);
        if (g_wsaStarted && g_simConnectionCount.load() == 0) {
            platform::stopSockets();
            g_wsaStarted = false;
        }
    }
    return hresult::ok;
}

HRESULT SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc callback, void* context) {
    if (handle == nullptr) return hresult::fail;
    SimConnectConnection* conn = nullptr;
    {
        std::lock_guard lock(g_simClientLock);
        conn = lf_linkedConnectionLocked(handle);
        if (conn == nullptr) return hresult::fail;
        if (callback == nullptr) callback = conn->registeredCallback;
        if (callback == nullptr) return hresult::fail;
        conn->lastCallback = callback;
        conn->lastContext = context;
        // Kept alive while dispatching, even if another thread closes it.
        conn->refCount.fetch_add(1);
    }
    struct Release {
        SimConnectConnection* c;
        ~Release() { lf_release(c); }
    } release{conn};
    return lf_dispatchReceived(conn, callback, context);
}

HRESULT SimConnect_Close(SimConnectHandle handle) {
    if (handle == nullptr) return hresult::fail;
    SimConnectConnection* conn = nullptr;
    {
        std::lock_guard lock(g_simClientLock);
        conn = lf_linkedConnectionLocked(handle);
        if (conn == nullptr) return hresult::fail;
        lf_flushPending(conn);
    }
    return lf_closeConnection(conn);
}

HRESULT SimConnect_GetLastSentPacketID(SimConnectHandle handle, std::uint32_t* sendId) {
    if (handle == nullptr || sendId == nullptr) return hresult::fail;
    std::lock_guard lock(g_simClientLock);
    const SimConnectConnection* conn = lf_linkedConnectionLocked(handle);
    if (conn == nullptr) return hresult::fail;
    *sendId = conn->lastSentId;
    return hresult::ok;
}

}  // namespace zrb
