// The orientation of the sphere and the conformal moves of points on it: the
// rotation record built from the user's three angles, rotations about the
// coordinate axes, the stereographic pair, the Moebius tilt and the power map
// that multiplies angles about an axis.
//
// Sphere coordinates: +y up, +z forward (the centre of the equirectangular
// image), +x to its right. Rotation matrices follow the row-vector convention
// of geometry/vector.h.
//
// Stereographic pair (the plane point w as a Complex, r2 = |w|^2):
//   P(w) = (-2 w.re/(r2 + 1), -2 w.im/(r2 + 1), (1 - r2)/(1 + r2)),
//          w = 0 gives (0, 0, 1), the point at infinity (0, 0, -1);
//   S(v) = (-v.x/(v.z + 1), -v.y/(v.z + 1)), (0, 0) when v.z + 1 <= 0.
//   S(P(w)) = w.
//
// The outside flag of the power maps is only ever set, never cleared, by
// MapSpherePower; callers clear it before the call or through `keep` after it.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "geometry/vector.h"

struct RotationRecord {
  Matrix4f matrixA;  // about axisX by radiansA
  Matrix4f matrixB;  // about axisY by radiansB
  Matrix4f matrixC;  // about spinAxis by radiansC
  Vec3f axisX;       // (1, 0, 0)
  Vec3f axisY;       // (0, 1, 0)
  Vec3f axisZ;       // (0, 0, 1)
  Vec3f spinAxis;    // z turned by matrixA, then matrixB
  float radiansA;
  float radiansB;
  float radiansC;
};
static_assert(sizeof(RotationRecord) == 3 * 64 + 4 * 12 + 3 * 4);

// Output projections whose directions pass through the squaring power map
// before the rotation.
constexpr uint32_t kOutputGilbert = 134;
constexpr uint32_t kOutputSquareFish2 = 142;
constexpr uint32_t kOutputGilbertGlobe = 143;

// Angles in degrees. BuildRotationRecord(record, d2, d1, d3) in radians: the
// SECOND angle turns about x, the first about y, the third about the turned z.
void SetRotationFromAngles(float d1, float d2, float d3, RotationRecord* record);

// Fills every field from the three angles in radians (a about x, b about y,
// c about the spin axis).
void BuildRotationRecord(RotationRecord* record, float a, float b, float c);

// Stereographic power map in double precision on a float direction, tilt 0.
void MapSpherePowerF(Vec3f* v, double k, uint8_t* outside);

// Turns a direction by the record: v = ((v*matrixA)*matrixB)*matrixC. For the
// outputs 134, 142 and 143 the squaring power map comes first.
inline void ApplyRotation(const RotationRecord* record, uint32_t outputProjection, Vec3f* v) {
  if (outputProjection == kOutputGilbert || outputProjection == kOutputSquareFish2 ||
      outputProjection == kOutputGilbertGlobe) {
    uint8_t scratch = 0;
    MapSpherePowerF(v, 0.5, &scratch);
  }
#if defined(__SSE2__)
  // The three products with x, y and z side by side: each lane adds its
  // terms in the order TransformVec3fByMatrix does, so the bits agree.
  auto turn = [](__m128 p, const Matrix4f& matrix) {
    const float* m = matrix.m;
    const __m128 x = _mm_shuffle_ps(p, p, _MM_SHUFFLE(0, 0, 0, 0));
    const __m128 y = _mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 1, 1, 1));
    const __m128 z = _mm_shuffle_ps(p, p, _MM_SHUFFLE(2, 2, 2, 2));
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, _mm_loadu_ps(m)), _mm_mul_ps(y, _mm_loadu_ps(m + 4))),
                      _mm_mul_ps(z, _mm_loadu_ps(m + 8)));
  };
  const __m128 p = turn(turn(turn(_mm_setr_ps(v->x, v->y, v->z, 0.0f), record->matrixA), record->matrixB),
                        record->matrixC);
  float out[4];
  _mm_storeu_ps(out, p);
  *v = Vec3f{out[0], out[1], out[2]};
#else
  Vec3f t;
  TransformVec3fByMatrix(v, &record->matrixA, &t);
  TransformVec3fByMatrix(&t, &record->matrixB, v);
  TransformVec3fByMatrix(v, &record->matrixC, &t);
  *v = t;
#endif
}

// (x, y) as x + i*y times (cos angle + i*sin angle).
void RotateVec3dAboutZ(Vec3* v, double angle);
// (z, y) as z + i*y turned the same way.
void RotateVec3dAboutX(Vec3* v, double angle);
// (z, x) as z + i*x turned the same way.
void RotateVec3dAboutY(Vec3* v, double angle);

// out = P(w), the quotient 2w/(r2 + 1) formed by ComplexDiv.
void StereographicToSphere(const Complex* w, Vec3* out);

// The Moebius tilt by i*t through the stereographic image of the upper
// hemisphere, mirrored onto the lower one; t = 0 leaves v unchanged.
void MobiusTiltSphere(Vec3* v, double t);

// Power map with exponent 1/k about the y axis (each hemisphere y >= 0 and
// y <= 0 on its own), then MobiusTiltSphere(v, tilt). k = 1 is the identity;
// (0, +-1, 0) are fixed for every k. Sets *outside when the point's wedge
// falls beyond the image of the full turn.
void MapSpherePower(Vec3* v, double k, uint8_t* outside, double tilt);
void MapSpherePowerNoTilt(Vec3* v, double k, uint8_t* outside);
// The power map about the z axis instead of y.
void MapSpherePowerAboutZ(Vec3* v, double k, uint8_t* outside);

// MapSpherePower(v, 1/k) (v modified), then out = S(v).
void SphereToStereographicPowered(Vec3* v, Complex* out, double k);
// out = P(w), then MapSpherePower(out, 1/k); *outside cleared unless keep.
void StereographicToSpherePowered(const Complex* w, double k, uint8_t* outside, Vec3* out, uint8_t keep);
// P((x, y)), then MapSpherePower(1/k); *outside cleared unless keep.
void PlaneToSpherePoweredF(double x, double y, double k, uint8_t* outside, Vec3f* out, uint8_t keep);

// The far point of the unit sphere hit by the ray from (0, 0, c) toward
// (-x, -y, 1 - c). For c = -1 it is P((x/2, y/2)).
void PlaneToSphereFromAxisPoint(float x, float y, Vec3f* out, float c);
void PlaneToSphereFromAxisPointD(double x, double y, Vec3* out, double c);
void PlaneToSphereFromSouthPole(float x, float y, Vec3f* out);
void PlaneToSphereFromSouthPoleD(double x, double y, Vec3* out);
