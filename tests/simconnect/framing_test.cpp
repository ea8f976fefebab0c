// Framing of the received byte stream, fed in every possible split.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_stream.h"
#include "simconnect/framing.h"
#include "simconnect/protocol.h"

namespace zrb {
namespace {

using test::message;

constexpr std::uint32_t kMax = simconnect::kDefaultMaxReceiveSize;

struct FrameRun {
    std::vector<std::vector<std::uint8_t>> packets;
    FrameResult failure = FrameResult::needMore;  // needMore: no failure
};

// Feeds the chunks as the client's reads would land, making room as it does.
FrameRun lf_feed(const std::vector<std::vector<std::uint8_t>>& chunks, std::uint32_t max = kMax) {
    ReceiveBuffer buffer;
    gf_initReceiveBuffer(buffer);
    PacketRecord record;
    FrameRun run;
    for (const auto& chunk : chunks) {
        std::size_t done = 0;
        while (done < chunk.size()) {
            if (!lf_makeReceiveRoom(buffer)) {
                run.failure = FrameResult::tooLarge;
                return run;
            }
            const std::size_t room = buffer.bytes.size() - buffer.writePos;
            const std::size_t n = std::min(room, chunk.size() - done);
            std::memcpy(buffer.bytes.data() + buffer.writePos, chunk.data() + done, n);
            buffer.writePos += static_cast<std::uint32_t>(n);
            done += n;
            for (;;) {
                const FrameResult r = lf_parseReceived(buffer, record, max);
                if (r == FrameResult::ready) {
                    if (!record.data.empty()) run.packets.push_back(record.data);
                    continue;
                }
                if (r != FrameResult::needMore) {
                    run.failure = r;
                    return run;
                }
                break;
            }
        }
    }
    return run;
}

std::vector<std::uint8_t> lf_concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(Framing, TwoPacketsInOneReadAndOneSplitOverThree) {
    const auto a = message(24, 4, 0x11);
    const auto b = message(308, 2, 0x22);
    auto run = lf_feed({lf_concat({a, b})});
    ASSERT_EQ(run.failure, FrameResult::needMore);
    ASSERT_EQ(run.packets.size(), 2u);
    EXPECT_EQ(run.packets[0], a);
    EXPECT_EQ(run.packets[1], b);

    run = lf_feed({{b.begin(), b.begin() + 2}, {b.begin() + 2, b.begin() + 100}, {b.begin() + 100, b.end()}});
    ASSERT_EQ(run.packets.size(), 1u);
    EXPECT_EQ(run.packets[0], b);
}

// Every split of a stream with zero padding into two and three reads gives
// the same packets.
TEST(Framing, EverySplitPointWithZeroPadding) {
    const auto a = message(24, 4, 0x31);
    const auto b = message(40, 8, 0x32);
    const auto c = message(13, 7, 0x33);
    for (const std::size_t padding : {0u, 4u, 5u, 8u, 11u}) {
        const auto stream = lf_concat({a, std::vector<std::uint8_t>(padding, 0), b, c});
        for (std::size_t i = 0; i <= stream.size(); ++i) {
            for (std::size_t j = i; j <= stream.size(); j += 3) {
                const auto run = lf_feed({{stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(i)},
                                          {stream.begin() + static_cast<std::ptrdiff_t>(i),
                                           stream.begin() + static_cast<std::ptrdiff_t>(j)},
                                          {stream.begin() + static_cast<std::ptrdiff_t>(j), stream.end()}});
                ASSERT_EQ(run.failure, FrameResult::needMore) << "padding " << padding << " split " << i << "," << j;
                ASSERT_EQ(run.packets.size(), 3u) << "padding " << padding << " split " << i << "," << j;
                EXPECT_EQ(run.packets[0], a);
                EXPECT_EQ(run.packets[1], b);
                EXPECT_EQ(run.packets[2], c);
            }
        }
    }
}

// A packet of 256 or 512 bytes starts with a zero byte, as padding does:
// padding of any length before one is skipped and the packet framed whole,
// however the reads split the stream.
TEST(Framing, PaddingOfEveryLengthBeforePacketsWhoseSizeStartsWithAZeroByte) {
    const auto first = message(24, 4, 0x51);
    for (const std::uint32_t size : {256u, 512u}) {
        const auto packet = message(size, 2, 0x52);
        const auto after = message(16, 4, 0x53);
        for (std::size_t padding = 0; padding <= 20; ++padding) {
            const auto stream = lf_concat({first, std::vector<std::uint8_t>(padding, 0), packet, after});
            for (std::size_t i = 0; i <= stream.size(); ++i) {
                const auto run = lf_feed({{stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(i)},
                                          {stream.begin() + static_cast<std::ptrdiff_t>(i), stream.end()}});
                ASSERT_EQ(run.failure, FrameResult::needMore) << size << " padding " << padding << " split " << i;
                ASSERT_EQ(run.packets.size(), 3u) << size << " padding " << padding << " split " << i;
                EXPECT_EQ(run.packets[0], first);
                EXPECT_EQ(run.packets[1], packet);
                EXPECT_EQ(run.packets[2], after);
            }
        }
        // Without padding, and right at the start of the stream.
        const auto run = lf_feed({lf_concat({packet, after})});
        ASSERT_EQ(run.packets.size(), 2u);
        EXPECT_EQ(run.packets[0], packet);
    }
}

TEST(Framing, BadAndOversizeSizes) {
    for (const std::int32_t size : {1, 2, 3, -1, -41088}) {
        std::vector<std::uint8_t> bytes(8, 0);
        test::putU32(bytes, 0, static_cast<std::uint32_t>(size));
        EXPECT_EQ(lf_feed({bytes}).failure, FrameResult::badSize) << size;
    }
    std::vector<std::uint8_t> bytes(8, 0);
    test::putU32(bytes, 0, kMax + 1);
    EXPECT_EQ(lf_feed({bytes}).failure, FrameResult::tooLarge);
    test::putU32(bytes, 0, kMax);
    EXPECT_EQ(lf_feed({bytes}).failure, FrameResult::needMore);  // waits for the rest

    // A size field of 4..11 is framed; dispatch drops it later.
    const auto tiny = message(4, 0);
    EXPECT_EQ(lf_feed({tiny}).packets.size(), 1u);
}

// A raised MaxReceiveSize never lets a packet outgrow the buffer's 1 MiB: a
// larger one fails as too large instead of stalling the reads.
TEST(Framing, LargePacketsUpToOneMebibyte) {
    EXPECT_EQ(gf_effectiveMaxReceiveSize(4'000'000), simconnect::kReceiveBufferMaxBytes);
    EXPECT_EQ(gf_effectiveMaxReceiveSize(41088), 41088u);
    const std::uint32_t max = gf_effectiveMaxReceiveSize(4'000'000);

    const auto big = message(simconnect::kReceiveBufferMaxBytes, 8, 0x44);
    const auto small = message(16, 4, 0x45);
    const auto run = lf_feed({lf_concat({small, big, small})}, max);
    ASSERT_EQ(run.failure, FrameResult::needMore);
    ASSERT_EQ(run.packets.size(), 3u);
    EXPECT_EQ(run.packets[1], big);

    std::vector<std::uint8_t> tooBig(8, 0);
    test::putU32(tooBig, 0, simconnect::kReceiveBufferMaxBytes + 1);
    EXPECT_EQ(lf_feed({tooBig}, max).failure, FrameResult::tooLarge);
}

TEST(Framing, MakeRoomCompactsBeforeGrowing) {
    ReceiveBuffer buffer;
    gf_initReceiveBuffer(buffer);
    buffer.writePos = static_cast<std::uint32_t>(buffer.bytes.size());
    buffer.readPos = 100;
    buffer.bytes[100] = 0x10;
    ASSERT_TRUE(lf_makeReceiveRoom(buffer));
    EXPECT_EQ(buffer.bytes.size(), simconnect::kReceiveBufferStartBytes);
    EXPECT_EQ(buffer.readPos, 0u);
    EXPECT_EQ(buffer.bytes[0], 0x10);

    gf_initReceiveBuffer(buffer);
    buffer.writePos = static_cast<std::uint32_t>(buffer.bytes.size());
    test::putU32(buffer.bytes, 0, 3000);  // a packet of 3000 bytes is on its way
    ASSERT_TRUE(lf_makeReceiveRoom(buffer));
    EXPECT_GE(buffer.bytes.size(), 3000u);
}

}  // namespace
}  // namespace zrb
