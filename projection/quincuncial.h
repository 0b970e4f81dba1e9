// Inverses of the output projections built on the conformal map of a square
// onto a disc (the Peirce quincuncial family and its n-lobed variants, the
// chevron, the Adams and square-fish squares, Guyou, the wide rectangle and
// the ellipse) and of the two grid-based maps (Winkel Tripel and the equal
// squarea). Each takes a point of the output plane and yields a direction on
// the sphere or raises the outside flag. All read their table through the
// lookup grid; with no table loaded the lookups give 0 and the members return
// the direction of the disc centre.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "image/image_record.h"

// The square [0, 1]^2 onto the unit disc (table 1), turned by +45 degrees: the
// square's edges go to the unit circle, its corners to 0, 90, 180, 270 degrees.
Complex ConformalSquareLookup(const Complex* p, ImageRecord* grid);

// Output 94 (power 1, angle 0): the diamond |x| + |y| <= 1 is one hemisphere,
// the four corner triangles of the square [-1, 1]^2 fold back onto the other.
void InversePeirceQuincuncial(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, double power,
                              double angle);

// Outputs 92, 93, 95, 96: the quincuncial map with k-fold angles.
void InverseNCunx(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, double k, int32_t n,
                  double angle, double scale, double offsetX, double offsetY);

// Output 128: a quincuncial map with power 4/3 and a notch.
void InverseChevron(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, double offsetX,
                    double offsetY);

// Outputs 90, 91 (variants 1, 2) and, with the plane point halved, 141 and 142
// (variant 2, which use the disc point).
void InverseAdamsSquare(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid, int32_t variant,
                        Complex* disc);

// Output 99 and the pieces of shaped outputs: two squares side by side, one
// hemisphere each.
void InverseGuyou(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, Complex* disc);

// Output 119.
void InverseWideRect(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid);

// Output 121 and the pieces of shaped outputs.
void InverseEllipse(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid);
void InverseEllipseCore(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid);

// Output 140: the equal-area square (table 12); centre +z, corners -z.
void InverseEqualSquarea(double x, double y, uint8_t* outside, float v[3], ImageRecord* grid);

// Output 35: Winkel Tripel through table 10. p is divided by the map's half
// extents (2.5707963..., pi/2) in place.
void InverseWinkelTripel(Complex* p, ImageRecord* grid, float v[3], uint8_t* outside);
