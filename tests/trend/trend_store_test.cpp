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
