// The QNH in a weather reply, in every form the service sends it.
#include <gsl/narrow>
#include <gtest/gtest.h>

#include "feed/weather_reader.h"
#include "support/temp_folder.h"

using namespace zrb;
using nlohmann::json;

TEST(ExtractQnh, EveryFormOfTheValue) {
    test::LoggedFolder folder;
    EXPECT_EQ(extractQNH(json{{"QNH", 1009}}), 1009);
    EXPECT_EQ(extractQNH(json{{"QNH", 1080}}), 1080);
    EXPECT_EQ(extractQNH(json{{"QNH", 2992}}), 1013) << "inches of mercury × 100";
    EXPECT_EQ(extractQNH(json{{"QNH", 1081}}), 366);
    EXPECT_EQ(extractQNH(json{{"QNH", 1012.5}}), 1013) << "halves round away from zero";
    EXPECT_EQ(extractQNH(json{{"QNH", -0.5}}), -1);
    EXPECT_EQ(extractQNH(json{{"QNH", "1009"}}), 1009);
    EXPECT_EQ(extractQNH(json{{"QNH", "-12abc"}}), -12);
    EXPECT_EQ(extractQNH(json{{"QNH", "2992"}}), 1013);
    EXPECT_FALSE(folder.logContains("extractQNH"));
    EXPECT_EQ(extractQNH(json{{"QNH", "abc"}}), 1013);
    EXPECT_TRUE(folder.logContains("extractQNH: abc"));
    EXPECT_EQ(extractQNH(json{{"QNH", "99999999999"}}), 1013);
    EXPECT_TRUE(folder.logContains("extractQNH: 99999999999"));
}

TEST(ExtractQnh, MissingQnhIsNoneAndLogged) {
    test::LoggedFolder folder;
    EXPECT_FALSE(gf_findQnh(json()));
    EXPECT_FALSE(gf_findQnh(json::object()));
    EXPECT_FALSE(gf_findQnh(json{{"METAR", "EHAM"}}));
    EXPECT_FALSE(gf_findQnh(json{{"QNH", nullptr}}));
    EXPECT_FALSE(gf_findQnh(json{{"QNH", json::array({1013})}}));
    EXPECT_FALSE(gf_findQnh(json::array({1013})));
    EXPECT_TRUE(folder.logContains("No QNH found in data"));
    EXPECT_EQ(extractQNH(json()), 1013);
}

TEST(ExtractQnh, ValuesBeyond32BitsThrowTheNarrowingError) {
    EXPECT_THROW(extractQNH(json{{"QNH", 1e12}}), gsl::narrowing_error);
    EXPECT_THROW(extractQNH(json{{"QNH", 5000000000LL}}), gsl::narrowing_error);
    EXPECT_THROW(extractQNH(json{{"QNH", 18446744073709551615ULL}}), gsl::narrowing_error);
}
