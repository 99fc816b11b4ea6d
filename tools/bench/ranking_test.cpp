#include "ranking.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<double> OneTo(size_t n) {
    std::vector<double> values(n);
    std::iota(values.begin(), values.end(), 1.0);
    return values;
}

} // namespace

TEST(Summarise, GivesTheMedianSpreadAndAnIntervalThatNarrowsWithRepetitions) {
    const Summary none = Summarise({});
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.median, 0);
    // Order does not matter; an even count takes the middle two's mean.
    const Summary four = Summarise({4, 1, 3, 2});
    EXPECT_EQ(four.median, 2.5);
    EXPECT_EQ(four.least, 1);
    EXPECT_EQ(four.most, 4);
    // Five repetitions cannot place the median closer than the slowest and the fastest.
    const Summary five = Summarise(OneTo(5));
    EXPECT_EQ(five.median, 3);
    EXPECT_EQ(five.low, 1);
    EXPECT_EQ(five.high, 5);
    // With 35 the interval holds the middle ranks only (11 to 25), inside the spread.
    const Summary many = Summarise(OneTo(35));
    EXPECT_EQ(many.median, 18);
    EXPECT_EQ(many.low, 11);
    EXPECT_EQ(many.high, 25);
    EXPECT_EQ(many.least, 1);
    EXPECT_EQ(many.most, 35);
}

TEST(Speed, TurnsTimesIntoSpeedsWithTheSlowestTimeTheLeastSpeed) {
    const Summary times = Summarise({0.5, 0.25, 1.0});
    const Summary gbps = Speed(times, 1'000'000'000);
    EXPECT_DOUBLE_EQ(gbps.median, 2.0);
    EXPECT_DOUBLE_EQ(gbps.least, 1.0);
    EXPECT_DOUBLE_EQ(gbps.most, 4.0);
    EXPECT_DOUBLE_EQ(gbps.low, 1.0);
    EXPECT_DOUBLE_EQ(gbps.high, 4.0);
    // No time measured is no speed, not infinity.
    EXPECT_EQ(Speed(Summary{}, 1000).median, 0);
}

TEST(RankApart, Parts2EnginesOnlyWhenTheirMediansIntervalsDoNotMeet) {
    Summary faster, slower;
    faster.low = 11, faster.high = 13;
    slower.low = 8, slower.high = 10;
    EXPECT_TRUE(RankApart(faster, slower));
    slower.high = 11; // touching is not apart
    EXPECT_FALSE(RankApart(faster, slower));
    EXPECT_FALSE(RankApart(slower, faster));
}
