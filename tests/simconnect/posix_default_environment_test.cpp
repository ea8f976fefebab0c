// The client with the platform's own environment: SimConnect.cfg in the
// AppData folder's "Documents", the registry ports from registry.xml, the named
// pipe that Linux lacks, and TCP over IPv6 and IPv4 to the stand-in.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "foundation/stop_flags.h"
#include "loopback_support.h"
#include "support/posix_stalled_listener.h"

namespace zrb {
namespace {

class DefaultEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", m_appData.path().c_str(), 1);
        gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
        standin::StandinOptions options;
        options.frameRateHz = 0.0;
        options.secondTicks = false;
        options.listenIPv6 = true;
        m_standin = std::make_unique<standin::SimStandin>(options);
        ASSERT_TRUE(m_standin->start());
    }
    void TearDown() override {
        if (m_handle) {
            EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
        }
        m_standin->stop();
    }
    void registry(const std::string& ipv6, const std::string& ipv4) {
        std::string xml = "<registry><key root=\"HKCU\" path=\"SOFTWARE\\Lockheed Martin\\Prepar3D v5\">";
        if (!ipv6.empty()) xml += "<value name=\"SimConnect_Port_IPv6\">" + ipv6 + "</value>";
        if (!ipv4.empty()) xml += "<value name=\"SimConnect_Port_IPv4\">" + ipv4 + "</value>";
        xml += "</key></registry>";
        test::writeFile(m_appData / "registry.xml", xml);
    }
    bool connected() {
        return m_standin->waitFor([&] {
            const auto c = m_standin->connections();
            return c.size() == 1 && c[0].open;
        });
    }

    test::TempFolder m_appData;
    test::TempFolder m_current;
    test::CurrentDirectory m_cd{m_current.path()};
    std::unique_ptr<standin::SimStandin> m_standin;
    SimConnectHandle m_handle = nullptr;
};

TEST_F(DefaultEnvironment, RegistryPortsAfterThePipe) {
    if (m_standin->portIPv6() == 0) GTEST_SKIP() << "no IPv6 loopback here";
    registry(std::to_string(m_standin->portIPv6()), "1");
    ASSERT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::ok);
    EXPECT_TRUE(connected());
}

TEST_F(DefaultEnvironment, IPv4RegistryPortAndTooLongValues) {
    registry("1234567890", std::to_string(m_standin->port()));  // 10 characters do not fit
    ASSERT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::ok);
    EXPECT_TRUE(connected());
}

TEST_F(DefaultEnvironment, CfgInDocumentsAndNothingReachable) {
    std::filesystem::create_directories(m_appData / "Documents");
    m_standin->writeSimConnectCfg(m_appData / "Documents");
    ASSERT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::ok);
    EXPECT_TRUE(connected());
    EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
    m_handle = nullptr;

    std::filesystem::remove(m_appData / "Documents" / "SimConnect.cfg");
    registry("", "");
    EXPECT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::fail);
    EXPECT_EQ(m_handle, nullptr);
}

// SimConnect.cfg names a host that never answers: the open ends on the
// program's stop within a moment instead of after the system's connect
// time-out of about two minutes, so the program never hangs on its way out.
TEST_F(DefaultEnvironment, AnOpenToAHostThatNeverAnswersEndsOnAStop) {
    const test::StalledListener listener;
    std::filesystem::create_directories(m_appData / "Documents");
    test::writeFile(m_appData / "Documents" / "SimConnect.cfg",
                    "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(listener.port()) +
                        "\r\n");
    std::jthread closer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        g_stopProgram = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::fail);
    // The stop comes at 200 ms; the failed attempt's close adds its own 350 ms.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(m_handle, nullptr);
    closer.join();
    g_stopProgram = false;
}

}  // namespace
}  // namespace zrb
