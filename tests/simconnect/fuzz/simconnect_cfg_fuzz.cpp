// Any bytes as SimConnect.cfg: reading it and opening the connection it names
// must neither crash nor hang. Nothing is connected: the transports only
// record what they were asked for.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "platform/simconnect_transport.h"
#include "simconnect/environment.h"
#include "simconnect/simconnect.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zrb::test::TempFolder folder;
    static const bool prepared = [] {
        zrb::SimConnectEnvironment environment;
        environment.cfgFolder = [](zrb::platform::CfgFolder which) -> std::optional<std::filesystem::path> {
            if (which == zrb::platform::CfgFolder::current) return folder.path();
            return std::nullopt;
        };
        environment.registryPort = [](bool, std::u16string& port) { return port = u"500", true; };
        environment.openStream = [](std::uint32_t, const std::u16string&, const std::u16string&, bool,
                                    zrb::platform::IoCompletion, void*) -> std::unique_ptr<zrb::platform::ByteStream> {
            return nullptr;
        };
        environment.closeDelayBeforeDrain = std::chrono::milliseconds(0);
        environment.closeDelayAfterRelease = std::chrono::milliseconds(0);
        environment.transportWaitStep = std::chrono::milliseconds(0);
        zrb::gf_setSimConnectEnvironment(environment);
        return true;
    }();
    (void)prepared;
    const std::filesystem::path file = folder / "SimConnect.cfg";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (const std::uint32_t index : {0U, 1U}) {
        zrb::SimConnectHandle handle = nullptr;
        (void)zrb::SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, index);
        if (handle != nullptr) (void)zrb::SimConnect_Close(handle);
    }
    (void)zrb::platform::iniGetString(file, u"SimConnect", u"Address", 260);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
        "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\nPort=500\r\nMaxReceiveSize=41088\r\nDisableNagle=1\r\n",
        "[SimConnect]\nProtocol=Pipe\nAddress=.\nPort=Custom/SimConnect\n[SimConnect.1]\nProtocol=IPv6\n",
        "; comment\n[simconnect]\nprotocol = \"ipv4\"\naddress=\nport=99999999999999\n",
        fuzzBytes("\xFF\xFE[\0S\0i\0m\0C\0o\0n\0n\0e\0c\0t\0]\0\n\0"),
        "[SimConnect]\nMaxReceiveSize=-1\n",
        std::string(5000, '['),
    };
}
