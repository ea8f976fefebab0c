#include "simlink/sim_client.h"

#include <cctype>
#include <chrono>
#include <mutex>
#include <thread>

#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/log_repeats.h"
#include "foundation/user_error.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/common/sim_version.h"
#include "simconnect/protocol.h"
#include "simconnect/received.h"
#include "simconnect/simconnect.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_object_lists.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_setup.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "simlink/user_stand.h"
#include "traffic/sim_notice.h"

namespace zrb {

namespace {

using namespace simconnect;

constexpr auto openRetryInterval = std::chrono::milliseconds(100);
constexpr auto dispatchInterval = std::chrono::milliseconds(1);
constexpr platform::Rect wholeWindow{0, 0, platform::mainWindowWidth, platform::mainWindowHeight};
// SIMCONNECT_RECV_ID_CLIENT_DATA: this program shares no client data.
constexpr std::uint32_t msgClientData = 16;

// SimClient thread only.
std::uint32_t g_frameCount = 0;
bool g_quitReceived = false;

// Lines each message of the simulator can cause, as often as it sends them.
RepeatedLogLines g_positionChangedLines(LogLineKind::marked, "User ac position changed");
RepeatedLogLines g_flightLoadedLines(LogLineKind::plain, "SimConnect: flight loaded event");
RepeatedLogLines g_newFileLines(LogLineKind::marked, "SimConnect: New file event");
RepeatedLogLines g_emptyNameLines(LogLineKind::plain, "! Simulator name empty?");
RepeatedLogLines g_connectedLines(LogLineKind::plain, "Simulator connected");
RepeatedLogLines g_unrecognizedIdLines(LogLineKind::marked, "SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
RepeatedLogLines g_tooManyObjectsLines(LogLineKind::plain, "SimConnect: too many objects (max 1000)");
RepeatedLogLines g_invalidDataSizeLines(LogLineKind::plain, "SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE");
RepeatedLogLines g_flightPlanFailedLines(LogLineKind::marked, "SimConnect exception: load flight plan failed");
RepeatedLogLines g_invalidForTypeLines(LogLineKind::plain, "SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
RepeatedLogLines g_otherExceptionLines(LogLineKind::marked, "SIMCONNECT_EXCEPTION of other codes");
RepeatedLogLines g_unknownMessageLines(LogLineKind::plain, "! Unknown Dispatch dwID");

// A connection's counts end with it, so the next run's lines come out whole.
void lf_summariseMessageLines() {
    for (RepeatedLogLines* lines :
         {&g_positionChangedLines, &g_flightLoadedLines, &g_newFileLines, &g_emptyNameLines, &g_connectedLines,
          &g_unrecognizedIdLines, &g_tooManyObjectsLines, &g_invalidDataSizeLines, &g_flightPlanFailedLines,
          &g_invalidForTypeLines, &g_otherExceptionLines, &g_unknownMessageLines})
        lines->summarise();
}

// The timer resolution is raised for the dispatch loop's life only, also when
// an exception leaves it.
struct HighTimerResolution {
    HighTimerResolution() { platform::beginHighTimerResolution(); }
    ~HighTimerResolution() { platform::endHighTimerResolution(); }
    HighTimerResolution(const HighTimerResolution&) = delete;
    HighTimerResolution& operator=(const HighTimerResolution&) = delete;
};

void lf_newFlight() { gf_requestStop(ExitReason::newFlight, g_newFlightRestartSeconds); }

void lf_setConnectedIndicator(bool connected) {
    g_mainWindowState.simConnected = connected;
    gf_invalidateBand(g_statusBand);
}

void lf_setRunning(bool running) {
    g_simRunning = running;
    g_mainWindowState.simRunning = running;
    gf_invalidateBand(g_statusBand);
}

bool lf_contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The simulator names its version in its text; the installation path by the
// rule the shell's version detection uses, so both agree on every path.
bool lf_versionAccepted(std::string_view text, std::string_view installPath, std::int32_t version) {
    const int pathVersion = gf_simVersionFromPath(installPath);
    const bool v5 = lf_contains(text, "v5") && (pathVersion == 5 || version == 5);
    const bool v6 = lf_contains(text, "v6") && (pathVersion == 6 || version == 6);
    return v5 || v6;
}

// The user may correct the installation path after a refusal.
void lf_enableInstallPathEdit() {
    platform::ControlHandle handle = ALL_INSTALL_PATH.handle_;
    if (handle == platform::noControl) handle = platform::controlById(ALL_INSTALL_PATH.controlId);
    if (handle != platform::noControl) platform::enableControl(handle, true);
}

void lf_onEvent(const std::uint8_t* message, std::uint32_t size) {
    const auto event = gf_recvEvent(message, size);
    if (!event) return;
    switch (event->eventId) {
        case eventSim: lf_setRunning(event->data == 1); break;
        case eventPositionChanged:
            g_positionChangedLines.write("User ac position changed");
            lf_newFlight();
            break;
        case eventFlightLoaded:
            g_flightLoadedLines.write("SimConnect: flight loaded event");
            lf_requestUserStandCheck();
            lf_newFlight();
            break;
        default: break;
    }
}

void lf_onObjectAddRemove(const std::uint8_t* message, std::uint32_t size) {
    const auto added = gf_recvObjectAddRemove(message, size);
    if (!added || added->objectType != kObjectTypeAircraft) return;
    const std::uint32_t objectId = added->event.data;
    if (added->event.eventId == eventObjectAdded) {
        if (objectId > g_userObjectId.load()) lf_noteAddedObject(objectId);
    } else if (added->event.eventId == eventObjectRemoved) {
        // An object that leaves before the range reply saw it is forgotten too,
        // so the list does not grow with other programs' aircraft.
        std::erase(lf_addedObjects(), objectId);
        gf_pushSimNotice(SimNotice{objectId, 0, 0, static_cast<std::uint32_t>(SimNoticeKind::removed)});
    }
}

void lf_onFilename(const std::uint8_t* message, std::uint32_t size) {
    if (!gf_recvFilename(message, size)) return;
    g_newFileLines.write("SimConnect: New file event");
    lf_requestUserStandCheck();
    lf_newFlight();
}

void lf_onFrame(const std::uint8_t* message, std::uint32_t size) {
    const auto frame = gf_recvFrame(message, size);
    if (!frame) return;
    lf_onFrameFlushQueues();
    if (++g_frameCount >= g_framesPerRateSample) {
        g_frameCount = 0;
        g_simFrameRate = frame->frameRate;
    }
}

void lf_onQuit() {
    lf_setRunning(false);
    g_quitReceived = true;
    gf_logLine("SimConnect: the simulator quits");
    gf_simNoLongerConnected();
}

// Opens every 100 ms until it succeeds or a stop comes; the handle is then
// the link of this run.
SimConnectHandle lf_openWhenAvailable(const std::stop_token& stop) {
    while (!gf_stopUnderWay() && !stop.stop_requested()) {
        SimConnectHandle handle = nullptr;
        if (gf_succeeded(SimConnect_Open(&handle, g_simConnectClientName, nullptr, 0, nullptr, 0)) &&
            handle != nullptr) {
            std::lock_guard lock(g_simConnectMutex);
            g_hSimConnect = handle;
            return handle;
        }
        std::this_thread::sleep_for(openRetryInterval);
    }
    return nullptr;
}

// Dispatches until the token asks to stop or the link is gone.
void lf_dispatchLoop(SimConnectHandle handle, const std::stop_token& stop) {
    const HighTimerResolution resolution;
    while (!stop.stop_requested()) {
        const HRESULT hr = SimConnect_CallDispatch(handle, lf_dispatch, nullptr);
        gf_logHeldRepeats();
        if (g_quitReceived) return;
        if (!gf_succeeded(hr)) {
            gf_logMarked("SimConnect link broken (0x{:08X})", static_cast<std::uint32_t>(hr));
            lf_setRunning(false);
            gf_simNoLongerConnected();
            return;
        }
        std::this_thread::sleep_for(dispatchInterval);
    }
}

// Lets the link go under the mutex first, so no other thread can use it while
// or after it is closed.
void lf_closeLink() {
    SimConnectHandle handle = nullptr;
    {
        std::lock_guard lock(g_simConnectMutex);
        handle = g_hSimConnect;
        g_hSimConnect = nullptr;
    }
    if (handle == nullptr) return;
    if (gf_succeeded(SimConnect_Close(handle)))
        gf_logLine("SimConnect closed ok");
    else
        gf_logMarked("Closing SimConnect failed?!");
}

}  // namespace

std::string gf_cleanSimulatorName(std::string_view name) {
    std::string cleaned;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        // ASCII only: the name is 8-bit text in the simulator's code page.
        if (b < 0x80 && (std::isalnum(b) || std::isspace(b))) cleaned.push_back(c);
    }
    return cleaned;
}

void lf_resetDispatchState() {
    g_frameCount = 0;
    g_quitReceived = false;
    lf_resetObjectLists();
    lf_resetUserAircraftThreadState();
}

void lf_onOpen(const std::uint8_t* message, std::uint32_t size) {
    const auto open = gf_recvOpen(message, size);
    if (!open) return;
    if (open->applicationName.empty()) {
        g_emptyNameLines.write("! Simulator name empty?");
        return;
    }
    lf_setConnectedIndicator(true);
    const std::string name = gf_cleanSimulatorName(open->applicationName);
    if (name == "KittyHawk" || name == "SunRise") throw UserErrorException(78, name + ", (MSFS) not being P3D connects ... ?");
    const std::string text = fmt::format("{} ({}.{}.{}.{})", name, open->versionMajor, open->versionMinor,
                                         open->buildMajor, open->buildMinor);
    g_connectedLines.write("{} connected", text);
    gf_setDisplayText(DisplayText::simulatorText, text);
    gf_invalidateBand(g_statusBand);
    if (!lf_versionAccepted(text, SIM_INSTALL_PATH.value.get(), g_simVersion.load())) {
        lf_enableInstallPathEdit();
        throw UserErrorException(78, fmt::format("wrong P3D version '{}' connects ... ?)", text));
    }
    gf_clearMessage();
}

namespace {

// An exception that answers a creation ends it: the manager hears which
// aircraft the simulator did not create, and whether its livery was the cause.
void lf_creationAnswered(std::uint32_t sendId, SimNoticeKind kind) {
    const std::uint32_t hexId = lf_takePendingCreate(sendId);
    if (hexId != 0) gf_pushSimNotice(SimNotice{0, hexId, 0, static_cast<std::uint32_t>(kind)});
    // Refused after it was given up (the manager heard of it then): otherwise
    // its record would remove the next stranger's object under its callsign.
    if (hexId == 0) lf_forgetGivenUpCreate(sendId);
}

}  // namespace

void lf_onException(const std::uint8_t* message, std::uint32_t size) {
    const auto e = gf_recvException(message, size);
    if (!e) return;
    switch (e->exception) {
        case excUnrecognizedId: {
            const UserAcData user = gf_userAcRecord();
            if (gf_hasPosition(user.lat, user.lon) && !gf_stopUnderWay())
                g_unrecognizedIdLines.write("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
            // A removal of an object the simulator no longer knows: it is gone
            // as surely as if "ObjectRemoved" had said so.
            if (const std::uint32_t objectId = lf_takePendingRemoval(e->sendId); objectId != 0)
                gf_pushSimNotice(SimNotice{objectId, 0, 0, static_cast<std::uint32_t>(SimNoticeKind::removed)});
            break;
        }
        case excVersionMismatch:
            throw UserErrorException(95, fmt::format("SimConnect Version Mismatch, dwIndex: {}", e->index));
        case excTooManyObjects:
            gf_showMessage("SimConnect: too many objects (max 1000)", g_tooManyObjectsLines.admit());
            lf_creationAnswered(e->sendId, SimNoticeKind::creationRefused);
            break;
        case excInvalidDataSize: g_invalidDataSizeLines.write("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"); break;
        case excCreateObjectFailed: lf_creationAnswered(e->sendId, SimNoticeKind::creationFailed); break;
        case excLoadFlightPlanFailed: g_flightPlanFailedLines.write("SimConnect exception: load flight plan failed"); break;
        case excOperationInvalidForObjectType:
            g_invalidForTypeLines.write("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
            break;
        default:
            g_otherExceptionLines.write("SIMCONNECT_EXCEPTION #{}", e->exception);
            lf_creationAnswered(e->sendId, SimNoticeKind::creationRefused);
            break;
    }
}

void lf_dispatch(const std::uint8_t* message, std::uint32_t size, void* /*context*/) {
    const auto header = gf_recvHeader(message, size);
    if (!header) return;
    switch (header->id) {
        case msgException: lf_onException(message, size); break;
        case msgOpen: lf_onOpen(message, size); break;
        case msgQuit: lf_onQuit(); break;
        case msgEvent: lf_onEvent(message, size); break;
        case msgEventObjectAddRemove: lf_onObjectAddRemove(message, size); break;
        case msgEventFilename: lf_onFilename(message, size); break;
        case msgEventFrame: lf_onFrame(message, size); break;
        case msgSimObjectData: lf_onSimObjectData(message, size); break;
        case msgSimObjectDataByType: lf_onSimObjectDataByType(message, size); break;
        case msgAssignedObjectId:  // creations are matched by callsign and send id instead
        case msgClientData: break;
        default: g_unknownMessageLines.write("! Unknown Dispatch dwID {}", header->id); break;
    }
}

void gf_simClientThread(std::stop_token stop, const std::function<std::string()>& simVersionText) {
    lf_resetDispatchState();
    try {
        const std::string version = simVersionText ? simVersionText() : std::to_string(g_simVersion.load());
        gf_showMessage(fmt::format("Waiting for Prepar3Dv{} ...", version), true);
        gf_logLine("\n");
        platform::invalidateRect(wholeWindow);
        // One connection per run: when it ends, a stop has been asked for or set.
        const SimConnectHandle handle = lf_openWhenAvailable(stop);
        if (handle != nullptr) {
            g_simNotConnected = false;
            lf_setupSimConnect(handle);
            lf_dispatchLoop(handle, stop);
        }
    } catch (const UserErrorException& e) {
        const std::string_view text = e.what();
        gf_showError(text.empty() ? std::string_view("Unknown exception") : text);
    } catch (const std::exception& e) {
        gf_showError(e.what());
        gf_simNoLongerConnected();
    } catch (...) {
        gf_showError(fmt::format("Exception in {}", "SimClient"));
        gf_simNoLongerConnected();
    }
    // Whatever ended the thread, nothing may go on as if the simulator still ran.
    lf_setRunning(false);
    lf_setConnectedIndicator(false);
    lf_closeLink();
    lf_summariseMessageLines();
}

}  // namespace zrb
