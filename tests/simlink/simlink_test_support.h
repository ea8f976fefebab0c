#pragma once
// Messages as the simulator sends them, built byte by byte, and the link's
// state put back between tests. Shared by the scripted tests (which hand the
// messages to the dispatch directly) and the ones against the stand-in.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "config/parameters.h"
#include "feed/feed_shared.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "simconnect/protocol.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link.h"
#include "simlink/sim_object_lists.h"
#include "traffic/sim_notice.h"
#include "traffic/stand_search.h"

namespace zrb::test {

using Bytes = std::vector<std::uint8_t>;

class Msg {
public:
    explicit Msg(std::uint32_t id) {
        u32(0);
        u32(simconnect::kProtocolVersion);
        u32(id);
    }
    Msg& u32(std::uint32_t v) { return put(&v, sizeof v); }
    Msg& i64(std::int64_t v) { return put(&v, sizeof v); }
    Msg& f32(float v) { return put(&v, sizeof v); }
    Msg& f64(double v) { return put(&v, sizeof v); }
    Msg& bytes(const Bytes& b) {
        m_b.insert(m_b.end(), b.begin(), b.end());
        return *this;
    }
    // The text in a field of fieldBytes, zero-filled; not cut (a test may fill it whole).
    Msg& text(const std::string& s, std::size_t fieldBytes) {
        Bytes field(fieldBytes, 0);
        std::memcpy(field.data(), s.data(), std::min(s.size(), fieldBytes));
        return bytes(field);
    }
    Bytes done() const {
        Bytes b = m_b;
        const auto size = static_cast<std::uint32_t>(b.size());
        std::memcpy(b.data(), &size, sizeof size);
        return b;
    }

private:
    Msg& put(const void* p, std::size_t n) {
        const auto* c = static_cast<const std::uint8_t*>(p);
        m_b.insert(m_b.end(), c, c + n);
        return *this;
    }
    Bytes m_b;
};

inline void dispatch(const Bytes& m) { lf_dispatch(m.data(), static_cast<std::uint32_t>(m.size()), nullptr); }

inline Bytes openMsg(const std::string& name, std::uint32_t major = 5, std::uint32_t minor = 3,
                     std::uint32_t buildMajor = 17, std::uint32_t buildMinor = 28160) {
    Msg m(simconnect::msgOpen);
    m.text(name, simconnect::kNameFieldBytes).u32(major).u32(minor).u32(buildMajor).u32(buildMinor);
    for (int i = 0; i < 6; ++i) m.u32(0);
    return m.done();
}

inline Bytes eventMsg(std::uint32_t eventId, std::uint32_t data) {
    return Msg(simconnect::msgEvent).u32(simconnect::kUnknownGroup).u32(eventId).u32(data).done();
}

inline Bytes addRemoveMsg(std::uint32_t eventId, std::uint32_t objectId, std::uint32_t type = 2) {
    return Msg(simconnect::msgEventObjectAddRemove)
        .u32(simconnect::kUnknownGroup)
        .u32(eventId)
        .u32(objectId)
        .u32(type)
        .done();
}

inline Bytes exceptionMsg(std::uint32_t code, std::uint32_t sendId, std::uint32_t index) {
    return Msg(simconnect::msgException).u32(code).u32(sendId).u32(index).done();
}

inline Bytes frameMsg(float rate) {
    return Msg(simconnect::msgEventFrame).u32(simconnect::kUnknownGroup).u32(eventFrame).u32(0).f32(rate).f32(1.0F).done();
}

inline Bytes objectDataMsg(std::uint32_t messageId, std::uint32_t requestId, std::uint32_t objectId,
                           std::uint32_t defineId, const Bytes& data) {
    return Msg(messageId).u32(requestId).u32(objectId).u32(defineId).u32(0).u32(1).u32(1).u32(1).bytes(data).done();
}

struct UserData {
    double lat = 50.0, lon = 8.0, pitch = 0.0, bank = 0.0, heading = 1.0, altitudeFt = 400.0, aglFt = 0.0,
           groundSpeedKt = 0.0;
    std::int64_t zuluTime = 3600, day = 60, year = 2024, lights = 0;
    Bytes bytes() const {
        Msg m(0);
        for (double v : {lat, lon, pitch, bank, heading, altitudeFt, aglFt, groundSpeedKt}) m.f64(v);
        for (std::int64_t v : {zuluTime, day, year, lights}) m.i64(v);
        const Bytes all = m.done();
        return Bytes(all.begin() + 12, all.end());
    }
};

inline Bytes userDataMsg(const UserData& d, std::uint32_t objectId = 1) {
    return objectDataMsg(simconnect::msgSimObjectData, reqUserData, objectId, defUserData, d.bytes());
}

inline Bytes onGroundMsg(bool onGround) {
    Msg m(0);
    m.i64(onGround ? 1 : 0);
    const Bytes all = m.done();
    return objectDataMsg(simconnect::msgSimObjectData, reqUserOnGround, 1, defUserOnGround,
                         Bytes(all.begin() + 12, all.end()));
}

inline Bytes inRangeMsg(std::uint32_t objectId, double agl, double groundAlt, std::int64_t onGround,
                        const std::string& atcId) {
    Msg m(0);
    m.f64(agl).f64(groundAlt).i64(onGround).text(atcId, 32);
    const Bytes all = m.done();
    return objectDataMsg(simconnect::msgSimObjectDataByType, reqInRange, objectId, defInRange,
                         Bytes(all.begin() + 12, all.end()));
}

inline Bytes textDataMsg(std::uint32_t requestId, std::uint32_t defineId, const std::string& text,
                         std::size_t fieldBytes) {
    Msg m(0);
    if (fieldBytes == 0) {
        m.text(text, text.size() + 1);
    } else {
        m.text(text, fieldBytes);
    }
    const Bytes all = m.done();
    return objectDataMsg(simconnect::msgSimObjectData, requestId, 1, defineId, Bytes(all.begin() + 12, all.end()));
}

// The link, the stop state, the message line and the notices back to a start.
inline void resetLink() {
    g_stopProgram = false;
    gf_resetStopState();
    gf_resetSimLink(5);
    lf_resetDispatchState();
    gf_resetMessageLine();
    gf_clearStandTable();
    (void)gf_takeSimNotices();
    SIM_INSTALL_PATH.value = std::string("C:\\Prepar3D v5");
}

inline std::vector<SimNotice> noticesOfKind(SimNoticeKind kind) {
    std::vector<SimNotice> found;
    for (const SimNotice& n : gf_takeSimNotices())
        if (n.kind == static_cast<std::uint32_t>(kind)) found.push_back(n);
    return found;
}

template <typename Cond>
bool eventually(Cond cond, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zrb::test
