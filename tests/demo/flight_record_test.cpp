// The stand-in simulator's record of what it was asked to do: one JSON line
// per event, positions at most one a record interval per object (the first
// always), and nothing lost of creations, refusals and removals.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "simulator/flight_record.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

std::vector<nlohmann::json> lf_lines(const std::filesystem::path& file) {
    std::vector<nlohmann::json> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

TEST(FlightRecord, RecordsEveryEventAndThinsOutPositionsPerObject) {
    TempFolder folder;
    const auto file = folder.path() / "record.jsonl";
    {
        standin::FlightRecord record(file);
        standin::SimAircraft a;
        a.objectId = 100;
        a.title = "Demo K\xF6ln \x80\x81";  // Windows-1252, one byte unused by it
        a.atcId = "KLM1762";
        a.latitudeDeg = 52.3;
        a.onGround = true;
        standin::SimAircraft b = a;
        b.objectId = 101;
        record.user(a);
        record.created(a);
        record.refused("Not Installed \xC5\x81\xC3\xB3" "d\xC5\xBA", "EZY1", 22);
        record.moved(a);  // the first position of an object is always kept
        record.moved(b);
        record.moved(a);  // too soon after the last of this object
        std::this_thread::sleep_for(standin::FlightRecord::recordInterval + std::chrono::milliseconds(20));
        a.latitudeDeg = 52.4;
        record.moved(a);
        record.removed(100, "client");
        record.created(a);  // a new object of the same id starts afresh
        record.moved(a);
    }
    const auto lines = lf_lines(file);
    std::vector<std::string> events;
    for (const auto& line : lines) {
        EXPECT_GT(line.at("t").get<double>(), 1.7e9);
        events.push_back(line.at("ev").get<std::string>() + (line.contains("id") ? std::to_string(line["id"].get<int>()) : ""));
    }
    EXPECT_EQ(events, (std::vector<std::string>{"user", "create100", "refuse", "move100", "move101", "move100",
                                                "remove100", "create100", "move100"}));
    EXPECT_EQ(lines[2].at("exception"), 22);
    // Titles as the simulator shows them: UTF-8 as it is, else the legacy page.
    EXPECT_EQ(lines[1].at("title"), "Demo K\u00F6ln \u20AC\u0081");
    EXPECT_EQ(lines[2].at("title"), "Not Installed \u0141\u00F3d\u017A");
    EXPECT_DOUBLE_EQ(lines[5].at("lat").get<double>(), 52.4);
    EXPECT_EQ(lines[6].at("by"), "client");
    EXPECT_TRUE(lines[1].at("onGround").get<bool>());
}

TEST(FlightRecord, AFileThatCannotBeWrittenIsAnError) {
    TempFolder folder;
    EXPECT_THROW(standin::FlightRecord(folder.path() / "missing" / "record.jsonl"), std::runtime_error);
}

}  // namespace
}  // namespace zrb::test
