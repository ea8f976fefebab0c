// Any bytes as what the simulator sends: the input is cut into reads (its first
// byte gives the largest read), framed by a real connection, dispatched, and
// every message is run through the checked readers. Framing, the receive
// buffer's growth and compaction and the readers must neither crash nor hang.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../fake_stream.h"
#include "fuzz_target.h"
#include "simconnect/received.h"
#include "simconnect/simconnect.h"

namespace {

using namespace zrb;
using namespace zrb::simconnect;

void lf_readAll(const std::uint8_t* message, std::uint32_t size, void*) {
    gf_recvHeader(message, size);
    gf_recvException(message, size);
    gf_recvOpen(message, size);
    gf_recvEvent(message, size);
    gf_recvObjectAddRemove(message, size);
    gf_recvFilename(message, size);
    gf_recvFrame(message, size);
    if (const auto data = gf_recvObjectData(message, size)) {
        for (std::size_t offset = 0; offset < data->data.size() + 8; offset += 8) {
            gf_dataF64(data->data, offset);
            gf_dataI64(data->data, offset);
            gf_dataText(data->data, offset, 32);
            gf_dataText(data->data, offset, 0);
        }
    }
}

// ---------------------------------------------------------------- seeds
// Messages as the simulator sends them to this program: its ids of events,
// requests and data definitions, its data layouts.
constexpr std::uint32_t eventSim = 201;
constexpr std::uint32_t eventObjectAdded = 202;
constexpr std::uint32_t eventObjectRemoved = 203;
constexpr std::uint32_t eventFrame = 204;
constexpr std::uint32_t eventFlightLoaded = 206;

class Message {
public:
    explicit Message(std::uint32_t id) { u32(0).u32(kProtocolVersion).u32(id); }
    Message& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<char>(v >> (8 * i)));
        return *this;
    }
    Message& f64(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
    }
    Message& f32(float v) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(bits);
    }
    Message& text(const std::string& s, std::size_t field) {
        std::string f(field, '\0');
        f.replace(0, std::min(s.size(), field), s.substr(0, field));
        m_bytes += f;
        return *this;
    }
    std::string done() const {
        std::string m = m_bytes;
        const auto size = static_cast<std::uint32_t>(m.size());
        for (int i = 0; i < 4; ++i) m[static_cast<std::size_t>(i)] = static_cast<char>(size >> (8 * i));
        return m;
    }

private:
    std::string m_bytes;
};

std::string lf_open() {
    Message m(msgOpen);
    m.text("Lockheed Martin\xAE Prepar3D\xAE v5", kNameFieldBytes).u32(5).u32(3).u32(17).u32(28160);
    for (int i = 0; i < 6; ++i) m.u32(0);
    return m.done();
}
std::string lf_event(std::uint32_t event, std::uint32_t data) {
    return Message(msgEvent).u32(kUnknownGroup).u32(event).u32(data).done();
}
std::string lf_addRemove(std::uint32_t event, std::uint32_t objectId) {
    return Message(msgEventObjectAddRemove).u32(kUnknownGroup).u32(event).u32(objectId).u32(kObjectTypeAircraft).done();
}
std::string lf_frame(float rate) {
    return Message(msgEventFrame).u32(kUnknownGroup).u32(eventFrame).u32(0).f32(rate).f32(1.0F).done();
}
Message lf_data(std::uint32_t id, std::uint32_t request, std::uint32_t object, std::uint32_t definition) {
    Message m(id);
    m.u32(request).u32(object).u32(definition).u32(0).u32(1).u32(1).u32(1);
    return m;
}
// The user aircraft (request 109, definition 403): eight doubles, four integers.
std::string lf_userData(double lat, double lon) {
    Message m = lf_data(msgSimObjectData, 109, 1, 403);
    for (double v : {lat, lon, 0.0, 0.0, 1.2, 400.0, 0.0, 0.0}) m.f64(v);
    for (std::uint32_t v : {3600U, 60U, 2024U, 0U}) m.u32(v).u32(0);
    return m.done();
}
// An aircraft in range (request 101, definition 404).
std::string lf_inRange(std::uint32_t object, const std::string& atcId) {
    Message m = lf_data(msgSimObjectDataByType, 101, object, 404);
    m.f64(120.0).f64(-11.0).u32(0).u32(0).text(atcId, 32);
    return m.done();
}
// The user's title (request 106, definition 407), a text of variable length.
std::string lf_title(const std::string& title) {
    return lf_data(msgSimObjectData, 106, 1, 407).text(title, title.size() + 1).done();
}

// A run as the simulator sends it: the open reply, the first events and
// replies about the user aircraft, then frames, per-second replies and
// aircraft coming and going, about `frames` frames long.
std::string lf_run(int frames) {
    std::string s = lf_open() + lf_event(eventSim, 1) + lf_title("Boeing 737-800 Paint1") +
                    lf_data(msgSimObjectData, 107, 1, 408).text("B738", 32).done() + lf_userData(52.3, 4.76);
    for (int i = 0; i < frames; ++i) {
        s += lf_frame(29.5F + static_cast<float>(i % 7));
        if (i % 10 == 0) s += lf_data(msgSimObjectData, 108, 1, 409).u32(1).u32(0).done() + lf_userData(52.3, 4.76);
        if (i % 25 == 3) {
            const auto object = static_cast<std::uint32_t>(1000 + i);
            s += lf_addRemove(eventObjectAdded, object) + lf_inRange(object, "KLM" + std::to_string(i));
        }
        if (i % 25 == 20) s += lf_addRemove(eventObjectRemoved, static_cast<std::uint32_t>(1000 + i - 17));
        if (i % 40 == 7) s += Message(msgException).u32(22).u32(7 + static_cast<std::uint32_t>(i)).u32(1).done();
        if (i % 50 == 9) s += Message(msgAssignedObjectId).u32(100).u32(static_cast<std::uint32_t>(2000 + i)).done();
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    test::FakeEnvironment env;
    gf_setSimConnectEnvironment(env.make());
    SimConnectHandle handle = nullptr;
    if (SimConnect_Open(&handle, "FUZZ", nullptr, 0, nullptr, 0xFFFFFFFF) != hresult::ok) return 0;

    // First byte: the largest read (1..256 bytes); the rest is the stream.
    const std::size_t chunk = static_cast<std::size_t>(data[0]) + 1;
    const std::vector<std::uint8_t> stream(data + 1, data + size);
    env.wire->deliver(stream, chunk);
    SimConnect_CallDispatch(handle, lf_readAll, nullptr);
    SimConnect_AIReleaseControl(handle, 1, 1);  // a call after whatever state the stream left
    SimConnect_Close(handle);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const std::string longRun = lf_run(150);  // about 6 KB: the buffer fills and compacts again and again
    const std::string padded = lf_frame(30.0F) + std::string(4, '\0') + lf_event(eventSim, 0) + std::string(2, '\0') +
                               lf_userData(47.0, 8.0) + std::string(7, '\0') + lf_frame(30.0F);
    // Messages larger than the first buffer: a long title grows it to the
    // message's size at once, a range reply of 40000 bytes nearly to the limit.
    const std::string longTitle = lf_title(std::string(5000, 'T'));
    const std::string large = lf_data(msgSimObjectDataByType, 101, 1001, 404).text("KLM1", 40000 - 40).done();
    const std::string tooLarge = lf_data(msgSimObjectData, 106, 1, 407).text("", 41089 - 40).done();
    return {
        '\xFF' + longRun,
        '\x60' + longRun,  // reads of 97 bytes: messages straddle every read
        '\x00' + lf_run(3),
        '\xFF' + padded,
        '\x0F' + padded,
        '\xFF' + lf_run(40) + longTitle + lf_run(40),
        '\xFF' + lf_frame(30.0F) + large + lf_frame(30.0F),
        '\xFF' + lf_run(20) + tooLarge,
        '\xFF' + lf_event(eventFlightLoaded, 0) + Message(msgEventFilename).u32(kUnknownGroup).u32(eventFlightLoaded)
                     .u32(0).text("flight.fxml", kFilenameFieldBytes).u32(0).done() + Message(msgQuit).done(),
    };
}
