// Any bytes as what the simulator sends during a run, handed to the simulator
// layer's dispatch through a real connection. Before the messages come, the
// layer has sent a few creations (one refused for its callsign) and asked for
// the user aircraft's position, as a run does: so a sequence of messages can
// match an ObjectAdded and a range reply to a creation, fail a creation by its
// send id, and answer the position request. The handlers must neither crash
// nor hang, whatever the messages hold and in whatever order they come.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "../../simconnect/fake_stream.h"
#include "../simlink_test_support.h"
#include "fuzz_target.h"
#include "simconnect/simconnect.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"

namespace {

using namespace zrb;
using namespace zrb::simconnect;
using test::Bytes;

struct Creation {
    const char* callsign;
    std::uint32_t hexId;
};
// Two live aircraft, a static one ("*": the planner's callsigns), another
// live one, and one whose callsign is too long to be sent.
constexpr Creation creations[] = {
    {"KLM123", 0x4840D6}, {"DLH4AB", 0x3C6444}, {"KLM9*", 812}, {"BAW77", 0x400A11}, {"ABCDEFGHIJKL", 0x400A12}};

// A fresh link with the creations and a position request sent; null when the
// connection could not be opened.
SimConnectHandle lf_startRun(const test::FakeEnvironment& env) {
    test::resetLink();
    gf_setSimConnectEnvironment(env.make());
    SimConnectHandle handle = nullptr;
    if (SimConnect_Open(&handle, g_simConnectClientName, nullptr, 0, nullptr, 0xFFFFFFFF) != hresult::ok) return nullptr;
    {
        std::lock_guard lock(g_simConnectMutex);
        g_hSimConnect = handle;
    }
    for (const Creation& c : creations) {
        CreateAcRequest request;
        request.callsign = c.callsign;
        request.title = "Boeing 737-800 Paint1";
        request.hexId = c.hexId;
        request.initPos.latitudeDeg = 52.3;
        request.initPos.longitudeDeg = 4.76;
        gf_queueCreateAc(request);
    }
    lf_onFrameFlushQueues();
    (void)gf_getUserAcPosition();
    return handle;
}

void lf_endRun(SimConnectHandle handle) {
    {
        std::lock_guard lock(g_simConnectMutex);
        g_hSimConnect = nullptr;
    }
    SimConnect_Close(handle);
    (void)gf_takeSimNotices();
}

// The send ids of the creation packets the layer wrote.
std::vector<std::uint32_t> lf_createSendIds(const std::vector<Bytes>& writes) {
    Bytes all;
    for (const Bytes& w : writes) all.insert(all.end(), w.begin(), w.end());
    const auto word = [&](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, all.data() + at, sizeof v);
        return v;
    };
    std::vector<std::uint32_t> ids;
    for (std::size_t at = 0; at + kSendHeaderBytes <= all.size();) {
        const std::uint32_t size = word(at);
        if (size < kSendHeaderBytes || size > all.size() - at) break;
        if (word(at + 8) == (kOpcodeFlag | opAICreateNonATCAircraft)) ids.push_back(word(at + 12));
        at += size;
    }
    return ids;
}

std::string lf_join(const std::vector<Bytes>& messages) {
    std::string s;
    for (const Bytes& m : messages) s.append(m.begin(), m.end());
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1U << 20) return 0;
    test::FakeEnvironment env;
    const SimConnectHandle handle = lf_startRun(env);
    if (handle == nullptr) return 0;
    env.wire->deliver(std::vector<std::uint8_t>(data, data + size));
    // The SimClient thread catches at its top (a refused simulator, a broken
    // reply); each throw has used up its message, so the rest still comes.
    for (bool done = false; !done;) {
        try {
            (void)SimConnect_CallDispatch(handle, lf_dispatch, nullptr);
            done = true;
        } catch (const std::exception&) {
        }
    }
    lf_endRun(handle);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    using namespace test;
    std::vector<std::uint32_t> sendIds;
    {
        const FakeEnvironment env;
        const SimConnectHandle handle = lf_startRun(env);
        if (handle != nullptr) {
            sendIds = lf_createSendIds(env.wire->takeWrites());
            lf_endRun(handle);
        }
    }
    if (sendIds.size() < 4) throw std::logic_error("the creations were not sent");
    const Bytes open = openMsg("Lockheed Martin\xAE Prepar3D\xAE v5");
    UserData user;
    user.lat = 52.3;
    user.lon = 4.76;
    // The simulator's answers to the creations: each aircraft added, then the
    // range reply naming it by its callsign; the user's position answered
    // with the user's object id; a creation failed by its send id.
    const std::string run = lf_join({
        open,
        eventMsg(eventSim, 1),
        userDataMsg(user, 1),
        addRemoveMsg(eventObjectAdded, 1001),
        addRemoveMsg(eventObjectAdded, 1002),
        addRemoveMsg(eventObjectAdded, 1003),
        frameMsg(30.0F),
        inRangeMsg(1001, 120.0, -11.0, 0, "KLM123"),
        inRangeMsg(1002, 0.0, -11.0, 1, "KLM9*"),
        inRangeMsg(1003, 3.0, -11.0, 1, "OTHER1"),
        exceptionMsg(excCreateObjectFailed, sendIds[1], 1),
        frameMsg(30.0F),
        inRangeMsg(1003, 3.0, -11.0, 1, "OTHER1"),
        addRemoveMsg(eventObjectRemoved, 1001),
        onGroundMsg(true),
        userDataMsg(user, 1),
    });
    // The range reply before ObjectAdded, a creation failed twice and one
    // never sent, the user's object answered by an unasked reply.
    const std::string unordered = lf_join({
        inRangeMsg(1004, 50.0, 0.0, 0, "BAW77"),
        addRemoveMsg(eventObjectAdded, 1004),
        inRangeMsg(1004, 50.0, 0.0, 0, "BAW77"),
        exceptionMsg(excCreateObjectFailed, sendIds[3], 1),
        exceptionMsg(excCreateObjectFailed, sendIds[3], 1),
        exceptionMsg(excCreateObjectFailed, sendIds[0] + 100, 1),
        userDataMsg(user, 900),
        userDataMsg(user, 901),
        addRemoveMsg(eventObjectAdded, 902),
    });
    return {
        run,
        unordered,
        lf_join({open, textDataMsg(reqUserTitle, defUserTitle, "Boeing 737-800 Paint1", 0),
                 textDataMsg(reqUserModel, defUserModel, "B738", 32), frameMsg(25.0F)}),
        // Every exception the layer tells apart, with and without a user position.
        lf_join({exceptionMsg(excUnrecognizedId, 1, 2), userDataMsg(user, 1), exceptionMsg(excUnrecognizedId, 1, 2),
                 exceptionMsg(excTooManyObjects, 1, 0), exceptionMsg(excInvalidDataSize, 1, 0),
                 exceptionMsg(excLoadFlightPlanFailed, 1, 0), exceptionMsg(excOperationInvalidForObjectType, 1, 0),
                 exceptionMsg(excInvalidEnum, 1, 0), exceptionMsg(excVersionMismatch, 1, 2), eventMsg(eventFlightLoaded, 0),
                 Msg(msgQuit).done()}),
        lf_join({Msg(msgSimObjectData).u32(reqStaticCg).u32(1001).u32(defStaticCg).done(),
                 objectDataMsg(msgSimObjectData, reqStaticCg, 1001, defStaticCg, Bytes(16, 0x40))}),
    };
}
