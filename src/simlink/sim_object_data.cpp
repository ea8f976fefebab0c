// The replies to the program's data requests: the user aircraft's (106 to
// 109), the centre of gravity of a new aircraft (102) and the aircraft in
// range (101), which also tells which creation became which object.
#include <algorithm>

#include "foundation/log.h"
#include "foundation/log_repeats.h"
#include "simconnect/received.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_object_lists.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "traffic/sim_notice.h"

namespace zrb {

namespace {

constexpr std::size_t staticCgBytes = 16;   // definition 405
constexpr std::size_t modelBytes = 32;      // definition 408
constexpr std::size_t onGroundBytes = 8;    // definition 409
constexpr std::size_t inRangeBytes = 56;    // definition 404
constexpr std::size_t atcIdOffset = 24;     // in definition 404
constexpr std::size_t atcIdBytes = 32;
constexpr double groundDataMaxAglFt = 2500.0;
constexpr std::uint32_t liveHexIdAbove = 10000;

// Each reply can cause one; other programs may make many aircraft a minute.
RepeatedLogLines g_droppedReplyLines(LogLineKind::plain, "! SimConnect replies dropped");
RepeatedLogLines g_spawnedElsewhereLines(LogLineKind::plain,
                                         std::string("just spawned, but not by ") + g_simConnectClientName, 20);

// The reply belongs to the definition its request asked for and holds all of
// that definition's data; anything else is logged and dropped.
bool lf_replyFits(const RecvObjectData& reply, std::uint32_t definition, std::size_t minBytes) {
    if (reply.defineId == definition && reply.data.size() >= minBytes) return true;
    g_droppedReplyLines.write("! SimConnect reply to request {} for definition {} with {} data bytes dropped "
                              "(definition {}, {} bytes expected)",
                              reply.requestId, reply.defineId, reply.data.size(), definition, minBytes);
    return false;
}

std::uint32_t lf_low32(std::int64_t value) { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)); }

// The pending creation with exactly this callsign gives its hex id and is done.
std::uint32_t lf_takePendingHexId(const std::string& callsign) {
    auto& pending = lf_pendingCreates();
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (pending[i].callsign != callsign) continue;
        const std::uint32_t hexId = pending[i].hexId;
        if (i + 1 != pending.size()) pending[i] = std::move(pending.back());
        pending.pop_back();
        return hexId;
    }
    return 0;
}

void lf_newObjectInRange(std::uint32_t objectId, double agl, double groundAlt, std::uint32_t onGround,
                         const std::string& atcId) {
    const std::uint32_t hexId = atcId.empty() ? 0 : lf_takePendingHexId(atcId);
    if (hexId == 0 && !atcId.empty()) {
        // Nobody would own it: it would stand in the simulator until the program closes.
        if (const auto givenUp = lf_takeGivenUpCreate(atcId)) {
            gf_logMarked("! Simcon object {} came for a creation given up, hexid:{}, callsign: '{}': removed",
                         objectId, givenUp->hexId, atcId);
            gf_queueRemoval(objectId);
            return;
        }
    }
    if (hexId == 0) {
        g_spawnedElsewhereLines.write("just spawned, but not by {}, oid: {}, callsign '{}', altaboveGnd:{:.0f} ft, "
                                      "onground:{}, gnd_alt:{:.0f} ft",
                                      g_simConnectClientName, objectId, atcId, agl, onGround, groundAlt);
        return;
    }
    lf_releaseAndFreezeAc(objectId);
    const bool live = hexId > liveHexIdAbove;
    const auto kind = live ? SimNoticeKind::liveCreated : SimNoticeKind::staticCreated;
    gf_pushSimNotice(SimNotice{objectId, hexId, 0, static_cast<std::uint32_t>(kind), 0.0, live ? agl : 0.0});
}

}  // namespace

void lf_onSimObjectData(const std::uint8_t* message, std::uint32_t size) {
    const auto reply = gf_recvObjectData(message, size);
    if (!reply) return;
    switch (reply->requestId) {
        case reqStaticCg:
            if (!lf_replyFits(*reply, defStaticCg, staticCgBytes)) return;
            gf_pushSimNotice(SimNotice{reply->objectId, 0, 0, static_cast<std::uint32_t>(SimNoticeKind::centreOfGravity),
                                       *gf_dataF64(reply->data, 0), *gf_dataF64(reply->data, sizeof(double))});
            break;
        case reqUserTitle:
            if (!lf_replyFits(*reply, defUserTitle, 0)) return;
            lf_onUserAcTitle(gf_dataText(reply->data, 0, 0));
            break;
        case reqUserModel:
            if (!lf_replyFits(*reply, defUserModel, modelBytes)) return;
            lf_onUserAcModel(gf_dataText(reply->data, 0, modelBytes));
            break;
        case reqUserOnGround:
            if (!lf_replyFits(*reply, defUserOnGround, onGroundBytes)) return;
            lf_onUserAcOnGround(lf_low32(*gf_dataI64(reply->data, 0)));
            g_secondTick = true;
            break;
        case reqUserData:
            if (!lf_replyFits(*reply, defUserData, g_userAcDataBytes)) return;
            lf_onUserAcData(reply->objectId, reply->data);
            break;
        default: break;
    }
}

void lf_onSimObjectDataByType(const std::uint8_t* message, std::uint32_t size) {
    const auto reply = gf_recvObjectData(message, size);
    if (!reply || reply->requestId != reqInRange || reply->objectId <= g_userObjectId.load()) return;
    if (!lf_replyFits(*reply, defInRange, inRangeBytes)) return;
    const double agl = *gf_dataF64(reply->data, 0);
    const double groundAlt = *gf_dataF64(reply->data, sizeof(double));
    const std::uint32_t onGround = lf_low32(*gf_dataI64(reply->data, 2 * sizeof(double)));
    // 32 bytes that may lack their terminator.
    const std::string atcId = gf_dataText(reply->data, atcIdOffset, atcIdBytes);

    auto& added = lf_addedObjects();
    const auto it = std::find(added.begin(), added.end(), reply->objectId);
    if (it != added.end()) {
        *it = added.back();
        added.pop_back();
        lf_newObjectInRange(reply->objectId, agl, groundAlt, onGround, atcId);
        return;
    }
    if (agl <= groundDataMaxAglFt && !atcId.empty() && atcId.back() != '*')
        gf_pushSimNotice(SimNotice{reply->objectId, onGround, 0, static_cast<std::uint32_t>(SimNoticeKind::groundData),
                                   groundAlt, agl});
}

}  // namespace zrb
