// Checked reading of received messages: short or inconsistent messages are
// dropped with a log line, and texts never run past their field or the message.
#include <gtest/gtest.h>

#include "fake_stream.h"
#include "simconnect/protocol.h"
#include "simconnect/received.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using namespace simconnect;
using test::message;
using test::putU32;

std::uint32_t lf_size(const std::vector<std::uint8_t>& m) { return static_cast<std::uint32_t>(m.size()); }

TEST(Received, ShortMessagesAreDroppedAndLogged) {
    test::LoggedFolder folder;
    const auto shortEvent = message(20, msgEvent);
    EXPECT_FALSE(gf_recvEvent(shortEvent.data(), lf_size(shortEvent)));
    EXPECT_TRUE(folder.logContains("! SimConnect message dwID 4 of 20 bytes is malformed, dropped"));

    const auto shortException = message(23, msgException);
    EXPECT_FALSE(gf_recvException(shortException.data(), lf_size(shortException)));
    const auto shortFrame = message(27, msgEventFrame);
    EXPECT_FALSE(gf_recvFrame(shortFrame.data(), lf_size(shortFrame)));
    const auto shortAdd = message(27, msgEventObjectAddRemove);
    EXPECT_FALSE(gf_recvObjectAddRemove(shortAdd.data(), lf_size(shortAdd)));
    const auto shortOpen = message(283, msgOpen);
    EXPECT_FALSE(gf_recvOpen(shortOpen.data(), lf_size(shortOpen)));
    const auto shortData = message(39, msgSimObjectData);
    EXPECT_FALSE(gf_recvObjectData(shortData.data(), lf_size(shortData)));
    EXPECT_FALSE(gf_recvHeader(nullptr, 12));
    EXPECT_FALSE(gf_recvHeader(shortData.data(), 11));

    auto lying = message(24, msgEvent);
    putU32(lying, 0, 4000);  // dwSize disagrees with the length
    EXPECT_FALSE(gf_recvEvent(lying.data(), lf_size(lying)));
}

TEST(Received, TextsStayInsideTheirFieldAndTheMessage) {
    // An open message whose name fills its whole field without a terminator.
    auto open = message(kOpenMsgBytes, msgOpen, 'A');
    putU32(open, 268, 5);
    const auto decoded = gf_recvOpen(open.data(), lf_size(open));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->applicationName, std::string(256, 'A'));
    EXPECT_EQ(decoded->versionMajor, 5u);

    // A file-name event cut short in its name: the name ends with the message.
    auto file = message(30, msgEventFilename, 'f');
    const auto filename = gf_recvFilename(file.data(), lf_size(file));
    ASSERT_TRUE(filename);
    EXPECT_EQ(filename->fileName, "ffffff");

    auto data = message(40 + 8 + 5, msgSimObjectData, 0);
    for (std::size_t i = 48; i < data.size(); ++i) data[i] = 't';
    const auto objectData = gf_recvObjectData(data.data(), lf_size(data));
    ASSERT_TRUE(objectData);
    EXPECT_EQ(objectData->data.size(), 13u);
    EXPECT_EQ(gf_dataText(objectData->data, 8, 32), "ttttt");   // ends with the message
    EXPECT_EQ(gf_dataText(objectData->data, 8, 3), "ttt");      // ends with the field
    EXPECT_EQ(gf_dataText(objectData->data, 40, 32), "");       // past the end
    EXPECT_TRUE(gf_dataF64(objectData->data, 0));
    EXPECT_FALSE(gf_dataF64(objectData->data, 6));
    EXPECT_FALSE(gf_dataI64(objectData->data, 100));
}

}  // namespace
}  // namespace zrb
