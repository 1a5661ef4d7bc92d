#include "track/great_circle.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

// Expected values follow the ten-decimal pi, not true geodesy: a quarter of the equator is
// exactly 10000 km. Steps shorter than about 2.85 m, where the cosine of the angle says
// nothing precise, are measured from the chord, so a slow 1 Hz track keeps its length.
TEST(GreatCircleKm, GivesTheDistanceOfTheSphereBothWays) {
  const struct {
    const char* what;
    double lat1, lng1, lat2, lng2, km;
    double tolerance = 0;  // km; 0 asks for the same double, give or take the last bits
  } cases[] = {
      {"same point", 35.6812, 139.7671, 35.6812, 139.7671, 0},
      {"2.8 m apart, from the chord", 35, 139, 35.000025, 139, 0.0025 * 20000 / 18000, 1e-9},
      {"30 cm apart, from the chord", 35, 139, 35, 139.0000033, 0.0000033 * 20000 / 180 * 0.8191520442889918, 1e-9},
      {"3.3 m apart, from the cosine", 35, 139, 35.00003, 139, 0.003332405292697924},
      {"one degree of the equator", 0, 0, 0, 1, 111.111111111099},
      {"a quarter of the equator", 0, 0, 0, 90, 10000},
      {"cosine below the lower bound", 0, 0, 0, 90.0000000026, 10000},
      {"opposite points", 0, 0, 0, 180, 20000, 1e-6},
      {"2 m short of opposite", 0, 0, 0.00002, 180, 20000 - 0.00002 * 20000 / 180, 1e-6},
      {"Tokyo to Osaka", 35.6812, 139.7671, 34.7025, 135.4959, 402.75450582076144},
      {"across the date line", -45.5, 179.9, -45.5, -179.9, 15.575758208178971},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const double km = GreatCircleKm(c.lat1, c.lng1, c.lat2, c.lng2);
    if (c.tolerance == 0) {
      EXPECT_DOUBLE_EQ(km, c.km);
    } else {
      EXPECT_NEAR(km, c.km, c.tolerance);
    }
    EXPECT_EQ(GreatCircleKm(c.lat2, c.lng2, c.lat1, c.lng1), km);
  }
}

}  // namespace
}  // namespace routelet
