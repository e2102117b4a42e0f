#pragma once

// Radius of the sphere on which every distance is measured, in metres.
constexpr double kSphereRadiusMetres = 6378200.0;

// Distance in metres along a sphere of radius kSphereRadiusMetres between two
// points in decimal degrees (spherical law of cosines). Identical points give
// exactly 0; the cosine is clamped to [-1, 1], so nearly identical points
// never give NaN. A NaN or infinite argument gives NaN.
double GreatCircleDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg);

// The same distance by the haversine formula: well conditioned for points
// centimetres apart, where the law of cosines moves in steps of millimetres
// (a per-frame log's positions move by about 0.1 m a frame). NaN in, NaN out.
double HaversineDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg);
