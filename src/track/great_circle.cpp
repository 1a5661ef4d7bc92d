#include "track/great_circle.h"

#include <cmath>

namespace routelet {
namespace {

// Pi to ten decimals is used throughout, not the full double pi: the page's distances have
// always been computed with it, and changing it would shift every total in the last digits.
constexpr double kPi = 3.1415926535;
constexpr double kRadiansPerDegree = kPi / 180;
constexpr double kKmPerRadian = 20000 / kPi;

// Below this the cosine of the central angle counts as 0 (a quarter circle). Above the upper
// bound (points within about 2.85 m of each other, or of each other's antipode) the cosine no
// longer tells the angle precisely, so the angle is taken from the chord between the points
// instead; that keeps the steps of a slow 1 Hz track, which are all that short, in the total.
constexpr double kCosineLowerBound = 1e-12;
constexpr double kCosineUpperBound = 0.9999999999999;

struct UnitVector {
  double x, y, z;
};

UnitVector PointOnSphere(double lat, double lng) {
  const double phi = lat * kRadiansPerDegree;
  const double lambda = lng * kRadiansPerDegree;
  return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

// The angle subtended by a chord of the unit sphere.
double AngleOfChord(double dx, double dy, double dz) {
  const double chord = std::sqrt(dx * dx + dy * dy + dz * dz);
  return 2 * std::asin(std::fmin(chord / 2, 1.0));
}

// The central angle between two unit vectors whose cosine is d: the arc cosine of d, taken
// through the arc tangent, with the two bounds above.
double CentralAngle(const UnitVector& a, const UnitVector& b, double d) {
  const double magnitude = std::fabs(d);
  if (magnitude < kCosineLowerBound) return kPi / 2;
  if (magnitude > kCosineUpperBound) {
    // Nearly the same point: the chord a - b. Nearly opposite points: pi less the chord a + b.
    return d > 0 ? AngleOfChord(a.x - b.x, a.y - b.y, a.z - b.z)
                 : kPi - AngleOfChord(a.x + b.x, a.y + b.y, a.z + b.z);
  }
  const double angle = std::atan(std::sqrt(1 / (d * d) - 1));
  return d < 0 ? kPi - angle : angle;
}

}  // namespace

double GreatCircleKm(double lat1, double lng1, double lat2, double lng2) {
  const UnitVector a = PointOnSphere(lat1, lng1);
  const UnitVector b = PointOnSphere(lat2, lng2);
  // Summed in this order (y, then x, then z) so that results match to the last bit.
  const double cosine = (a.y * b.y + a.x * b.x) + a.z * b.z;
  return CentralAngle(a, b, cosine) * kKmPerRadian;
}

}  // namespace routelet
