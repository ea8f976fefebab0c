// SimConnect.cfg lookup and the order of connection attempts.
#include <gtest/gtest.h>

#include "fake_stream.h"
#include "simconnect/simconnect.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using test::Attempt;
using test::message;

class ConnectOrder : public ::testing::Test {
protected:
    void SetUp() override {
        *m_env.succeedAt = -1;
        for (auto* folder : {&m_public, &m_documents, &m_current}) std::filesystem::create_directories(folder->path());
        apply();
    }
    void TearDown() override { gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment()); }

    void apply() {
        auto environment = m_env.make();
        const auto publicFolder = m_public.path();
        const auto documents = m_documents.path();
        const auto current = m_current.path();
        environment.cfgFolder = [=](platform::CfgFolder folder) -> std::optional<std::filesystem::path> {
            switch (folder) {
                case platform::CfgFolder::publicDocuments: return publicFolder;
                case platform::CfgFolder::documents: return documents;
                case platform::CfgFolder::current: return current;
            }
            return std::nullopt;
        };
        const auto ports = m_registry;
        environment.registryPort = [ports](bool ipv6, std::u16string& port) {
            port = ipv6 ? ports.first : ports.second;
            return !port.empty();
        };
        gf_setSimConnectEnvironment(environment);
    }
    void cfg(const test::TempFolder& folder, const std::string& text) {
        test::writeFile(folder / "SimConnect.cfg", text);
    }
    HRESULT open(std::uint32_t index = 0) {
        m_handle = nullptr;
        const HRESULT hr = SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, index);
        if (hr != hresult::ok) {
            EXPECT_EQ(m_handle, nullptr);
        }
        return hr;
    }
    void close() {
        if (m_handle) {
            EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
        }
        m_handle = nullptr;
        attempts();
    }
    std::vector<Attempt> attempts() { return std::exchange(*m_env.attempts, {}); }

    test::FakeEnvironment m_env;
    test::TempFolder m_public;
    test::TempFolder m_documents;
    test::TempFolder m_current;
    std::pair<std::u16string, std::u16string> m_registry{u"5001", u"5002"};
    SimConnectHandle m_handle = nullptr;
};

const Attempt kDefaultPipe{0, u".", u""};

TEST_F(ConnectOrder, NoCfgFallsBackThroughRegistryPorts) {
    EXPECT_EQ(open(), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{kDefaultPipe, {23, u"::1", u"5001"}, {2, u"127.0.0.1", u"5002"},
                                                kDefaultPipe}));
    // Without registry ports the TCP steps are skipped.
    m_registry = {u"", u""};
    apply();
    EXPECT_EQ(open(), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{kDefaultPipe, kDefaultPipe}));
}

TEST_F(ConnectOrder, CfgInCurrentFolder) {
    cfg(m_current, "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=500\n");
    EXPECT_EQ(open(), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{{2, u"127.0.0.1", u"500"}, kDefaultPipe}));

    *m_env.succeedAt = 0;
    apply();
    ASSERT_EQ(open(), hresult::ok);
    EXPECT_EQ(attempts().size(), 1u);
    const auto writes = m_env.wire->takeWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].size(), simconnect::kOpenBytes);
    close();
}

TEST_F(ConnectOrder, PipeToAnotherMachineHasNoFallback) {
    cfg(m_current, "[SimConnect]\nProtocol=Pipe\nAddress=otherhost\n");
    EXPECT_EQ(open(), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{{0, u"otherhost", u""}}));
}

TEST_F(ConnectOrder, LaterFilesOverrideKeyByKey) {
    cfg(m_public, "[SimConnect]\nProtocol=IPv4\nAddress=10.1.2.3\nPort=1\nMaxReceiveSize=1000\n");
    cfg(m_documents, "[SimConnect]\nPort=2\nProtocol=Bogus\n");
    cfg(m_current, "[SimConnect]\nAddress=\n");  // empty: changes nothing
    EXPECT_EQ(open(), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{{2, u"10.1.2.3", u"2"}}));

    // A TCP protocol without a port takes the registry's port of that family.
    cfg(m_public, "[SimConnect]\nProtocol=IPv6\nAddress=::1\n");
    std::filesystem::remove(m_documents / "SimConnect.cfg");
    std::filesystem::remove(m_current / "SimConnect.cfg");
    EXPECT_EQ(open(), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{{23, u"::1", u"5001"}, {2, u"127.0.0.1", u"5002"}, kDefaultPipe}));
}

TEST_F(ConnectOrder, ConfigurationIndexSections) {
    cfg(m_documents, "[SimConnect.2]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=7000\n");
    cfg(m_current, "[SimConnect]\nProtocol=IPv6\nAddress=::1\nPort=1\n");
    EXPECT_EQ(open(2), hresult::fail);
    EXPECT_EQ(attempts(), (std::vector<Attempt>{{2, u"127.0.0.1", u"7000"}, kDefaultPipe}));

    EXPECT_EQ(open(3), hresult::invalidArg);  // no [SimConnect.3] anywhere
    EXPECT_TRUE(attempts().empty());

    // Index -1 reads no file at all.
    EXPECT_EQ(open(0xFFFFFFFF), hresult::fail);
    EXPECT_EQ(attempts().front(), kDefaultPipe);
}

TEST_F(ConnectOrder, MaxReceiveSizeOnlyGrows) {
    cfg(m_documents, "[SimConnect]\nMaxReceiveSize=100000\n");
    cfg(m_current, "[SimConnect]\nMaxReceiveSize=50000\n");
    *m_env.succeedAt = 0;
    apply();
    ASSERT_EQ(open(), hresult::ok);
    ASSERT_TRUE(m_env.wire->deliver(message(99000, 8)));
    int delivered = 0;
    const auto count = [](const std::uint8_t*, std::uint32_t, void* c) { ++*static_cast<int*>(c); };
    EXPECT_EQ(SimConnect_CallDispatch(m_handle, count, &delivered), hresult::ok);
    EXPECT_EQ(delivered, 1);
    close();

    cfg(m_documents, "[SimConnect]\nMaxReceiveSize=1000\n");
    cfg(m_current, "[SimConnect]\nMaxReceiveSize=-5\n");
    ASSERT_EQ(open(), hresult::ok);
    ASSERT_TRUE(m_env.wire->deliver(message(simconnect::kDefaultMaxReceiveSize, 8)));
    EXPECT_EQ(SimConnect_CallDispatch(m_handle, count, &delivered), hresult::ok);
    EXPECT_EQ(delivered, 2);
    m_env.wire->deliver(message(simconnect::kDefaultMaxReceiveSize + 1, 8));
    EXPECT_EQ(SimConnect_CallDispatch(m_handle, count, &delivered), hresult::abort);
    close();
}

TEST_F(ConnectOrder, OpenArguments) {
    SimConnectHandle handle = nullptr;
    EXPECT_EQ(SimConnect_Open(nullptr, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::invalidArg);
    EXPECT_EQ(SimConnect_Open(&handle, nullptr, nullptr, 0, nullptr, 0), hresult::invalidArg);
    EXPECT_TRUE(attempts().empty());

    *m_env.succeedAt = 0;
    apply();
    const std::string longName(256, 'x');
    EXPECT_EQ(SimConnect_Open(&handle, longName.c_str(), nullptr, 0, nullptr, 0), hresult::textTooLong);
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(m_env.wire->takeWrites().empty());
    std::lock_guard lock(m_env.wire->mutex);
    EXPECT_TRUE(m_env.wire->closed);  // the transport was closed again
}

}  // namespace
}  // namespace zrb
