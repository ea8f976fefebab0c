// The stand-in simulator's own checks of what a client sends, over a raw
// socket so that packets the real client never makes can be sent too; and its
// control channel.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "fake_stream.h"
#include "simconnect/protocol.h"
#include "simulator/control_channel.h"
#include "simulator/standin.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using namespace simconnect;
using test::getU32;
using test::putU32;
using Bytes = std::vector<std::uint8_t>;

class RawClient {
public:
    explicit RawClient(std::uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        timeval timeout{10, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~RawClient() { ::close(m_fd); }
    void send(const Bytes& bytes) { ASSERT_EQ(::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size())); }
    // The next whole message (empty on time-out or close).
    Bytes next() {
        Bytes m(4);
        if (!readAll(m.data(), 4)) return {};
        const std::uint32_t size = getU32(m, 0);
        m.resize(size);
        if (size < 4 || !readAll(m.data() + 4, size - 4)) return {};
        return m;
    }

    // The next line of text, without its line end (empty on time-out or close).
    std::string line() {
        std::string text;
        char c = 0;
        while (::recv(m_fd, &c, 1, 0) == 1) {
            if (c == '\n') return text;
            text.push_back(c);
        }
        return {};
    }

private:
    bool readAll(std::uint8_t* p, std::size_t n) {
        while (n > 0) {
            const ssize_t r = ::recv(m_fd, p, n, 0);
            if (r <= 0) return false;
            p += r;
            n -= static_cast<std::size_t>(r);
        }
        return true;
    }
    int m_fd = -1;
};

Bytes lf_packet(std::uint32_t size, std::uint32_t opcode, std::uint32_t sendId, std::uint32_t version = 35) {
    Bytes p(size, 0);
    putU32(p, 0, size);
    putU32(p, 4, version);
    putU32(p, 8, 0xF0000000 | opcode);
    putU32(p, 12, sendId);
    return p;
}

Bytes lf_open(std::uint32_t sendId) {
    Bytes p = lf_packet(kOpenBytes, opOpen, sendId);
    const std::string name = "RAW";
    std::copy(name.begin(), name.end(), p.begin() + 16);
    std::copy(std::begin(kOpenMagic), std::end(kOpenMagic), p.begin() + 276);
    putU32(p, 280, 5);
    putU32(p, 284, 3);
    return p;
}

void lf_text(Bytes& p, std::size_t offset, const std::string& text) { std::copy(text.begin(), text.end(), p.begin() + static_cast<std::ptrdiff_t>(offset)); }

// Exception code, send id and index of the next message, which must be an exception.
std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> lf_exception(RawClient& client) {
    const Bytes m = client.next();
    EXPECT_EQ(m.size(), kExceptionMsgBytes);
    if (m.size() != kExceptionMsgBytes) return {};
    EXPECT_EQ(getU32(m, 8), msgException);
    return {getU32(m, 12), getU32(m, 16), getU32(m, 20)};
}

class Standin : public ::testing::Test {
protected:
    void SetUp() override {
        standin::StandinOptions options;
        options.frameRateHz = 0.0;
        options.secondTicks = false;
        m_standin = std::make_unique<standin::SimStandin>(options);
        ASSERT_TRUE(m_standin->start());
        m_client = std::make_unique<RawClient>(m_standin->port());
    }
    std::unique_ptr<standin::SimStandin> m_standin;
    std::unique_ptr<RawClient> m_client;
};

TEST_F(Standin, RefusesBadPacketsWithExceptions) {
    m_client->send(lf_packet(24, opAIRemoveObject, 1));  // before Open
    EXPECT_EQ(std::get<0>(lf_exception(*m_client)), 4u);

    Bytes badOpen = lf_open(2);
    badOpen[277] = 0x45;  // wrong magic
    m_client->send(badOpen);
    EXPECT_EQ(lf_exception(*m_client), std::make_tuple(std::uint32_t{excVersionMismatch}, 2u, 3u));

    m_client->send(lf_open(3));
    EXPECT_EQ(getU32(m_client->next(), 8), msgOpen);

    m_client->send(lf_packet(24, opAIRemoveObject, 4, 34));  // another protocol version
    EXPECT_EQ(lf_exception(*m_client), std::make_tuple(std::uint32_t{excVersionMismatch}, 4u, 1u));
    m_client->send(lf_packet(28, opAIRemoveObject, 5));  // wrong size for the opcode
    EXPECT_EQ(std::get<0>(lf_exception(*m_client)), excSizeMismatch);
    Bytes remove = lf_packet(24, opAIRemoveObject, 6);
    putU32(remove, 16, 4242);
    m_client->send(remove);
    EXPECT_EQ(lf_exception(*m_client), std::make_tuple(std::uint32_t{excUnrecognizedId}, 6u, 1u));

    // A data block of the wrong size for its definition.
    Bytes define = lf_packet(kAddToDataDefinitionBytes, opAddToDataDefinition, 7);
    putU32(define, 16, 402);
    lf_text(define, 20, "Plane Latitude");
    lf_text(define, 276, "degree");
    putU32(define, 532, datumFloat64);
    putU32(define, 540, 0xFFFFFFFF);
    m_client->send(define);
    Bytes set = lf_packet(36 + 16, opSetDataOnSimObject, 8);
    putU32(set, 16, 402);
    putU32(set, 28, 1);
    putU32(set, 32, 16);
    m_client->send(set);
    EXPECT_EQ(std::get<0>(lf_exception(*m_client)), excInvalidDataSize);

    // A tail number without its terminator inside 12 bytes.
    Bytes create = lf_packet(kAICreateBytes, opAICreateNonATCAircraft, 9);
    lf_text(create, 16, "Title");
    lf_text(create, 272, "ABCDEFGHIJKL");
    m_client->send(create);
    EXPECT_EQ(lf_exception(*m_client), std::make_tuple(std::uint32_t{excCreateObjectFailed}, 9u, 2u));
    EXPECT_TRUE(m_standin->aiObjects().empty());
}

// The stand-in knows the simulator's names and refuses what the simulator
// would: a name it does not know, units that do not fit the variable, a field
// the program never sends otherwise, garbage after a text's terminator.
TEST_F(Standin, RefusesNamesAndFieldsTheSimulatorWouldRefuse) {
    m_client->send(lf_open(1));
    m_client->next();
    std::uint32_t sendId = 1;
    const auto define = [&](const std::string& name, const std::string& units, std::uint32_t type) {
        Bytes p = lf_packet(kAddToDataDefinitionBytes, opAddToDataDefinition, ++sendId);
        putU32(p, 16, 402);
        lf_text(p, 20, name);
        lf_text(p, 276, units);
        putU32(p, 532, type);
        putU32(p, 540, 0xFFFFFFFF);
        return p;
    };
    const auto refused = [&](const Bytes& packet) {
        m_client->send(packet);
        const auto [code, id, index] = lf_exception(*m_client);
        EXPECT_EQ(id, getU32(packet, 12));
        return std::make_pair(code, index);
    };
    using Refusal = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(refused(define("Plane Latitud", "degree", datumFloat64)), Refusal(excNameUnrecognized, 2));
    EXPECT_EQ(refused(define("Vertical Speed", "degree", datumFloat64)), Refusal(excNameUnrecognized, 3));
    EXPECT_EQ(refused(define("TITLE", "", datumFloat64)), Refusal(excInvalidDataType, 4));
    EXPECT_EQ(refused(define("Plane Altitude", "feet", datumString32)), Refusal(excInvalidDataType, 4));
    Bytes epsilon = define("Plane Altitude", "feet", datumFloat64);
    putU32(epsilon, 536, 0xBF800000);  // -1.0f
    EXPECT_EQ(refused(epsilon), Refusal(excError, 5));
    Bytes datumId = define("Plane Altitude", "feet", datumFloat64);
    putU32(datumId, 540, 7);
    EXPECT_EQ(refused(datumId), Refusal(excError, 6));
    Bytes trailing = define("Plane Altitude", "feet", datumFloat64);
    trailing[20 + 20] = 'x';  // after "Plane Altitude" and its terminator
    EXPECT_EQ(refused(trailing), Refusal(excError, 2));
    m_client->send(define("plane altitude", "FEET", datumFloat64));  // names and units in any case

    Bytes subscribe = lf_packet(kSubscribeBytes, opSubscribeToSystemEvent, ++sendId);
    lf_text(subscribe, 20, "6Hz");
    EXPECT_EQ(refused(subscribe), Refusal(excNameUnrecognized, 2));
    Bytes map = lf_packet(kMapClientEventBytes, opMapClientEventToSimEvent, ++sendId);
    putU32(map, 16, 208);
    lf_text(map, 20, "NAV_LIGHT_SET");
    EXPECT_EQ(refused(map), Refusal(excNameUnrecognized, 2));
    Bytes group = lf_packet(kAddToGroupBytes, opAddClientEventToNotificationGroup, ++sendId);
    putU32(group, 16, 301);
    putU32(group, 20, 208);
    putU32(group, 24, 1);
    EXPECT_EQ(refused(group), Refusal(excUnrecognizedId, 2));  // never mapped
    lf_text(map, 20, "NAV_LIGHTS_SET\0");
    putU32(map, 12, ++sendId);
    m_client->send(map);
    putU32(group, 12, ++sendId);
    putU32(group, 24, 2);  // a BOOL is 0 or 1
    EXPECT_EQ(refused(group), Refusal(excError, 3));

    Bytes request = lf_packet(kRequestDataBytes, opRequestDataOnSimObject, ++sendId);
    putU32(request, 16, 109);
    putU32(request, 20, 402);
    putU32(request, 28, periodOnce);
    putU32(request, 32, 2);  // tagged data
    EXPECT_EQ(refused(request), Refusal(excError, 5));
    putU32(request, 32, 0);
    for (std::uint32_t field = 0; field < 3; ++field) {  // origin, interval, limit
        Bytes asked = request;
        putU32(asked, 12, ++sendId);
        putU32(asked, 36 + 4 * field, 1);
        EXPECT_EQ(refused(asked), Refusal(excError, 6 + field));
    }
    putU32(request, 12, ++sendId);
    putU32(request, 28, 9);
    EXPECT_EQ(refused(request), Refusal(excInvalidEnum, 4));
    Bytes byType = lf_packet(kRequestDataByTypeBytes, opRequestDataOnSimObjectType, ++sendId);
    putU32(byType, 16, 101);
    putU32(byType, 20, 402);
    putU32(byType, 24, 10000);
    putU32(byType, 28, 9);
    EXPECT_EQ(refused(byType), Refusal(excInvalidEnum, 4));

    // What was refused left no trace; what was right is there.
    const auto connection = m_standin->connections().at(0);
    ASSERT_EQ(connection.definitions.at(402).size(), 1u);
    EXPECT_EQ(connection.definitions.at(402)[0].name, "plane altitude");
    EXPECT_TRUE(connection.subscriptions.empty());
    EXPECT_EQ(connection.mappedEvents.size(), 1u);
    EXPECT_TRUE(connection.groups.empty());
}

TEST_F(Standin, FlightPlansAreCheckedAndRecorded) {
    m_client->send(lf_open(1));
    m_client->next();
    Bytes create = lf_packet(kAICreateBytes, opAICreateNonATCAircraft, 2);
    lf_text(create, 16, "Title");
    lf_text(create, 272, "SWR1");
    m_client->send(create);
    const Bytes assigned = m_client->next();
    ASSERT_EQ(getU32(assigned, 8), msgAssignedObjectId);
    const std::uint32_t objectId = getU32(assigned, 16);

    test::TempFolder folder;
    const auto good = folder / "117.pln";
    test::writeFile(good, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SimBase.Document Type=\"AceXML\" version=\"4,3\">\r\n"
                          "<FlightPlan.FlightPlan>\r\n<FPType>IFR</FPType>\r\n<DepartureID>LSZH</DepartureID>\r\n"
                          "<DestinationID>EGLL</DestinationID>\r\n</FlightPlan.FlightPlan>\r\n</SimBase.Document>\r\n");
    const auto bad = folder / "bad.pln";
    test::writeFile(bad, "<SimBase.Document><FlightPl");
    for (const auto& [path, sendId] : {std::pair{good, 3u}, std::pair{bad, 4u}, std::pair{folder / "none.pln", 5u}}) {
        Bytes plan = lf_packet(kAISetFlightPlanBytes, opAISetAircraftFlightPlan, sendId);
        putU32(plan, 16, objectId);
        lf_text(plan, 20, path.string());
        m_client->send(plan);
    }
    EXPECT_EQ(lf_exception(*m_client), std::make_tuple(std::uint32_t{excLoadFlightPlanFailed}, 4u, 2u));
    EXPECT_EQ(lf_exception(*m_client), std::make_tuple(std::uint32_t{excLoadFlightPlanFailed}, 5u, 2u));
    const auto plans = m_standin->flightPlans();
    ASSERT_EQ(plans.size(), 3u);
    EXPECT_TRUE(plans[0].accepted);
    EXPECT_EQ(plans[0].departure, "LSZH");
    EXPECT_EQ(plans[0].destination, "EGLL");
    EXPECT_FALSE(plans[1].accepted);
}

TEST_F(Standin, ControlChannelAndCfgFile) {
    test::TempFolder folder;
    const auto cfg = m_standin->writeSimConnectCfg(folder.path());
    EXPECT_EQ(test::readFile(cfg), "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" +
                                       std::to_string(m_standin->port()) + "\r\n");

    using nlohmann::json;
    EXPECT_TRUE(standin::gf_controlCommand(*m_standin, {{"cmd", "setUser"}, {"lat", 10.5}, {"onGround", false}})["ok"]);
    EXPECT_DOUBLE_EQ(m_standin->user().aircraft.latitudeDeg, 10.5);
    EXPECT_FALSE(m_standin->user().aircraft.onGround);
    EXPECT_TRUE(standin::gf_controlCommand(*m_standin, {{"cmd", "refuseTitles"}, {"titles", {"Broken"}}})["ok"]);
    EXPECT_TRUE(standin::gf_controlCommand(*m_standin, {{"cmd", "setNewObjectCg"}, {"cgFt", 9.5}})["ok"]);
    EXPECT_FALSE(standin::gf_controlCommand(*m_standin, {{"cmd", "refuseTitles"}})["ok"]);  // no titles
    EXPECT_FALSE(standin::gf_controlCommand(*m_standin, {{"cmd", "nonsense"}})["ok"]);
    EXPECT_FALSE(standin::gf_controlCommand(*m_standin, {{"cmd", "setFrameRate"}})["ok"]);  // no hz
    EXPECT_FALSE(standin::gf_controlCommand(*m_standin, json::object())["ok"]);

    standin::ControlChannel channel(*m_standin);
    ASSERT_TRUE(channel.start(0));
    RawClient control(channel.port());
    const std::string lines = "{\"cmd\":\"addForeign\",\"atcId\":\"DLH4*\"}\nnot json\n{\"cmd\":\"listObjects\"}\n";
    control.send(Bytes(lines.begin(), lines.end()));
    const json added = json::parse(control.line());
    EXPECT_TRUE(added["ok"]);
    EXPECT_GE(added["objectId"].get<int>(), 100);
    EXPECT_EQ(json::parse(control.line())["error"], "not a JSON object");
    const json listed = json::parse(control.line());
    ASSERT_EQ(listed["objects"].size(), 1u);
    EXPECT_EQ(listed["objects"][0]["atcId"], "DLH4*");
    channel.stop();
}

}  // namespace
}  // namespace zrb
