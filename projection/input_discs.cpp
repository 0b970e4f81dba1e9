// Disc-shaped inputs: the mirror ball and its stretched variants, the polar
// and fisheye circles, the orthographic and stereographic hemispheres.
#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/vector.h"
#include "projection/input_families.h"

namespace {

constexpr float kPiF = 3.1415927f;

// The rim direction (in the image plane) used at the antipode of a ball,
// where every rim point is the answer: towards (x, y) when that has a length,
// else straight down.
void BallRimDirection(float x, float y, float* rx, float* ry) {
  double length = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
  if (length > 0.0) {
    *rx = static_cast<float>(x / length);
    *ry = static_cast<float>(y / length);
  } else {
    *rx = 0.0f;
    *ry = -1.0f;
  }
}

// Input 2: the mirror ball.
void MapMirrorBall(const Vec3f* d, InputSample* s) {
  float k = ReciprocalSqrtf(2.0f * (d->z + 1.0f));
  float bx = k * d->x;
  float by = k * d->y;
  if (!std::isfinite(bx) || !std::isfinite(by)) BallRimDirection(d->x, d->y, &bx, &by);
  s->srcX = 1.0f - (0.5f * bx + 0.5f);
  s->srcY = 1.0f - (0.5f * by + 0.5f);
}

// Inputs 6 and 18: the mirror ball with its tangential components stretched
// by k before re-normalising.
void MapStretchedBall(const Vec3f* d, float k, InputSample* s) {
  float sz = std::sqrt((d->z + 1.0f) * 0.5f);
  float m = ReciprocalSqrtf((d->z + 1.0f) * 2.0f);
  Vec3f w{k * d->x * m, k * d->y * m, sz};
  if (!std::isfinite(w.x) || !std::isfinite(w.y) || !std::isfinite(w.z)) {
    BallRimDirection(d->x, d->y, &w.x, &w.y);
    w.z = 0.0f;
  }
  NormalizeVec3f(&w);
  s->srcX = 1.0f - (0.5f * w.x + 0.5f);
  s->srcY = 1.0f - (0.5f * w.y + 0.5f);
}

// Inputs 3, 8 and 9: radius r along the direction's angle around the view.
void PlaceOnCircle(const Vec3f* d, float r, float aspect, InputSample* s) {
  float theta = AngleAroundOrigin(d->x, d->y);
  s->srcX = 0.5f * r * std::sin(theta) + 0.5f;
  s->srcY = 0.5f * r * std::cos(theta) / aspect + 0.5f;
}

// Input 15: stereographic from the back pole; the front hemisphere fills the
// circle of radius 0.5.
void MapStereographic(const Vec3f* d, InputSample* s) {
  if (d->z < 0.0f) {
    MarkNoSource(s);
    return;
  }
  float r = std::tan(FastAcos(d->z) * 0.5f) * 0.5f;
  float p[2] = {d->x, d->y};
  // At the centre (x, y) has no direction; so too when its squared length
  // underflows. The point is the centre itself.
  if (p[0] * p[0] + p[1] * p[1] == 0.0f) {
    s->srcX = 0.5f;
    s->srcY = 0.5f;
    return;
  }
  NormalizeVec2fUnchecked(p);
  s->srcX = 0.5f - p[0] * r;
  s->srcY = 0.5f - p[1] * r;
}

}  // namespace

void MapDiscInput(int32_t input, const Vec3f* d, float aspect, InputSample* s) {
  switch (input) {
    case 2:
      MapMirrorBall(d, s);
      break;
    case 3:
      PlaceOnCircle(d, FastAcos(d->z) / kPiF, 1.0f, s);
      break;
    case 4:
      if (d->z < 0.0f || 1.0f - d->y * d->y < 0.0f) {
        MarkNoSource(s);
        break;
      }
      s->srcX = 1.0f - (d->x + 1.0f) * 0.5f;
      s->srcY = 1.0f - (d->y + 1.0f) * 0.5f;
      break;
    case 6:
      MapStretchedBall(d, 1.1490611f, s);
      break;
    case 8: {
      float r = FastAcos(d->z) * (1.0f / kPiF) * 2.0f;
      if (r > 1.0f) {
        MarkNoSource(s);
        break;
      }
      PlaceOnCircle(d, r, 1.0f, s);
      break;
    }
    case 9: {
      float r = FastAcos(d->z) * (1.0f / kPiF) * 2.0f * std::sqrt(aspect * aspect + 1.0f);
      PlaceOnCircle(d, r, aspect, s);
      if (OutsideUnit(s->srcX) || OutsideUnit(s->srcY)) MarkNoSource(s);
      break;
    }
    case 15:
      MapStereographic(d, s);
      break;
    case 18:
      MapStretchedBall(d, 1.55f, s);
      break;
    default:
      MarkNoSource(s);
      break;
  }
}
