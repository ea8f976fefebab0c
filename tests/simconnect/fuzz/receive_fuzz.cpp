// libFuzzer target over the client's receive path: the input is cut into reads
// (its first bytes give the read sizes), framed by a real connection, dispatched
// and every message is run through the checked readers.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
//   cmake --build build-fuzz --target simconnect_receive_fuzz
//   build-fuzz/tests/simconnect/fuzz/simconnect_receive_fuzz -max_total_time=60
#include <cstddef>
#include <cstdint>

#include "../fake_stream.h"
#include "simconnect/received.h"
#include "simconnect/simconnect.h"

namespace {

using namespace zrb;

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
