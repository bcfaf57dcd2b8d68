#include "trend/trend_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace qmx {
namespace {

TrendPoint At(int64_t time_ms, double value, uint8_t marks = 0) {
  return TrendPoint{time_ms, marks, {value}};
}

TEST(TrendStore, AShiftAtOnePointASecondStaysWithinTheCapacity) {
  TrendStore store({{"Расход", "м куб/час"}}, 7200);
  for (int64_t s = 0; s < 8 * 3600; ++s) store.Add(At(s * 1000, static_cast<double>(s)));
  EXPECT_EQ(store.added(), 8u * 3600u);
  EXPECT_LE(store.points().size(), 7200u);
  // The last hour is there point by point, the first point still first.
  const auto& points = store.points();
  EXPECT_EQ(points.front().time_ms, 0);
  EXPECT_EQ(points.back().time_ms, (8 * 3600 - 1) * 1000);
  const auto [first, last] = store.Range((7 * 3600) * 1000, (8 * 3600) * 1000);
  EXPECT_EQ(last - first, 3600u);
  for (size_t i = 1; i < points.size(); ++i) ASSERT_LT(points[i - 1].time_ms, points[i].time_ms);
}

TEST(TrendStore, ThinningKeepsTheMarksOfThePointsItDrops) {
  TrendStore store({{"Расход", ""}}, 8);
  for (int64_t s = 0; s < 8; ++s) store.Add(At(s, 0, s == 1 ? kTrendMarkError : 0));
  store.Add(At(8, 0));  // the ninth point thins the older half
  ASSERT_LT(store.points().size(), 9u);
  EXPECT_EQ(store.points().front().time_ms, 0);
  EXPECT_EQ(store.points().front().marks, kTrendMarkError);
}

// A live trend over two hours at one point a second: the span shown always
// holds the time asked for, and moves in steps, not with every point.
TEST(TrendSpan, FollowsTheNewestPointInStepsAndAlwaysHoldsTheTimeAskedFor) {
  struct Case {
    int64_t span_ms;  // 0: the whole session
    int max_moves;    // moves of the span over the two hours
  } cases[] = {{5 * 60'000, 2 * 3600 / 15 + 1},
               {60 * 60'000, 2 * 3600 / 180 + 1},
               // A step of a twentieth of a session that grows: some fourteen
               // moves for each doubling of it, from 10 s to 2 h.
               {0, 110}};
  const int64_t origin = 1'765'000'000'000;  // a wall-clock time, ms
  for (const Case& c : cases) {
    SCOPED_TRACE(c.span_ms);
    TrendSpan last{};
    int moves = 0;
    for (int64_t s = 0; s < 2 * 3600; ++s) {
      const int64_t now = origin + s * 1000 + 250;
      const TrendSpan span = FollowingSpan(c.span_ms, origin, now, 10'000);
      ASSERT_GE(span.to_ms, now);
      ASSERT_LE(span.from_ms, c.span_ms > 0 ? now - c.span_ms : origin);
      ASSERT_GE(span.to_ms - span.from_ms, 10'000);
      // Never much more than asked: a twentieth, rounded up to a round step.
      if (c.span_ms > 0) {
        ASSERT_LE(span.to_ms - span.from_ms, c.span_ms * 11 / 10);
      }
      if (span.from_ms != last.from_ms || span.to_ms != last.to_ms) ++moves;
      last = span;
    }
    EXPECT_LE(moves, c.max_moves);
  }
}

TEST(TrendStore, NearestPointToATime) {
  TrendStore store(std::vector<TrendChannel>{{"a", ""}});
  EXPECT_FALSE(store.Nearest(5).has_value());
  for (int64_t t : {0, 1000, 2000}) store.Add(At(t, 0));
  EXPECT_EQ(store.Nearest(-50), 0u);
  EXPECT_EQ(store.Nearest(1400), 1u);
  EXPECT_EQ(store.Nearest(1600), 2u);
  EXPECT_EQ(store.Nearest(9000), 2u);
}

class TrendCsvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC-3", 1);  // three hours east of Greenwich, no summer time
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
};

TEST_F(TrendCsvTest, HeaderNamesTheColumnsAndTheirUnitsTimesAreIso) {
  const std::vector<TrendChannel> channels{{"Расход", "м куб/час"}, {"Скорость", "м/с"}};
  std::vector<TrendPoint> points{
      {1733752800250, 0, {12.5, 0.25}},
      {1733752801250, kTrendMarkError | kTrendMarkCutOff, {-0.125, std::nan("")}}};
  EXPECT_EQ(TrendCsv(channels, points, {0, 1}),
            "Время (ISO 8601),Расход (м куб/час),Скорость (м/с),Отметка\n"
            "2024-12-09T17:00:00.250+03:00,12.5,0.25,\n"
            "2024-12-09T17:00:01.250+03:00,-0.125,,ошибка отсечка\n");
  // Only the channels asked for, in their order.
  const std::string csv = TrendCsv(channels, points, {1});
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "Время (ISO 8601),Скорость (м/с),Отметка");
}

}  // namespace
}  // namespace qmx
