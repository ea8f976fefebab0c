// Receiving, dispatch and connection failures, driven through a fake stream.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fake_stream.h"
#include "simconnect/simconnect.h"

namespace zrb {
namespace {

using test::message;
using Bytes = std::vector<std::uint8_t>;

struct Received {
    std::vector<Bytes> messages;
    SimConnectHandle handle = nullptr;
    int throwOnCall = -1;  // the callback throws on this call (0-based)
    int calls = 0;
    bool sendFromCallback = false;
};

void lf_collect(const std::uint8_t* data, std::uint32_t size, void* context) {
    auto* r = static_cast<Received*>(context);
    const int call = r->calls++;
    r->messages.emplace_back(data, data + size);
    // No lock of the client is held here: calls from the callback must work.
    if (r->sendFromCallback) {
        EXPECT_EQ(SimConnect_AIReleaseControl(r->handle, 5, 103), hresult::ok);
    }
    if (call == r->throwOnCall) throw std::runtime_error("from the callback");
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override {
        gf_setSimConnectEnvironment(m_env.make());
        ASSERT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0xFFFFFFFF), hresult::ok);
        m_received.handle = m_handle;
        m_env.wire->takeWrites();
    }
    void TearDown() override {
        EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
        gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
    }
    HRESULT dispatch() { return SimConnect_CallDispatch(m_handle, lf_collect, &m_received); }

    test::FakeEnvironment m_env;
    SimConnectHandle m_handle = nullptr;
    Received m_received;
};

TEST_F(Dispatch, PacketsInOrderWholeAndOnlyFromTwelveBytes) {
    const Bytes a = message(24, 4, 1);
    const Bytes b = message(308, 2, 2);
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    ASSERT_TRUE(m_env.wire->deliver(both));
    ASSERT_TRUE(m_env.wire->deliver(b, 100));  // one packet over four reads
    Bytes padded = a;
    padded.insert(padded.end(), 8, 0);  // zero bytes between packets
    padded.insert(padded.end(), a.begin(), a.end());
    ASSERT_TRUE(m_env.wire->deliver(padded));
    ASSERT_TRUE(m_env.wire->deliver(message(12, 3)));
    ASSERT_TRUE(m_env.wire->deliver(message(11, 3)));  // framed, but too short to deliver
    ASSERT_TRUE(m_env.wire->deliver(message(16, 4)));
    EXPECT_EQ(dispatch(), hresult::ok);
    ASSERT_EQ(m_received.messages.size(), 7u);
    EXPECT_EQ(m_received.messages[0], a);
    EXPECT_EQ(m_received.messages[1], b);
    EXPECT_EQ(m_received.messages[2], b);
    EXPECT_EQ(m_received.messages[3], a);
    EXPECT_EQ(m_received.messages[4], a);
    EXPECT_EQ(m_received.messages[5], message(12, 3));
    EXPECT_EQ(m_received.messages[6], message(16, 4));
    EXPECT_EQ(dispatch(), hresult::ok);
    EXPECT_EQ(m_received.messages.size(), 7u);
}

// A bad size fails the connection: what was queued is still delivered, then
// every dispatch and every call returns E_ABORT and nothing more is sent.
TEST_F(Dispatch, BadSizeFailsTheConnection) {
    Bytes bytes = message(24, 4);
    Bytes bad(8, 0);
    test::putU32(bad, 0, 2);
    bytes.insert(bytes.end(), bad.begin(), bad.end());
    m_env.wire->deliver(bytes);
    EXPECT_EQ(dispatch(), hresult::abort);
    EXPECT_EQ(m_received.messages.size(), 1u);
    EXPECT_EQ(dispatch(), hresult::abort);
    EXPECT_EQ(SimConnect_TransmitClientEvent(m_handle, 1, 215, 1, 301, 0), hresult::abort);
    EXPECT_EQ(SimConnect_AIRemoveObject(m_handle, 100, 105), hresult::abort);
    EXPECT_TRUE(m_env.wire->takeWrites().empty());
    EXPECT_FALSE(m_env.wire->deliver(message(24, 4)));  // no read is armed any more
}

TEST_F(Dispatch, OversizePacketFailsTheConnection) {
    Bytes big(8, 0);
    test::putU32(big, 0, simconnect::kDefaultMaxReceiveSize + 1);
    m_env.wire->deliver(big);
    EXPECT_EQ(dispatch(), hresult::abort);
}

TEST_F(Dispatch, PeerClosedAfterMessages) {
    m_env.wire->deliver(message(24, 4));
    ASSERT_TRUE(m_env.wire->deliver({}) == true);  // nothing to hand over
    // A successful read of 0 bytes: the simulator closed its end.
    {
        std::unique_lock lock(m_env.wire->mutex);
        ASSERT_TRUE(m_env.wire->readArmed);
        auto* cb = m_env.wire->completion;
        auto* ctx = m_env.wire->context;
        m_env.wire->readArmed = false;
        lock.unlock();
        cb(ctx, false, platform::ioStatusSuccess, 0);
    }
    EXPECT_EQ(dispatch(), hresult::statusZeroByteRead);
    EXPECT_EQ(m_received.messages.size(), 1u);
    EXPECT_EQ(dispatch(), hresult::statusZeroByteRead);
    EXPECT_EQ(SimConnect_AIReleaseControl(m_handle, 1, 1), hresult::statusZeroByteRead);
}

TEST_F(Dispatch, CallbackExceptionsPassThroughAndLoseNothing) {
    for (std::uint8_t i = 0; i < 3; ++i) m_env.wire->deliver(message(24, 4, i));
    m_received.throwOnCall = 0;
    m_received.sendFromCallback = true;
    EXPECT_THROW(dispatch(), std::runtime_error);
    EXPECT_EQ(m_received.messages.size(), 1u);
    EXPECT_EQ(dispatch(), hresult::ok);  // the rest is still there
    ASSERT_EQ(m_received.messages.size(), 3u);
    EXPECT_EQ(m_received.messages[2], message(24, 4, 2));
    EXPECT_EQ(m_env.wire->takeWrites().size(), 3u);  // one release per callback
}

TEST_F(Dispatch, WriteThatCannotStartFailsTheConnection) {
    {
        std::lock_guard lock(m_env.wire->mutex);
        m_env.wire->failWrites = true;
    }
    EXPECT_EQ(SimConnect_AIReleaseControl(m_handle, 1, 1), hresult::ok);  // handed on, then the write failed
    EXPECT_LT(SimConnect_AIReleaseControl(m_handle, 1, 1), 0);
    EXPECT_LT(dispatch(), 0);
}

// Each completion status fails the connection with its own kind and code.
TEST(DispatchStatus, StatusesBecomeFailureCodes) {
    const std::pair<std::uint32_t, HRESULT> cases[] = {
        {platform::ioStatusConnectionReset, hresult::statusConnectionReset},
        {platform::ioStatusPipeBroken, hresult::statusPipeBroken},
        {platform::ioStatusRemoteDisconnect, hresult::statusRemoteDisconnect},
        {platform::ioStatusCancelled, hresult::statusCancelled},
        {platform::ioStatusBufferOverflow, hresult::statusBufferOverflow},  // on a socket: kind 9
        {0xC0000001u, static_cast<HRESULT>(0xC0000001u)},
    };
    for (const auto& [status, code] : cases) {
        // The pipe fails, so the connection is a TCP socket to the registry port.
        test::FakeEnvironment env;
        *env.succeedAt = 1;
        auto environment = env.make();
        environment.registryPort = [](bool, std::u16string& port) { return port = u"5001", true; };
        gf_setSimConnectEnvironment(environment);
        SimConnectHandle handle = nullptr;
        ASSERT_EQ(SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, 0xFFFFFFFF), hresult::ok);
        ASSERT_TRUE(env.wire->completeRead(status));
        Received r;
        EXPECT_EQ(SimConnect_CallDispatch(handle, lf_collect, &r), code) << std::hex << status;
        EXPECT_EQ(SimConnect_Close(handle), hresult::ok);
    }
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
}

// On a pipe, a message longer than the read is no failure: reading goes on.
TEST_F(Dispatch, PipeBufferOverflowGoesOn) {
    ASSERT_TRUE(m_env.wire->completeRead(platform::ioStatusBufferOverflow));
    ASSERT_TRUE(m_env.wire->deliver(message(24, 4)));
    EXPECT_EQ(dispatch(), hresult::ok);
    EXPECT_EQ(m_received.messages.size(), 1u);
}

}  // namespace
}  // namespace zrb

namespace zrb {
namespace {

// A handle kept after its connection was closed addresses nothing, even when
// a newer connection now lives where the old one did.
TEST(Handles, AClosedConnectionsHandleStaysRefusedWhileNewOnesOpen) {
    const auto open = [](test::FakeEnvironment& env) {
        gf_setSimConnectEnvironment(env.make());
        SimConnectHandle handle = nullptr;
        EXPECT_EQ(SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, 0xFFFFFFFF), hresult::ok);
        return handle;
    };
    test::FakeEnvironment firstEnv;
    const SimConnectHandle old = open(firstEnv);
    ASSERT_NE(old, nullptr);
    ASSERT_EQ(SimConnect_Close(old), hresult::ok);
    for (int i = 0; i < 8; ++i) {
        test::FakeEnvironment env;
        const SimConnectHandle fresh = open(env);
        ASSERT_NE(fresh, nullptr);
        EXPECT_NE(fresh, old);
        std::uint32_t id = 0;
        EXPECT_EQ(SimConnect_GetLastSentPacketID(old, &id), hresult::fail);
        EXPECT_EQ(SimConnect_AIReleaseControl(old, 5, 103), hresult::fail);
        EXPECT_EQ(SimConnect_CallDispatch(old, lf_collect, nullptr), hresult::fail);
        EXPECT_EQ(SimConnect_Close(old), hresult::fail);
        // The new connection is untouched by the calls on the old handle.
        env.wire->takeWrites();
        EXPECT_EQ(SimConnect_AIReleaseControl(fresh, 5, 103), hresult::ok);
        EXPECT_EQ(env.wire->takeWrites().size(), 1u);
        EXPECT_EQ(SimConnect_Close(fresh), hresult::ok);
    }
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
}

}  // namespace
}  // namespace zrb
