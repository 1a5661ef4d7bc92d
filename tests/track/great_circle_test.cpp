#include "track/great_circle.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

struct DistanceCase {
  const char* what;
  double lat1, lng1, lat2, lng2;
  double km;
};

// Expected values follow the ten-decimal pi and the two cosine bounds, not true geodesy: a
// quarter of the equator is exactly 10000 km, and nearly opposite points count as the same.
const DistanceCase kDistances[] = {
    {"same point", 35.6812, 139.7671, 35.6812, 139.7671, 0},
    {"2.8 m apart counts as the same point", 35, 139, 35.000025, 139, 0},
    {"3.3 m apart is measured", 35, 139, 35.00003, 139, 0.003332405292697924},
    {"one degree of the equator", 0, 0, 0, 1, 111.111111111099},
    {"a quarter of the equator", 0, 0, 0, 90, 10000},
    {"cosine below the lower bound is a quarter circle", 0, 0, 0, 90.0000000026, 10000},
    {"opposite points count as the same", 0, 0, 0, 180, 0},
    {"nearly opposite points are still measured", 0, 0, 0, 179.99, 19998.888888316284},
    {"Tokyo to Osaka", 35.6812, 139.7671, 34.7025, 135.4959, 402.75450582076144},
    {"across the date line", -45.5, 179.9, -45.5, -179.9, 15.575758208178971},
};

TEST(GreatCircleKm, GivesTheDistanceOfTheSphere) {
  for (const DistanceCase& c : kDistances) {
    SCOPED_TRACE(c.what);
    EXPECT_DOUBLE_EQ(GreatCircleKm(c.lat1, c.lng1, c.lat2, c.lng2), c.km);
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
