#pragma once
// Distance between two fixes along the surface of a spherical Earth.

namespace routelet {

// Kilometres between (lat1, lng1) and (lat2, lng2), in degrees with north and east positive.
// The Earth is a sphere on which half a great circle is exactly 20000 km. Short steps (under
// about 2.85 m) and nearly opposite points are measured from the chord between them, where the
// arc cosine loses its precision. Swapping the points gives exactly the same result.
double GreatCircleKm(double lat1, double lng1, double lat2, double lng2);

}  // namespace routelet
