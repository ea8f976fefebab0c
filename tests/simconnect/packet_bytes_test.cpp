// The exact bytes of every call the program makes.
#include <gtest/gtest.h>

#include <string>

#include "fake_stream.h"
#include "simconnect/simconnect.h"

namespace zrb {
namespace {

using test::getU32;
using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes lf_hex(const std::string& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ' || text[i] == '|') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

class PacketBytes : public ::testing::Test {
protected:
    void SetUp() override {
        gf_setSimConnectEnvironment(m_env.make());
        ASSERT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0xFFFFFFFF), hresult::ok);
        const auto writes = m_env.wire->takeWrites();
        ASSERT_EQ(writes.size(), 1u);
        m_open = writes[0];
    }
    void TearDown() override {
        if (m_handle) {
            EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
        }
        gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
    }
    // The one packet the last call wrote (empty when it wrote none).
    Bytes lastPacket() {
        auto writes = m_env.wire->takeWrites();
        if (writes.empty()) return {};
        EXPECT_EQ(writes.size(), 1u);
        return writes.back();
    }
    Bytes header(std::uint32_t size, std::uint32_t opcode, std::uint32_t sendId) {
        Bytes h;
        test::putU32(h, 0, size);
        test::putU32(h, 4, 35);
        test::putU32(h, 8, 0xF0000000 | opcode);
        test::putU32(h, 12, sendId);
        return h;
    }

    test::FakeEnvironment m_env;
    SimConnectHandle m_handle = nullptr;
    Bytes m_open;
};

TEST_F(PacketBytes, OpenPacket) {
    Bytes expected = lf_hex("28 01 00 00 | 23 00 00 00 | 01 00 00 F0 | 01 00 00 00 | 54 4C 56 52 5F 50 33 44");
    expected.resize(272, 0);
    const Bytes tail = lf_hex("00 00 00 00 | 00 44 33 50 | 05 00 00 00 | 03 00 00 00 | 00 00 00 00 | 00 00 00 00");
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(m_open, expected);
}

TEST_F(PacketBytes, RequestCalls) {
    ASSERT_EQ(SimConnect_TransmitClientEvent(m_handle, 1234, 215, 1, 301, 0), hresult::ok);
    Bytes expected = header(36, 0x05, 2);
    const Bytes fields = lf_hex("D2 04 00 00 | D7 00 00 00 | 01 00 00 00 | 2D 01 00 00 | 00 00 00 00");
    expected.insert(expected.end(), fields.begin(), fields.end());
    EXPECT_EQ(lastPacket(), expected);

    // RANGE 40 NM: 40 x 1852 + 10000 m.
    ASSERT_EQ(SimConnect_RequestDataOnSimObjectType(m_handle, 101, 404, 84080, 2), hresult::ok);
    expected = header(32, 0x0F, 3);
    const Bytes byType = lf_hex("65 00 00 00 | 94 01 00 00 | 70 48 01 00 | 02 00 00 00");
    expected.insert(expected.end(), byType.begin(), byType.end());
    EXPECT_EQ(lastPacket(), expected);

    ASSERT_EQ(SimConnect_RequestDataOnSimObject(m_handle, 108, 409, 0, 4, 0, 0, 0, 0), hresult::ok);
    expected = header(48, 0x0E, 4);
    const Bytes request = lf_hex("6C 00 00 00 | 99 01 00 00 | 00 00 00 00 | 04 00 00 00") + Bytes{};
    expected.insert(expected.end(), request.begin(), request.end());
    expected.resize(48, 0);
    EXPECT_EQ(lastPacket(), expected);

    ASSERT_EQ(SimConnect_AddClientEventToNotificationGroup(m_handle, 301, 208, true), hresult::ok);
    EXPECT_EQ(lastPacket(), header(28, 0x07, 5) + lf_hex("2D 01 00 00 D0 00 00 00 01 00 00 00"));
    ASSERT_EQ(SimConnect_SetNotificationGroupPriority(m_handle, 301, 1), hresult::ok);
    EXPECT_EQ(lastPacket(), header(24, 0x09, 6) + lf_hex("2D 01 00 00 01 00 00 00"));
    ASSERT_EQ(SimConnect_AIReleaseControl(m_handle, 100, 103), hresult::ok);
    EXPECT_EQ(lastPacket(), header(24, 0x2B, 7) + lf_hex("64 00 00 00 67 00 00 00"));
    ASSERT_EQ(SimConnect_AIRemoveObject(m_handle, 100, 105), hresult::ok);
    EXPECT_EQ(lastPacket(), header(24, 0x2C, 8) + lf_hex("64 00 00 00 69 00 00 00"));

    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 204, "Frame"), hresult::ok);
    Bytes subscribe = lastPacket();
    ASSERT_EQ(subscribe.size(), 276u);
    EXPECT_EQ(Bytes(subscribe.begin(), subscribe.begin() + 25), header(276, 0x17, 9) + lf_hex("CC 00 00 00 46 72 61 6D 65"));
    EXPECT_EQ(std::count(subscribe.begin() + 25, subscribe.end(), 0), 251);

    ASSERT_EQ(SimConnect_MapClientEventToSimEvent(m_handle, 220, "GEAR_SET"), hresult::ok);
    Bytes map = lastPacket();
    ASSERT_EQ(map.size(), 276u);
    EXPECT_EQ(getU32(map, 8), 0xF0000004u);
    EXPECT_EQ(getU32(map, 16), 220u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(map.data() + 20)), "GEAR_SET");
}

TEST_F(PacketBytes, DataDefinitionAndSetData) {
    ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 407, "TITLE", nullptr, 11, 0.0f, 0xFFFFFFFF), hresult::ok);
    const Bytes def = lastPacket();
    ASSERT_EQ(def.size(), 544u);
    EXPECT_EQ(getU32(def, 8), 0xF000000Cu);
    EXPECT_EQ(getU32(def, 16), 407u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(def.data() + 20)), "TITLE");
    EXPECT_EQ(std::count(def.begin() + 276, def.begin() + 532, 0), 256);  // no units
    EXPECT_EQ(getU32(def, 532), 11u);
    EXPECT_EQ(getU32(def, 536), 0u);
    EXPECT_EQ(getU32(def, 540), 0xFFFFFFFFu);

    ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 402, "Plane Altitude", "feet", 4, 0.5f, 7), hresult::ok);
    const Bytes def2 = lastPacket();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(def2.data() + 276)), "feet");
    EXPECT_EQ(getU32(def2, 536), 0x3F000000u);  // 0.5f
    EXPECT_EQ(getU32(def2, 540), 7u);

    Bytes block(64);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(SimConnect_SetDataOnSimObject(m_handle, 402, 117, 0, 0, 64, block.data()), hresult::ok);
    const Bytes set = lastPacket();
    ASSERT_EQ(set.size(), 100u);
    EXPECT_EQ(getU32(set, 0), 100u);
    EXPECT_EQ(getU32(set, 8), 0xF0000010u);
    EXPECT_EQ(getU32(set, 16), 402u);
    EXPECT_EQ(getU32(set, 20), 117u);
    EXPECT_EQ(getU32(set, 28), 1u);  // ArrayCount 0 goes out as 1
    EXPECT_EQ(getU32(set, 32), 64u);
    EXPECT_EQ(Bytes(set.begin() + 36, set.end()), block);
}

TEST_F(PacketBytes, CreateAndFlightPlanTextLimits) {
    SimConnectInitPosition pos;
    pos.latitudeDeg = 1.0;
    pos.longitudeDeg = -2.0;
    pos.altitudeFt = 3.5;
    pos.headingDeg = 270.0;
    pos.onGround = 1;
    pos.airspeedKt = 0;
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(m_handle, "Airbus A320 Swiss", "SWR123ABCDE", pos, 104), hresult::ok);
    const Bytes create = lastPacket();
    ASSERT_EQ(create.size(), 344u);
    EXPECT_EQ(getU32(create, 8), 0xF0000029u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(create.data() + 16)), "Airbus A320 Swiss");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(create.data() + 272)), "SWR123ABCDE");
    EXPECT_EQ(Bytes(create.begin() + 284, create.begin() + 292), lf_hex("00 00 00 00 00 00 F0 3F"));  // 1.0
    EXPECT_EQ(Bytes(create.begin() + 292, create.begin() + 300), lf_hex("00 00 00 00 00 00 00 C0"));  // -2.0
    EXPECT_EQ(Bytes(create.begin() + 300, create.begin() + 308), lf_hex("00 00 00 00 00 00 0C 40"));  // 3.5
    EXPECT_EQ(Bytes(create.begin() + 324, create.begin() + 332), lf_hex("00 00 00 00 00 E0 70 40"));  // 270
    EXPECT_EQ(getU32(create, 332), 1u);
    EXPECT_EQ(getU32(create, 336), 0u);
    EXPECT_EQ(getU32(create, 340), 104u);
    const std::uint32_t createId = getU32(create, 12);

    // A 12-character tail number does not fit: nothing is sent, and its send
    // id is used up.
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(m_handle, "T", "SWR123ABCDEF", pos, 104), hresult::textTooLong);
    EXPECT_TRUE(lastPacket().empty());
    std::uint32_t lastSent = 0;
    ASSERT_EQ(SimConnect_GetLastSentPacketID(m_handle, &lastSent), hresult::ok);
    EXPECT_EQ(lastSent, createId);  // the refused packet never went out
    ASSERT_EQ(SimConnect_AIReleaseControl(m_handle, 1, 1), hresult::ok);
    EXPECT_EQ(getU32(lastPacket(), 12), createId + 2);

    const std::string path259(259, 'p');
    ASSERT_EQ(SimConnect_AISetAircraftFlightPlan(m_handle, 117, path259.c_str(), 110), hresult::ok);
    const Bytes plan = lastPacket();
    ASSERT_EQ(plan.size(), 284u);
    EXPECT_EQ(getU32(plan, 16), 117u);
    EXPECT_EQ(plan[278], 'p');
    EXPECT_EQ(plan[279], 0);
    EXPECT_EQ(getU32(plan, 280), 110u);
    const std::string path260(260, 'p');
    EXPECT_EQ(SimConnect_AISetAircraftFlightPlan(m_handle, 117, path260.c_str(), 110), hresult::textTooLong);
    EXPECT_TRUE(lastPacket().empty());

    const std::string name256(256, 'n');
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 1, name256.c_str()), hresult::textTooLong);
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 1, name256.substr(1).c_str()), hresult::ok);
    EXPECT_EQ(lastPacket().size(), 276u);
}

TEST_F(PacketBytes, SendIdsAndHandles) {
    std::uint32_t id = 0;
    ASSERT_EQ(SimConnect_AIReleaseControl(m_handle, 1, 1), hresult::ok);
    ASSERT_EQ(SimConnect_GetLastSentPacketID(m_handle, &id), hresult::ok);
    EXPECT_EQ(id, 2u);  // Open was 1
    lastPacket();

    gf_setSendCounterForTest(m_handle, 0xFFFFFFFF);
    ASSERT_EQ(SimConnect_AIReleaseControl(m_handle, 1, 1), hresult::ok);
    EXPECT_EQ(getU32(lastPacket(), 12), 1u);  // 0 is skipped

    EXPECT_EQ(SimConnect_GetLastSentPacketID(m_handle, nullptr), hresult::fail);
    EXPECT_EQ(SimConnect_GetLastSentPacketID(nullptr, &id), hresult::fail);
    EXPECT_EQ(SimConnect_AIReleaseControl(nullptr, 1, 1), hresult::fail);
    EXPECT_EQ(SimConnect_TransmitClientEvent(nullptr, 1, 1, 1, 1, 0), hresult::fail);
    EXPECT_EQ(SimConnect_CallDispatch(nullptr, [](const std::uint8_t*, std::uint32_t, void*) {}, nullptr),
              hresult::fail);
    EXPECT_EQ(SimConnect_CallDispatch(m_handle, nullptr, nullptr), hresult::fail);  // none given at open
    EXPECT_EQ(SimConnect_Close(nullptr), hresult::fail);
}

// A data block larger than the 41088-byte outgoing buffer, or one whose size
// overflows 32 bits, is refused without sending or using a send id.
TEST_F(PacketBytes, OversizeSetDataIsRefused) {
    std::vector<std::uint8_t> block(simconnect::kOutgoingBufferBytes);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(m_handle, 402, 1, 0, 1, simconnect::kOutgoingBufferBytes - 36,
                                            block.data()),
              hresult::ok);
    EXPECT_EQ(lastPacket().size(), simconnect::kOutgoingBufferBytes);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(m_handle, 402, 1, 0, 1, simconnect::kOutgoingBufferBytes - 35,
                                            block.data()),
              hresult::invalidArg);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(m_handle, 402, 1, 0, 0x10000, 0x10000, block.data()),
              hresult::invalidArg);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(m_handle, 402, 1, 0, 1, 64, nullptr), hresult::invalidArg);
    EXPECT_TRUE(lastPacket().empty());
    ASSERT_EQ(SimConnect_AIReleaseControl(m_handle, 1, 1), hresult::ok);
    EXPECT_EQ(getU32(lastPacket(), 12), 3u);
}

}  // namespace
}  // namespace zrb
