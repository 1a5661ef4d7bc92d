#include "track/great_circle.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

struct DistanceCase {
  const char* what;
  double lat1, lng1, lat2, lng2;
  double km;
  double tolerance = 0;  // km; 0 asks for the same double, give or take the last bits
};

// Expected values follow the ten-decimal pi, not true geodesy: a quarter of the equator is
// exactly 10000 km. Steps shorter than about 2.85 m, where the cosine of the angle says
// nothing precise, are measured from the chord, so a slow 1 Hz track keeps its length.
const DistanceCase kDistances[] = {
    {"same point", 35.6812, 139.7671, 35.6812, 139.7671, 0},
    {"2.8 m apart is measured", 35, 139, 35.000025, 139, 0.0025 * 20000 / 18000, 1e-9},
    {"30 cm apart is measured", 35, 139, 35, 139.0000033, 0.0000033 * 20000 / 180 * 0.8191520442889918, 1e-9},
    {"3.3 m apart is measured", 35, 139, 35.00003, 139, 0.003332405292697924},
    {"one degree of the equator", 0, 0, 0, 1, 111.111111111099},
    {"a quarter of the equator", 0, 0, 0, 90, 10000},
    {"cosine below the lower bound is a quarter circle", 0, 0, 0, 90.0000000026, 10000},
    {"opposite points are half a great circle apart", 0, 0, 0, 180, 20000, 1e-6},
    {"2 m short of opposite", 0, 0, 0.00002, 180, 20000 - 0.00002 * 20000 / 180, 1e-6},
    {"nearly opposite points are still measured", 0, 0, 0, 179.99, 19998.888888316284},
    {"Tokyo to Osaka", 35.6812, 139.7671, 34.7025, 135.4959, 402.75450582076144},
    {"across the date line", -45.5, 179.9, -45.5, -179.9, 15.575758208178971},
};

TEST(GreatCircleKm, GivesTheDistanceOfTheSphere) {
  for (const DistanceCase& c : kDistances) {
    SCOPED_TRACE(c.what);
    if (c.tolerance == 0) {
      EXPECT_DOUBLE_EQ(GreatCircleKm(c.lat1, c.lng1, c.lat2, c.lng2), c.km);
    } else {
      EXPECT_NEAR(GreatCircleKm(c.lat1, c.lng1, c.lat2, c.lng2), c.km, c.tolerance);
    }
  }
}

TEST(GreatCircleKm, IsExactlySymmetric) {
  for (const DistanceCase& c : kDistances) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(GreatCircleKm(c.lat1, c.lng1, c.lat2, c.lng2),
              GreatCircleKm(c.lat2, c.lng2, c.lat1, c.lng1));
  }
}

}  // namespace
}  // namespace routelet
