#pragma once
// A stand-in for the simulator's SimConnect server, on loopback TCP. It answers
// Open, system-event subscriptions, data definitions and requests, AI creation
// and removal and client events from a small world model (the user aircraft on
// flat ground and the AI objects), sends Frame events at a settable rate, and
// records everything the client sends. Tests drive it through the methods
// below; the tlv-simulator program exposes the same through a JSON-lines
// control port (control_channel.h).
//
// Threads: one accept thread, one reader per client connection and one ticker
// (Frame events and once-a-second requests). m_stateMutex owns the world, the
// connections' protocol state and the records; each connection's outMutex owns
// its outgoing queue and sendMutex serialises its writes. Lock order:
// m_stateMutex, then outMutex; sendMutex is taken alone. m_logMutex owns the
// packet log and is taken alone.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "simulator/wire.h"

namespace zrb::standin {

class FlightRecord;

struct StandinOptions {
    std::uint16_t port = 0;         // 0: the system picks a free port
    bool listenIPv6 = false;        // also listen on [::1]
    std::uint16_t portIPv6 = 0;
    double frameRateHz = 30.0;      // Frame events per second; 0: only emitFrame()
    bool secondTicks = true;        // answer period-second requests every second; false: only tickSecond()
    std::size_t packetLogLimit = 200000;  // oldest entries are dropped beyond this
};

struct SimIdentity {
    std::string name = "Lockheed Martin\xAE Prepar3D\xAE v5";  // 8-bit text, 0xAE = registered sign
    std::uint32_t versionMajor = 5;
    std::uint32_t versionMinor = 3;
    std::uint32_t buildMajor = 17;
    std::uint32_t buildMinor = 28160;
};

// One aircraft of the world: the user's (object id 1 by default) or an AI object.
struct SimAircraft {
    std::uint32_t objectId = 0;
    std::string title;
    std::string atcId;      // tail number given at creation ("ATC ID")
    std::string atcModel;
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
    double altitudeFt = 0.0;
    double pitchDeg = 0.0;
    double bankDeg = 0.0;
    double headingDeg = 0.0;
    double groundSpeedKt = 0.0;
    double verticalSpeedFtPerS = 0.0;
    double trueAirspeedKt = 0.0;
    bool onGround = true;
    std::uint64_t lightStates = 0;
    double staticCgFt = 8.0;
    double staticPitchDeg = 0.0;
    std::map<std::string, double> controls;  // "SPOILERS HANDLE POSITION", ... (percent)
    // AI objects only:
    std::uint32_t ownerConnection = 0;  // 0: a scripted foreign object
    std::uint32_t createRequestId = 0;
    bool released = false;
    bool frozenLatLon = false;
    bool frozenAltitude = false;
    bool frozenAttitude = false;
    std::uint64_t positionUpdates = 0;
    std::string flightPlan;                        // path of the last plan accepted
    std::map<std::string, std::uint32_t> lastEvents;  // simulator event name -> data
};

struct UserState {
    SimAircraft aircraft;
    std::int64_t zuluTimeS = 12 * 3600;
    std::int64_t zuluDayOfYear = 172;
    std::int64_t zuluYear = 2024;
};

struct RecordedEvent {
    std::uint32_t connection = 0;
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;
    std::string eventName;  // as mapped by the client; empty when unmapped
    std::uint32_t data = 0;
    std::uint32_t groupId = 0;
    std::uint32_t flags = 0;
};

struct RecordedFlightPlan {
    std::uint32_t objectId = 0;
    std::string path;
    bool accepted = false;
    std::string departure;
    std::string destination;
};

struct PacketLogEntry {
    std::uint32_t connection = 0;
    bool fromClient = true;
    std::uint32_t id = 0;      // opcode of a client packet, message id of a server message
    std::uint32_t sendId = 0;  // client packets only
    std::vector<std::uint8_t> bytes;
};

struct Datum {
    std::string name;
    std::string units;
    std::uint32_t type = 0;
    std::string key;       // the name in lower case, for looking values up
    bool radians = false;  // the units are radians (else angles are degrees)
};

struct ConnectionInfo {
    std::uint32_t id = 0;
    bool open = false;             // the Open packet arrived and was valid
    std::string applicationName;
    std::uint32_t lastSendId = 0;
    std::vector<std::string> subscriptions;  // system event names in order of subscription
    std::map<std::uint32_t, std::vector<Datum>> definitions;
    std::map<std::uint32_t, std::string> mappedEvents;
    std::map<std::uint32_t, std::vector<std::uint32_t>> groups;  // group -> client event ids in order
    std::map<std::uint32_t, bool> maskable;                      // client event id -> added as maskable
    std::map<std::uint32_t, std::uint32_t> groupPriorities;
};

class SimStandin {
public:
    explicit SimStandin(StandinOptions options = {});
    ~SimStandin();
    SimStandin(const SimStandin&) = delete;
    SimStandin& operator=(const SimStandin&) = delete;

    // Listens on 127.0.0.1 (and [::1] when asked). False when it cannot.
    bool start();
    void stop();
    std::uint16_t port() const { return m_port.load(); }
    std::uint16_t portIPv6() const { return m_portIPv6.load(); }

    // Writes "SimConnect.cfg" into the folder: [SimConnect] Protocol=IPv4,
    // Address=127.0.0.1, Port=<port>. Returns the file's path.
    std::filesystem::path writeSimConnectCfg(const std::filesystem::path& folder) const;

    // ------------------------------------------------------------ world and settings
    void setIdentity(const SimIdentity& identity);
    void setUser(const UserState& user);
    UserState user() const;
    void setUserPosition(double latitudeDeg, double longitudeDeg, double altitudeFt);
    void setUserOnGround(bool onGround);
    void setPaused(bool paused);    // sends the "Sim" event to subscribers
    void setRunning(bool running);  // likewise
    void setFrameRate(double hz);
    void setGroundElevationFt(double feet);
    void setLiveries(std::vector<std::string> titles);  // empty: every title is accepted
    // These titles are refused with exception 22 (CREATE_OBJECT_FAILED), as the
    // simulator refuses a livery it cannot load.
    void setRefusedTitles(std::vector<std::string> titles);
    // Where creations, refusals, positions, removals and the user's position
    // are recorded from now on (not owned; it must outlive the stand-in's
    // threads); nullptr records nothing.
    void setFlightRecord(FlightRecord* record);
    // Centre of gravity above ground (ft) and parked pitch (degrees) of the AI
    // objects created from now on; an AI object counts as on the ground while
    // its altitude is at most the ground elevation + this height + 1 ft.
    void setNewObjectCg(double cgFt, double pitchDeg);
    // The frame rate the Frame events report (negative: the ticker's rate).
    void setReportedFrameRate(double hz);
    // Adds an AI aircraft nobody asked for (as other add-ons do); returns its id.
    std::uint32_t addForeignAircraft(const SimAircraft& aircraft);

    // ------------------------------------------------------------ failures and events on command
    // Exception `code` (22 CREATE_OBJECT_FAILED, or 11 TOO_MANY_OBJECTS as a
    // full simulator answers) for the next creations.
    void failNextCreates(int count, std::uint32_t code = 22);
    // The next creations wait, as behind a slow model load: no object, no
    // AssignedObjectId, no ObjectAdded, until releaseDelayedCreates() makes
    // them in order as the creation would have then. A connection closed
    // meanwhile loses its held creations.
    void delayNextCreates(int count);
    void releaseDelayedCreates();
    // The object leaves the world without "ObjectRemoved", as one the
    // simulator lost; a removal of it is then answered UNRECOGNIZED_ID.
    void forgetObject(std::uint32_t objectId);
    void failNextFlightPlans(int count);       // exception 23 for the next flight plans
    void emitException(std::uint32_t code, std::uint32_t sendId, std::uint32_t index);
    void emitQuit();                           // QUIT to every client, then close them
    void emitFlightLoaded(const std::string& fileName);
    void emitPositionChanged();
    void emitFrame();                          // one Frame event now
    // Waits until a connection has handled the client's packet with this send
    // id and everything before it; false when the time is up first.
    bool waitHandled(std::uint32_t sendId, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // A CLIENT_DATA message (id 16) whose body is the marker, to every open
    // connection, after everything queued for it so far; a client that has
    // dispatched it has dispatched all that came before.
    void sendMarker(std::uint32_t marker);
    void tickSecond();                         // answer the period-second requests now
    void sendRaw(const std::vector<std::uint8_t>& bytes);  // to every client, as they are
    void dropClients(bool reset);              // close every client connection (reset: RST)

    // ------------------------------------------------------------ records
    std::vector<SimAircraft> aiObjects() const;
    std::vector<RecordedEvent> events() const;
    std::vector<RecordedFlightPlan> flightPlans() const;
    std::vector<SimAircraft> creations() const;        // every AI object as it was created, in order
    std::vector<std::uint32_t> removals() const;       // object ids the clients removed, in order
    std::vector<PacketLogEntry> packetLog() const;
    void clearPacketLog();
    std::vector<ConnectionInfo> connections() const;  // the ones still connected
    std::uint64_t clientPacketCount() const { return m_clientPackets.load(); }

    // Polls until the condition holds or the time is up; for tests and the demo.
    bool waitFor(const std::function<bool()>& condition,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    struct Connection;
    using ConnectionPtr = std::shared_ptr<Connection>;

    void acceptLoop();
    void readerLoop(ConnectionPtr connection);
    void tickerLoop();
    void handlePacket(Connection& c, const ClientPacket& packet);  // m_stateMutex held
    void closeConnection(const ConnectionPtr& connection, bool reset);
    void removeObjectsOf(std::uint32_t connectionId);               // m_stateMutex held

    // Queues a message for one connection / every connection subscribed to the
    // system event (m_stateMutex held); flushOutboxes() sends them afterwards.
    void queue(Connection& c, std::vector<std::uint8_t> message);
    void queueSystemEvent(const std::string& eventName, const std::function<std::vector<std::uint8_t>(
                                                             std::uint32_t clientEventId)>& build);
    void queueException(Connection& c, std::uint32_t code, std::uint32_t sendId, std::uint32_t index);
    void queueSimState();
    void flushOutboxes();
    void logPacket(PacketLogEntry entry);

    // Handlers (standin_handlers.cpp); m_stateMutex held.
    void onOpen(Connection& c, const ClientPacket& p);
    void onSubscribe(Connection& c, const ClientPacket& p);
    void onAddToDataDefinition(Connection& c, const ClientPacket& p);
    void onRequestData(Connection& c, const ClientPacket& p);
    void onRequestDataByType(Connection& c, const ClientPacket& p);
    void onSetData(Connection& c, const ClientPacket& p);
    void onCreate(Connection& c, const ClientPacket& p);
    void makeCreation(Connection& c, const ClientPacket& p);
    void onRemove(Connection& c, const ClientPacket& p);
    void onReleaseControl(Connection& c, const ClientPacket& p);
    void onTransmitEvent(Connection& c, const ClientPacket& p);
    void onFlightPlan(Connection& c, const ClientPacket& p);

    // World data (standin_world.cpp); m_stateMutex held.
    SimAircraft* findAircraft(std::uint32_t objectId);  // 0 = the user
    std::vector<std::uint8_t> definitionData(const std::vector<Datum>& definition, const SimAircraft& aircraft) const;
    void applyDefinitionData(const std::vector<Datum>& definition, std::span<const std::uint8_t> data,
                             SimAircraft& aircraft);
    std::vector<std::uint8_t> objectDataMessage(std::uint32_t messageId, std::uint32_t requestId,
                                                std::uint32_t defineId, const SimAircraft& aircraft,
                                                std::uint32_t entry, std::uint32_t outOf,
                                                const std::vector<Datum>& definition) const;
    void answerPeriodic(std::uint32_t period);  // every connection's requests of that period

    StandinOptions m_options;
    std::atomic<std::uint16_t> m_port{0};
    std::atomic<std::uint16_t> m_portIPv6{0};
    std::atomic<bool> m_stopping{false};
    std::atomic<std::uint64_t> m_clientPackets{0};
    int m_listenFd = -1;
    int m_listenFd6 = -1;
    int m_wakePipe[2] = {-1, -1};
    std::thread m_acceptThread;
    std::thread m_tickerThread;

    mutable std::mutex m_stateMutex;  // owns everything below up to m_logMutex
    std::condition_variable m_tickerWake;
    std::vector<ConnectionPtr> m_connections;
    std::vector<std::thread> m_readers;
    std::uint32_t m_nextConnectionId = 1;
    SimIdentity m_identity;
    UserState m_user;
    double m_groundElevationFt = 0.0;
    double m_frameRateHz = 30.0;
    bool m_paused = false;
    bool m_running = true;
    std::vector<std::string> m_liveries;
    std::vector<std::string> m_refusedTitles;
    FlightRecord* m_flightRecord = nullptr;
    double m_newObjectCgFt = 8.0;
    double m_newObjectPitchDeg = 0.0;
    double m_reportedFrameRateHz = -1.0;
    mutable std::condition_variable m_handled;  // a reader handled a batch of packets
    std::vector<SimAircraft> m_creations;
    std::vector<std::uint32_t> m_removals;
    std::map<std::uint32_t, SimAircraft> m_objects;
    std::uint32_t m_nextObjectId = 100;
    int m_failCreates = 0;
    std::uint32_t m_failCreatesCode = 22;
    int m_delayCreates = 0;
    std::vector<std::pair<std::uint32_t, ClientPacket>> m_delayedCreates;  // connection id, packet
    int m_failFlightPlans = 0;
    std::vector<RecordedEvent> m_events;
    std::vector<RecordedFlightPlan> m_flightPlans;

    mutable std::mutex m_logMutex;  // owns m_packetLog
    std::deque<PacketLogEntry> m_packetLog;
};

}  // namespace zrb::standin
