// The scan tasks read many files at once while other threads move the clock.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "foundation/text_file.h"
#include "foundation/time.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

constexpr int readerThreads = 6;
constexpr int readsPerThread = 40;

void quietSink(std::string_view, bool) {}

TEST(TextFileThreads, ParallelReadersOfDifferentFilesGetTheirOwnLines) {
    test::LoggedFolder folder;
    std::vector<std::filesystem::path> files;
    for (int t = 0; t < readerThreads; ++t) {
        // Odd files end in a lone surrogate, which fails their reading after the first line.
        std::u16string text = u"title=" + std::u16string(1, static_cast<char16_t>(u'0' + t)) + u"\r\nend";
        if (t % 2 != 0) text += u'\xD800';
        std::string bytes = "\xFF\xFE";
        for (const char16_t u : text) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
        files.push_back(folder / ("aircraft" + std::to_string(t) + ".cfg"));
        test::writeFile(files.back(), bytes);
    }

    std::atomic<bool> stop{false};
    std::thread clockWriter([&stop] {
        for (int i = 0; !stop.load(); ++i) {
            g_dataTimeFlag = i % 2 == 0;
            g_latestRecordTime = 1.7e9 + i;
            gf_setMessageSink(i % 3 == 0 ? &quietSink : nullptr);
        }
    });

    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < readerThreads; ++t) {
        readers.emplace_back([&, t] {
            for (int i = 0; i < readsPerThread; ++i) {
                std::vector<std::string> lines;
                const bool ok = gf_readExtTextFileToStringVector(files[static_cast<std::size_t>(t)], lines);
                const std::string first = lines.empty() ? "" : lines.front();
                if (first != "title=" + std::to_string(t) + "\r" || ok != (t % 2 == 0)) ++failures;
                if (gf_halfHourSlot() < 0 || gf_dataTimeStamp().empty()) ++failures;
            }
        });
    }
    for (auto& reader : readers) reader.join();
    stop = true;
    clockWriter.join();
    gf_setMessageSink(nullptr);
    g_dataTimeFlag = false;
    g_latestRecordTime = 0.0;
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace zrb
