// Any bytes as one message from the simulator, handed to the simulator layer's
// dispatch as SimConnect_CallDispatch would hand it: the handlers of every
// message kind must neither crash nor hang, whatever the fields hold.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "simconnect/protocol.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "traffic/sim_notice.h"

namespace {

using namespace zrb::simconnect;

void lf_put(std::string& m, std::size_t at, std::uint32_t v) {
    if (m.size() < at + 4) m.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i) m[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

// A message of the id with the words given after the header, its size in place.
std::string lf_message(std::uint32_t id, const std::vector<std::uint32_t>& words, std::size_t size = 0) {
    std::string m;
    lf_put(m, 4, kProtocolVersion);
    lf_put(m, 8, id);
    for (std::size_t i = 0; i < words.size(); ++i) lf_put(m, 12 + 4 * i, words[i]);
    if (size > m.size()) m.resize(size, '\0');
    lf_put(m, 0, static_cast<std::uint32_t>(m.size()));
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zrb::lf_resetDispatchState();
    if (size < kReceiveHeaderBytes || size > 1U << 20) return 0;  // the client drops the short ones itself
    try {
        zrb::lf_dispatch(data, static_cast<std::uint32_t>(size), nullptr);
    } catch (const std::exception&) {
        // The SimClient thread catches at its top: a refused simulator, a broken reply.
    }
    (void)zrb::gf_takeSimNotices();
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    using namespace zrb;
    return {
        lf_message(msgOpen, {}, kOpenMsgBytes),
        lf_message(msgEvent, {kUnknownGroup, eventSim, 1}),
        lf_message(msgEvent, {kUnknownGroup, eventFlightLoaded, 0}),
        lf_message(msgEventObjectAddRemove, {kUnknownGroup, eventObjectAdded, 120, kObjectTypeAircraft}),
        lf_message(msgEventFrame, {kUnknownGroup, eventFrame, 0x42480000, 0x3F800000}),
        lf_message(msgException, {excCreateObjectFailed, 7, 1}),
        lf_message(msgSimObjectData, {reqUserData, 1, defUserData, 0, 1, 1, 12}, kObjectDataHeaderBytes + 96),
        lf_message(msgSimObjectData, {reqUserModel, 1, defUserModel, 0, 1, 1, 1}, kObjectDataHeaderBytes + 32),
        lf_message(msgSimObjectDataByType, {reqInRange, 130, defInRange, 0, 1, 2, 4}, kObjectDataHeaderBytes + 56),
        lf_message(msgEventFilename, {kUnknownGroup, eventFlightLoaded, 0}, 12 + 12 + 260 + 4),
        lf_message(msgQuit, {}),
    };
}
