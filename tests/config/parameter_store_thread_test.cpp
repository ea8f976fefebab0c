// Saves from several threads at once must not lose each other's changes, and
// values read while others write them must be whole.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/meta_info.h"
#include "config/parameter_store.h"
#include "settings_fixture.h"

namespace zrb {
namespace {

namespace fs = std::filesystem;

class ParameterStoreThreads : public test::SettingsTest {};

TEST_F(ParameterStoreThreads, ConcurrentSaversKeepEveryChange) {
    constexpr int rounds = 20;
    struct Share {
        BoolParameter* flag;
        IntParameter* number;
        StringParameter* text;
    };
    const std::vector<Share> shares = {
        {&LOG, &TIME_SHIFT_DAYS, &DESTINATION},
        {&WEEK, &TIME_SHIFT_HOURS, &BLOCK_CALLSIGN},
        {&PARK_FAKE, &TIME_SHIFT_MINS, &AIG_VERSION},
        {&SIM_TIME, &MAIN_WINDOW_X, &DBASE_VERSION},
    };
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < shares.size(); ++t) {
        threads.emplace_back([&, t] {
            const Share& s = shares[t];
            for (int i = 0; i < rounds; ++i) {
                s.flag->value = (i % 2) == 0;
                gf_saveBoolParameter(*s.flag);
                s.number->value = i;
                gf_saveIntParameter(*s.number);
                gf_setStringParameter(*s.text, "thread " + std::to_string(t) + " round " + std::to_string(i));
            }
        });
    }
    // A reader of the values and a writer of the simulator name meanwhile.
    threads.emplace_back([&] {
        std::size_t seen = 0;
        while (!done.load()) {
            seen += DESTINATION.value.get().size() + static_cast<std::size_t>(TIME_SHIFT_DAYS.value.load());
            g_metaSimulator = (seen % 2) == 0 ? "P3D" : "MSFS";
            std::this_thread::yield();
        }
    });
    for (std::size_t t = 0; t < shares.size(); ++t) threads[t].join();
    done = true;
    threads.back().join();

    for (std::size_t t = 0; t < shares.size(); ++t) {
        const Share& s = shares[t];
        EXPECT_EQ(stored(s.flag->name), "false");
        EXPECT_EQ(stored(s.number->name), std::to_string(rounds - 1));
        EXPECT_EQ(stored(s.text->name), "thread " + std::to_string(t) + " round " + std::to_string(rounds - 1));
    }
    EXPECT_EQ(storedCount(), shares.size() * 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(dataFolder()), fs::directory_iterator()), 1);
    g_metaSimulator = "MSFS";
}

TEST_F(ParameterStoreThreads, ReadingWhileSavingGivesAWholeFile) {
    std::thread saver([] {
        for (int i = 0; i < 30; ++i) {
            RANGE.value = 2 + i;
            gf_saveIntParameter(RANGE);
        }
    });
    for (int i = 0; i < 5; ++i) {
        const ParameterReadLists& l = gf_parameterReadLists();
        gf_readParameters(l.checkBoxes, l.fileInts, l.shownInts, l.fileStrings, l.shownStrings);
    }
    saver.join();
    EXPECT_EQ(storedCount(), 57u);
    EXPECT_FALSE(m_folder.logContains("cannot be read"));
}

}  // namespace
}  // namespace zrb
