#pragma once
// Wire constants of the SimConnect protocol (version 35) as this client speaks
// it. The stand-in simulator under tools/ shares this header and nothing else
// with the client, so that the two sides cannot share a coding mistake.

#include <cstdint>

namespace zrb::simconnect {

// ---------------------------------------------------------------- packets sent by the client
inline constexpr std::uint32_t kProtocolVersion = 35;
inline constexpr std::uint32_t kSendHeaderBytes = 16;  // dwSize, dwVersion, dwID, dwSendID
inline constexpr std::uint32_t kOpcodeFlag = 0xF0000000;  // dwID = flag | opcode

enum Opcode : std::uint32_t {
    opOpen = 0x01,
    opMapClientEventToSimEvent = 0x04,
    opTransmitClientEvent = 0x05,
    opAddClientEventToNotificationGroup = 0x07,
    opSetNotificationGroupPriority = 0x09,
    opAddToDataDefinition = 0x0C,
    opRequestDataOnSimObject = 0x0E,
    opRequestDataOnSimObjectType = 0x0F,
    opSetDataOnSimObject = 0x10,
    opSubscribeToSystemEvent = 0x17,
    opAICreateNonATCAircraft = 0x29,
    opAIReleaseControl = 0x2B,
    opAIRemoveObject = 0x2C,
    opAISetAircraftFlightPlan = 0x2D,
};

// Whole packet sizes in bytes, header included.
inline constexpr std::uint32_t kOpenBytes = 296;
inline constexpr std::uint32_t kMapClientEventBytes = 276;
inline constexpr std::uint32_t kTransmitClientEventBytes = 36;
inline constexpr std::uint32_t kAddToGroupBytes = 28;
inline constexpr std::uint32_t kGroupPriorityBytes = 24;
inline constexpr std::uint32_t kAddToDataDefinitionBytes = 544;
inline constexpr std::uint32_t kRequestDataBytes = 48;
inline constexpr std::uint32_t kRequestDataByTypeBytes = 32;
inline constexpr std::uint32_t kSetDataHeaderBytes = 36;  // + array count x unit size
inline constexpr std::uint32_t kSubscribeBytes = 276;
inline constexpr std::uint32_t kAICreateBytes = 344;
inline constexpr std::uint32_t kAIReleaseControlBytes = 24;
inline constexpr std::uint32_t kAIRemoveObjectBytes = 24;
inline constexpr std::uint32_t kAISetFlightPlanBytes = 284;

// Text fields: N bytes hold at most N - 1 characters and a terminating zero.
inline constexpr std::uint32_t kNameFieldBytes = 256;
inline constexpr std::uint32_t kTailNumberFieldBytes = 12;
inline constexpr std::uint32_t kFlightPlanPathFieldBytes = 260;
inline constexpr std::uint32_t kInitPositionBytes = 56;

// The Open packet's fixed tail: offset 276 holds these four bytes, 280 and 284
// the two version words.
inline constexpr std::uint8_t kOpenMagic[4] = {0x00, 0x44, 0x33, 0x50};
inline constexpr std::uint32_t kOpenWord280 = 5;
inline constexpr std::uint32_t kOpenWord284 = 3;

// ---------------------------------------------------------------- messages received
inline constexpr std::uint32_t kReceiveHeaderBytes = 12;  // dwSize, dwVersion, dwID

enum MessageId : std::uint32_t {
    msgException = 1,
    msgOpen = 2,
    msgQuit = 3,
    msgEvent = 4,
    msgEventObjectAddRemove = 5,
    msgEventFilename = 6,
    msgEventFrame = 7,
    msgSimObjectData = 8,
    msgSimObjectDataByType = 9,
    msgAssignedObjectId = 12,
};

// Fixed sizes of the messages (bytes, header included).
inline constexpr std::uint32_t kExceptionMsgBytes = 24;      // dwException 12, dwSendID 16, dwIndex 20
inline constexpr std::uint32_t kOpenMsgBytes = 308;          // name 12..267, 8 version words, 2 reserved
inline constexpr std::uint32_t kQuitMsgBytes = 12;
inline constexpr std::uint32_t kEventMsgBytes = 24;          // uGroupID 12, uEventID 16, dwData 20
inline constexpr std::uint32_t kObjectAddRemoveMsgBytes = 28;  // + eObjType 24
inline constexpr std::uint32_t kFilenameMsgBytes = 288;      // + szFileName[260] 24, dwFlags 284
inline constexpr std::uint32_t kFrameMsgBytes = 32;          // + fFrameRate 24, fSimSpeed 28
inline constexpr std::uint32_t kObjectDataHeaderBytes = 40;  // data from offset 40
inline constexpr std::uint32_t kAssignedObjectIdMsgBytes = 20;  // dwRequestID 12, dwObjectID 16
inline constexpr std::uint32_t kFilenameFieldBytes = 260;

inline constexpr std::uint32_t kUnknownGroup = 0xFFFFFFFF;  // uGroupID of system events
inline constexpr std::uint32_t kObjectTypeAircraft = 2;

// Exception codes the program tells apart.
enum ExceptionCode : std::uint32_t {
    excError = 1,
    excSizeMismatch = 2,
    excUnrecognizedId = 3,
    excVersionMismatch = 5,
    excNameUnrecognized = 7,
    excTooManyObjects = 11,
    excInvalidDataType = 18,
    excInvalidDataSize = 19,
    excCreateObjectFailed = 22,
    excLoadFlightPlanFailed = 23,
    excOperationInvalidForObjectType = 24,
    excInvalidEnum = 27,
};

// Data request periods.
enum Period : std::uint32_t { periodNever = 0, periodOnce = 1, periodVisualFrame = 2, periodSimFrame = 3, periodSecond = 4 };

// Datum types of AddToDataDefinition.
enum DatumType : std::uint32_t { datumInt64 = 2, datumFloat64 = 4, datumString32 = 6, datumStringV = 11 };

// ---------------------------------------------------------------- buffers
inline constexpr std::uint32_t kOutgoingBufferBytes = 41088;
inline constexpr std::uint32_t kDefaultMaxReceiveSize = 41088;
inline constexpr std::uint32_t kReceiveBufferStartBytes = 2048;
inline constexpr std::uint32_t kReceiveBufferGrowBytes = 2048;
inline constexpr std::uint32_t kReceiveBufferMaxBytes = 1048576;  // 1 MiB

}  // namespace zrb::simconnect
