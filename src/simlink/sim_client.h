#pragma once
// The "SimClient" thread of a run: it waits for the simulator, opens
// SimConnect, registers the program's ids, refuses a wrong simulator and then
// dispatches every received message once a millisecond. Each message kind is
// handled here or handed to the user-aircraft and object-data handlers; every
// Frame event flushes the outgoing queues.
//
// Threads: everything below runs on the SimClient thread (the handlers inside
// SimConnect_CallDispatch), apart from the thread's start by the run.

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace zrb {

inline constexpr const char* g_simConnectClientName = "TLVR_P3D";
inline constexpr std::uint32_t g_framesPerRateSample = 30;

// The body of the thread. simVersionText gives the "5"/"6" of the waiting
// message (it may throw, as the detection does when it cannot tell); without
// it the version of gf_resetSimQueues is shown.
void gf_simClientThread(std::stop_token stop, const std::function<std::string()>& simVersionText = {});

// The callback given to SimConnect_CallDispatch: one received message.
void lf_dispatch(const std::uint8_t* message, std::uint32_t size, void* context);

// The handlers of the dispatch (SimClient thread).
void lf_onOpen(const std::uint8_t* message, std::uint32_t size);
void lf_onException(const std::uint8_t* message, std::uint32_t size);
void lf_onSimObjectData(const std::uint8_t* message, std::uint32_t size);
void lf_onSimObjectDataByType(const std::uint8_t* message, std::uint32_t size);

// The simulator name with only letters, digits and white space kept.
std::string gf_cleanSimulatorName(std::string_view name);

// The dispatch's own per-connection state back to its start (frame counter,
// the QUIT mark, the object lists, the user aircraft's thread values).
void lf_resetDispatchState();

}  // namespace zrb
