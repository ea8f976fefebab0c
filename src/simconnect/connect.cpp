// SimConnect_Open: SimConnect.cfg, the registry ports and the fallbacks from the
// named pipe to TCP over IPv6 and IPv4 and back to the default pipe.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "simconnect/connection.h"
#include "simconnect/environment.h"
#include "simconnect/packet_writer.h"

namespace zrb {

namespace {

constexpr std::uint32_t kProtocolPipe = 1;
constexpr std::uint32_t kFamilyPipe = 0;
constexpr std::uint32_t kFamilyIPv4 = 2;
constexpr std::uint32_t kFamilyIPv6 = 23;
constexpr std::uint32_t kNoConfigIndex = 0xFFFFFFFF;
constexpr std::uint32_t kKeyBufferChars = 2048;
constexpr std::uint32_t kSectionProbeChars = 30;
constexpr std::size_t kMaxSettingChars = 1023;
constexpr const char16_t* kCfgFileName = u"SimConnect.cfg";

constexpr int kConnectOk = 0;
constexpr int kConnectFailed = 1;
constexpr int kConnectNoSection = 3;

struct ConnectSettings {
    std::uint32_t protocol = kProtocolPipe;
    std::u16string address;
    std::u16string port;
    std::uint32_t maxReceiveSize = simconnect::kDefaultMaxReceiveSize;
    bool disableNagle = false;
};

char16_t lf_lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool lf_equalNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return lf_lower(x) == lf_lower(y); });
}

// _wtoi: leading blanks, a sign, digits up to the first other character; 0
// when there are none; clamped to the int range.
int lf_wtoi(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::u16string lf_sectionName(std::uint32_t index) {
    if (index == 0) return u"SimConnect";
    std::u16string name = u"SimConnect.";
    for (const char c : std::to_string(index)) name.push_back(static_cast<char16_t>(c));
    return name;
}

std::u16string lf_capped(std::u16string text) {
    if (text.size() > kMaxSettingChars) text.resize(kMaxSettingChars);
    return text;
}

// The three places of SimConnect.cfg in lookup order; a folder the system
// cannot name is left out.
std::vector<std::filesystem::path> lf_cfgFiles(const SimConnectEnvironment& environment) {
    std::vector<std::filesystem::path> files;
    for (const auto folder :
         {platform::CfgFolder::publicDocuments, platform::CfgFolder::documents, platform::CfgFolder::current}) {
        if (auto path = environment.cfgFolder(folder)) files.push_back(*path / kCfgFileName);
    }
    return files;
}

void lf_readSimConnectCfg(const std::filesystem::path& file, std::uint32_t index, ConnectSettings& settings) {
    const std::u16string section = lf_sectionName(index);
    const auto key = [&](const char16_t* name) { return platform::iniGetString(file, section, name, kKeyBufferChars); };

    const std::u16string protocol = key(u"Protocol");
    if (lf_equalNoCase(protocol, u"Auto") || lf_equalNoCase(protocol, u"Pipe"))
        settings.protocol = kProtocolPipe;
    else if (lf_equalNoCase(protocol, u"IPv4"))
        settings.protocol = kFamilyIPv4;
    else if (lf_equalNoCase(protocol, u"IPv6"))
        settings.protocol = kFamilyIPv6;

    if (auto address = key(u"Address"); !address.empty()) settings.address = lf_capped(std::move(address));
    if (auto port = key(u"Port"); !port.empty()) settings.port = lf_capped(std::move(port));
    if (const auto text = key(u"MaxReceiveSize"); !text.empty()) {
        // Only ever raised; a negative number is no size at all.
        const int value = lf_wtoi(text);
        if (value > 0 && static_cast<std::uint32_t>(value) > settings.maxReceiveSize)
            settings.maxReceiveSize = static_cast<std::uint32_t>(value);
    }
    if (const auto text = key(u"DisableNagle"); !text.empty()) settings.disableNagle = lf_wtoi(text) != 0;
}

int lf_cfgSectionExists(const std::filesystem::path& file, std::uint32_t index) {
    return platform::iniSectionHasEntries(file, lf_sectionName(index), kSectionProbeChars) ? 0 : kConnectNoSection;
}

bool lf_readPortFromRegistry(const SimConnectEnvironment& environment, bool ipv6, std::u16string& port) {
    port.clear();
    if (!environment.registryPort) return false;
    if (!environment.registryPort(ipv6, port)) {
        port.clear();
        return false;
    }
    return true;
}

bool lf_wsaStartupOnce() {
    std::lock_guard lock(g_simClientLock);
    if (g_wsaStarted) return true;
    g_wsaStarted = platform::startSockets();
    return g_wsaStarted;
}

// One attempt with a connection object of its own; closed again on failure.
SimConnectConnection* lf_attempt(std::uint32_t family, const std::u16string& address, const std::u16string& port,
                                 const ConnectSettings& settings) {
    SimConnectConnection* conn = lf_createConnection(family == kFamilyPipe ? kKindPipe : kKindSocket);
    if (lf_openTransport(conn, family, address, port, settings.maxReceiveSize, settings.disableNagle) == 0)
        return conn;
    lf_closeConnection(conn);
    return nullptr;
}

int lf_connect(std::uint32_t index, SimConnectConnection*& out) {
    out = nullptr;
    const SimConnectEnvironment environment = lf_simConnectEnvironment();
    ConnectSettings settings;
    if (index != kNoConfigIndex) {
        const auto files = lf_cfgFiles(environment);
        if (index != 0) {
            const bool found = std::any_of(files.begin(), files.end(),
                                           [&](const auto& file) { return lf_cfgSectionExists(file, index) == 0; });
            if (!found) return kConnectNoSection;
        }
        for (const auto& file : files) lf_readSimConnectCfg(file, index, settings);
        // A file that names a TCP protocol without a port takes the
        // simulator's registered port for that protocol.
        if (settings.port.empty() && settings.protocol != kProtocolPipe)
            lf_readPortFromRegistry(environment, settings.protocol == kFamilyIPv6, settings.port);
    }

    std::u16string address = settings.address;
    std::u16string port = settings.port;
    std::uint32_t step = settings.protocol;

    if (step == kProtocolPipe) {
        if ((out = lf_attempt(kFamilyPipe, address.empty() ? u"." : address, port, settings))) return kConnectOk;
        if (!address.empty() && address != u".") return kConnectFailed;
        address = u"::1";
        lf_readPortFromRegistry(environment, true, port);
        step = kFamilyIPv6;
    }
    if (step == kFamilyIPv6) {
        if (!lf_wsaStartupOnce()) return kConnectFailed;
        if (!port.empty() && (out = lf_attempt(kFamilyIPv6, address, port, settings))) return kConnectOk;
        if (!lf_equalNoCase(address, u"::1")) return kConnectFailed;
        address = u"127.0.0.1";
        lf_readPortFromRegistry(environment, false, port);
        step = kFamilyIPv4;
    }
    if (step == kFamilyIPv4) {
        if (!lf_wsaStartupOnce()) return kConnectFailed;
        if (!port.empty() && (out = lf_attempt(kFamilyIPv4, address, port, settings))) return kConnectOk;
        if (address != u"127.0.0.1") return kConnectFailed;
        out = lf_attempt(kFamilyPipe, u".", u"", settings);
        return out ? kConnectOk : kConnectFailed;
    }
    return kConnectFailed;
}

}  // namespace

HRESULT SimConnect_Open(SimConnectHandle* handle, const char* name, void* windowHandle, std::uint32_t userMessageId,
                        void* eventHandle, std::uint32_t configIndex) {
    if (handle == nullptr || name == nullptr) return hresult::invalidArg;
    *handle = nullptr;
    SimConnectConnection* conn = nullptr;
    const int connected = lf_connect(configIndex, conn);
    if (connected == kConnectNoSection) return hresult::invalidArg;
    if (connected != kConnectOk || conn == nullptr) return hresult::fail;
    lf_setNotifyTargets(conn, windowHandle, userMessageId, eventHandle);

    HRESULT result = hresult::ok;
    {
        std::lock_guard lock(g_simClientLock);
        std::uint8_t* packet = nullptr;
        const AllocResult alloc = lf_allocPacket(conn, simconnect::kOpenBytes, packet);
        if (alloc != AllocResult::ok) {
            result = alloc == AllocResult::failed ? lf_recordedFailure(conn) : hresult::fail;
        } else {
            PacketWriter w(packet, simconnect::kOpenBytes);
            w.header(simconnect::kOpenBytes, simconnect::opOpen);
            if (!w.text(16, name, simconnect::kNameFieldBytes)) {
                lf_freePacket(conn, packet, simconnect::kOpenBytes);
                result = hresult::textTooLong;
            } else {
                w.u32(272, 0);
                w.bytes(276, simconnect::kOpenMagic, sizeof simconnect::kOpenMagic);
                w.u32(280, simconnect::kOpenWord280);
                w.u32(284, simconnect::kOpenWord284);
                w.u32(288, 0);
                w.u32(292, 0);
                if (lf_flushPending(conn) != 0) result = hresult::fail;
            }
        }
        if (result == hresult::ok && conn->failedKind.load() != 0) result = lf_recordedFailure(conn);
    }
    if (result != hresult::ok) {
        lf_closeConnection(conn);
        return result;
    }
    *handle = lf_handleOf(conn);
    return hresult::ok;
}

}  // namespace zrb
