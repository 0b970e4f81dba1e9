// Every glue mode end to end: whole filter runs through the test host on small
// documents, the committed pixels checked against the blend of the rendered
// pixel with the document pixel that was there.
//
// The rendered pixel n comes from a run with glue 1 ("normal") on the same
// document: it writes n as it stands after spill and clamping, and so does
// every other mode before its blend. The underlying pixel o is the document
// pixel under the output pixel. The expectation is the mode's rule applied to
// (n, o) at the document's depth, its result held in 0..full scale; the
// transparency plane keeps the rendered alpha whatever the mode; pixels
// outside the filter rectangle keep the document's values.
//
// The rule of every per-channel mode and of the whole-pixel modes with an
// integer rule is written out here. The modes built on the colour models or
// on the opponent tables take the mode functions as the oracle of the blend
// itself (they have their own tests); what this file checks for them is the
// frame: which pixels and channels go in, in which order and at which depth.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/glue_colour_modes.h"
#include "render/glue_modes.h"
#include "tests/render/render_fixture.h"

namespace {

using Pixel = int64_t[3];

struct Depth {
  int64_t full;   // 255 or 32768
  int64_t half;   // 128 or 16384
  int32_t shift;  // 8 or 15: the product of two values back to the scale
  bool eight;
};

constexpr Depth kDepth8{255, 128, 8, true};
constexpr Depth kDepth16{32768, 16384, 15, false};

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Hard light and pin light of a over b.
int64_t Hard(const Depth& d, int64_t a, int64_t b) {
  const int32_t s = d.shift - 1;
  return a < d.half ? (a * b) >> s : d.full - (((d.full - a) * (d.full - b)) >> s);
}
int64_t Pin(const Depth& d, int64_t a, int64_t b) {
  return a < d.half ? std::min(2 * a, b) : std::max(2 * a - d.full, b);
}

// One channel of a per-channel mode; false for the modes that look at the
// whole pixel.
bool ChannelRule(int32_t glue, const Depth& d, int64_t n, int64_t o, int64_t* out) {
  const int64_t M = d.full;
  const int32_t s = d.shift;
  int64_t r = 0;
  switch (glue) {
    case 2:
      if (d.eight) {
        const int64_t w = o < 128 ? 2 * o : 511 - 2 * o;
        r = (w * n + (255 - w) * o) >> 8;
      } else {
        const int64_t w = o < 16384 ? o / 2 : 16384 - o / 2;
        r = (w * n + (16384 - w) * o) >> 14;
      }
      break;
    case 3: r = std::min(n + ((n * o) >> s), M); break;
    case 4: r = ((M - n) * o + (M - o) * n) >> s; break;
    case 5: r = std::max(n, o); break;
    case 6: r = std::min(n, o); break;
    case 7: r = std::min(n + o, M); break;
    case 8: r = std::max(n - o, int64_t(0)); break;
    case 9: r = (n * o) >> s; break;
    case 10: r = n + (((M - n) * o) >> s); break;
    case 11: r = Hard(d, n, o); break;
    case 12: r = Hard(d, o, n); break;
    case 14: r = d.eight ? ((255 - o) * n + (256 - n) * o) >> 8 : ((M - n) * o + (M - o) * n) >> s; break;
    case 17:
      if (d.eight) {
        r = n < 128 ? std::max(o + 2 * n - 256, int64_t(0)) : std::min(o + 2 * n - 255, int64_t(255));
      } else {
        const int64_t v = o + 2 * n - M;
        r = n < d.half ? std::max(v, int64_t(0)) : std::min(v, M);
      }
      break;
    case 18: r = Pin(d, n, o); break;
    case 19: r = Pin(d, o, n); break;
    case 21: r = Clamp(2 * n - o, 0, M); break;
    case 24: r = M - std::llabs(n + o - M); break;
    case 26: r = std::llabs(n - o); break;
    case 30:
      if (d.eight) {
        r = Clamp((256 * o) / (256 - n), 0, 255);
      } else {
        r = n == M ? M : Clamp((M * o) / (M - n), 0, M);
      }
      break;
    case 31: r = d.eight ? Clamp(((o - 255) * 256) / (n + 1) + 255, 0, 255) : Clamp(((o - M) * M) / (n + 1) + M, 0, M); break;
    case 32: r = d.eight ? (n * n + (256 - n) * o) >> 8 : (n * n + (M - n) * o) >> s; break;
    case 33: r = d.eight ? ((n - o + 256) * o) >> 8 : ((n - o + M) * o) >> s; break;
    case 34: r = d.eight ? ((255 - n) * n + (n + 1) * o) >> 8 : ((o - n + M) * n) >> s; break;
    case 35: r = d.eight ? ((255 - o) * n + (o + 1) * o) >> 8 : (o * o + (M - o) * n) >> s; break;
    case 36: r = n & o; break;
    case 37: r = n | o; break;
    case 38: r = n ^ o; break;
    case 40: r = Pin(d, Pin(d, o, n), Pin(d, o, M - n)); break;
    case 41: r = Pin(d, Pin(d, n, o), Pin(d, n, M - o)); break;
    case 42: r = Pin(d, Hard(d, o, n), M - Hard(d, n, M - o)); break;
    case 43: {
      const int64_t c = M - n;
      r = Pin(d, Hard(d, o, c), M - Hard(d, c, M - o));
      break;
    }
    case 44: r = Pin(d, Hard(d, n, o), Hard(d, o, n)); break;
    case 45: r = Pin(d, Hard(d, o, n), Hard(d, n, o)); break;
    case 52: r = n + o > M ? M : 0; break;
    case 13: {
      const int64_t h = d.half, sh = s - 1;
      const int64_t a = M - ((n * o) >> s), a2 = (a * a) >> s, sc = M - a2;
      const int64_t b = M - (((M - n) * o) >> s) - n, b2 = (b * b) >> s;
      r = sc < h ? ((M - b2) * sc) >> sh : M - ((b2 * a2) >> sh);
      break;
    }
    case 20: {
      // The 16-bit form works on the values reduced to 8 bits.
      const int64_t n8 = d.eight ? n : std::min((n + 1) >> 7, int64_t(255));
      const int64_t o8 = d.eight ? o : std::min((o + 1) >> 7, int64_t(255));
      const int64_t v = n8 < 128 ? ((o8 - 255) * 256) / (2 * n8 + 1) + 255 : (256 * o8) / (511 - 2 * n8);
      if (d.eight) {
        r = Clamp(v, 0, 255);
      } else {
        r = v < 0 ? 0 : (v >= 255 ? M : (v << 7) | (v >> 1));
      }
      break;
    }
    case 25: {
      const int64_t q = d.eight ? 64 : 8192;
      r = Clamp(M - std::llabs(((n - d.half) * (n - d.half)) / q - ((o - d.half) * (o - d.half)) / q), 0, M);
      break;
    }
    case 27:
      if (n < d.half) {
        r = (n * o + ((o * o) >> s) * (d.half - n)) >> (s - 1);
      } else {
        // The upper half of the 16-bit form at 8-bit precision.
        const int64_t m = d.eight ? n : n >> 7;
        const int64_t c = 255 - (d.eight ? o : o >> 7);
        r = 255 - ((((c * c) >> 8) * (m - 130) + (258 - m) * c) >> 7);
        if (!d.eight) r *= 128;
      }
      break;
    case 39: {
      const float f = d.eight ? float(n * o) * 1.53787e-05f : float(n * o) * 0x1p-30f;
      r = int64_t((2.0f - f) * float(M) * f);
      break;
    }
    case 62: {
      const float t = 1.0f - (d.eight ? float((M - n) * (M - o)) * 1.53787e-05f : float((M - n) * (M - o)) * 0x1p-30f);
      r = int64_t(t * t * float(M));
      break;
    }
    case 58: {
      // The quotient blend of the underlying over the rendered value.
      const float inv = 1.0f / float(M);
      const float a = float(o) * inv, b = float(n) * inv;
      float q;
      if (b > a) {
        q = b > 0 ? float(std::min(0.5 * double(a) / double(b), 1.0)) : 1.0f;
      } else {
        q = a > 0 ? float(std::min(1.0 - 0.5 * double(b) / double(a), 1.0)) : 1.0f;
      }
      r = int64_t(q * float(M));
      break;
    }
    default: return false;
  }
  *out = r;
  return true;
}

int64_t Lum(const Pixel p) { return 77 * p[0] + 150 * p[1] + 28 * p[2]; }

// The whole-pixel modes with a short integer rule; false for the others.
bool PixelRule(int32_t glue, const Depth& d, const Pixel n, const Pixel o, Pixel out) {
  const int64_t S = d.eight ? 256 : 32768;
  const int32_t k = d.shift;
  // Channel c of n blended toward channel c of o by the weight w.
  auto mix = [&](int c, int64_t w) { return ((S - w) * n[c] + w * o[c]) >> k; };
  switch (glue) {
    case 28:
    case 29: {
      const int64_t ln = Lum(n) & ~int64_t(255), lo = Lum(o) & ~int64_t(255);
      const bool takeO = glue == 28 ? ln < lo : lo < ln;
      for (int c = 0; c < 3; ++c) out[c] = takeO ? o[c] : n[c];
      return true;
    }
    case 48: out[0] = mix(0, n[1]); out[1] = mix(1, n[2]); out[2] = mix(2, n[0]); return true;
    case 49: out[0] = mix(0, n[2]); out[1] = mix(1, n[0]); out[2] = mix(2, n[1]); return true;
    case 50: out[0] = mix(0, o[1]); out[1] = mix(1, o[2]); out[2] = mix(2, o[0]); return true;
    case 51: out[0] = mix(0, o[2]); out[1] = mix(1, o[0]); out[2] = mix(2, o[1]); return true;
    default: return false;
  }
}

// The blend of the rendered pixel n with the underlying pixel o by glue mode,
// held in 0..full.
void ExpectedBlend(int32_t glue, const Depth& d, const Pixel n, const Pixel o, Pixel out) {
  if (!PixelRule(glue, d, n, o, out)) {
    int64_t r;
    if (ChannelRule(glue, d, n[0], o[0], &r)) {
      for (int c = 0; c < 3; ++c) ChannelRule(glue, d, n[c], o[c], &out[c]);
    } else {
      int32_t nn[3] = {int32_t(n[0]), int32_t(n[1]), int32_t(n[2])};
      const int32_t oo[3] = {int32_t(o[0]), int32_t(o[1]), int32_t(o[2])};
      const int32_t full = int32_t(d.full);
      switch (glue) {
        case 15: case 16: case 22: case 23: case 59: case 60: case 61:
          ApplyColourModelGlue(glue, nn, oo, full);
          break;
        case 46: case 47: case 53:
          ApplyPlainHslGlue(glue, nn, oo, full);
          break;
        case 54: case 55: case 56: case 57:
          ApplyOpponentGlue(glue, nn, oo, full);
          break;
        default:
          ADD_FAILURE() << "no rule for glue " << glue;
      }
      for (int c = 0; c < 3; ++c) out[c] = nn[c];
    }
  }
  for (int c = 0; c < 3; ++c) out[c] = Clamp(out[c], 0, d.full);
}

// A document value at (x, y): scattered over the whole range with the values
// where the rules change (0, full, either side of half) frequent.
double PatternValue(int32_t x, int32_t y, int16_t plane, int64_t full, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u ^ uint32_t(x) * 0x85EBCA77u ^ uint32_t(y) * 0xC2B2AE3Du ^ uint32_t(plane) * 0x27D4EB2Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 13;
  const int64_t half = full == 255 ? 128 : 16384;
  switch (h % 10) {
    case 0: return 0;
    case 1: return double(full);
    case 2: return double(half);
    case 3: return double(half - 1);
    default: return double((h >> 8) % uint32_t(full + 1));
  }
}

struct Config {
  const char* what;
  int16_t planes;  // colour planes: 1 grey, 3 RGB
  int32_t depth;
  bool transparency;
  int32_t keep;   // keepTransparency
  bool subRect;   // a filter rectangle inside the document
  bool mask;      // a selection mask (the host applies it, not the filter)
};

constexpr int32_t kWidth = 25;  // the 2:1 map is 24 wide: columns 0 and 24 are half on it
constexpr int32_t kHeight = 12;

TestDocument MakeDocument(const Config& c, int16_t planes, uint32_t seed) {
  TestDocument doc = MakeTestDocument(kWidth, kHeight, planes, c.depth, c.transparency);
  const int64_t full = int64_t(DocumentFullScale(doc));
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      for (int16_t p = 0; p < planes; ++p) {
        // A grey companion in RGB carries the grey value in all three planes.
        const int16_t from = c.planes == 1 ? 0 : p;
        SetDocumentSample(doc, x, y, p, PatternValue(x, y, from, full, seed));
      }
      if (c.transparency) {
        // Mostly opaque, some transparent or partly transparent pixels.
        const double a = (x * 7 + y * 3) % 5 == 0 ? ((x + y) % 2 ? 0.0 : 0.4) : 1.0;
        SetDocumentSample(doc, x, y, planes, double(int64_t(a * double(full))));
      }
    }
  }
  if (c.subRect) SetDocumentFilterRect(doc, 3, 2, 22, 11);
  if (c.mask) {
    AddDocumentMask(doc, 255);
    for (int32_t i = 0; i < kWidth * kHeight; i += 3) doc.mask[size_t(i)] = uint8_t(i % 2 ? 0 : 100);
  }
  return doc;
}

// Renders `doc` in place with glue `glue` and the config's settings.
void RenderWithGlue(TestDocument* doc, const Config& c, int32_t glue) {
  RenderRun run;
  ASSERT_EQ(run.Render(doc,
                       [&](ParameterBlock* b) {
                         b->glue = glue;
                         b->longitude = 180.0f;  // n shows the other half of the document: n and o unrelated
                         b->keepTransparency = c.keep;
                         b->backdropRed = 60000;
                         b->backdropGreen = 9000;
                         b->backdropBlue = 33000;
                       }),
            kNoErr)
      << c.what << " glue " << glue;
}

bool InFilter(const TestDocument& doc, int32_t x, int32_t y) {
  const Rect& f = doc.filterRect;
  return x >= f.left && x < f.right && y >= f.top && y < f.bottom;
}

// The rendered pixels of a config: a run with glue 1 writes them as they are
// (into `normal`, whose transparency plane holds the rendered alpha). A grey
// document blends the pixel whose red is the lightness of the rendered colour
// (what glue 1 writes) and whose green and blue are the rendered ones: an RGB
// document with the grey in every plane renders that colour. Three values a pixel, row by row,
// for the pixels of the filter rectangle.
void RenderedPixels(const Config& c, const TestDocument& source, uint32_t seed, TestDocument* normal,
                    std::vector<int64_t>* rendered) {
  *normal = source;
  RenderWithGlue(normal, c, 1);
  TestDocument colour = *normal;
  if (c.planes == 1) {
    colour = MakeDocument(c, 3, seed);
    RenderWithGlue(&colour, c, 1);
  }
  rendered->assign(size_t(kWidth) * kHeight * 3, 0);
  int32_t inside = 0;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      if (!InFilter(source, x, y)) continue;
      ++inside;
      int64_t* n = &(*rendered)[(size_t(y) * kWidth + size_t(x)) * 3];
      for (int16_t p = 0; p < 3; ++p) n[p] = int64_t(GetDocumentSample(colour, x, y, p));
      if (c.planes == 1) {
        // The RGB render shows the channels clamped; where none was clamped
        // the grey render's value is their lightness, otherwise at least it.
        const int64_t grey = int64_t(GetDocumentSample(*normal, x, y, 0));
        const int64_t full = int64_t(DocumentFullScale(source));
        if (n[0] < full && n[1] < full && n[2] < full) {
          ASSERT_EQ(grey, Lum(n) >> 8) << x << "," << y;
        } else {
          ASSERT_GE(grey, Lum(n) >> 8) << x << "," << y;
        }
        n[0] = grey;
      }
    }
  }
  ASSERT_GT(inside, 100);
}

TEST(GlueEndToEnd, EveryModeBlendsTheRenderedPixelWithTheDocumentAtEightAndSixteenBits) {
  const Config configs[] = {
      {"RGB 8-bit", 3, 8, false, 0, false, false},
      {"RGB 8-bit layer keeping alpha", 3, 8, true, 1, false, false},
      {"RGB 8-bit layer on the backdrop, filter rectangle and mask", 3, 8, true, 0, true, true},
      {"RGB 16-bit", 3, 16, false, 0, false, false},
      {"RGB 16-bit layer keeping alpha, filter rectangle", 3, 16, true, 1, true, false},
      {"grey 8-bit on the backdrop", 1, 8, false, 0, false, false},
      {"grey 8-bit layer keeping alpha, filter rectangle", 1, 8, true, 1, true, false},
      {"grey 16-bit layer keeping alpha", 1, 16, true, 1, false, false},
      {"grey 16-bit on the backdrop, mask", 1, 16, false, 0, false, true},
  };
  uint32_t seed = 11;
  // Per mode, the pixels whose blend differs from the rendered pixel in some
  // written channel at each depth: the documents must show every mode at work.
  int32_t changed[2][kGlueModeCount + 1] = {};
  for (const Config& c : configs) {
    SCOPED_TRACE(c.what);
    const TestDocument source = MakeDocument(c, c.planes, ++seed);
    const int16_t planes = DocumentPlanes(source);
    const Depth& depth = c.depth == 8 ? kDepth8 : kDepth16;

    TestDocument normal = source;
    std::vector<int64_t> rendered;
    ASSERT_NO_FATAL_FAILURE(RenderedPixels(c, source, seed, &normal, &rendered));

    for (int32_t glue = 2; glue <= kGlueModeCount; ++glue) {
      TestDocument doc = source;
      RenderWithGlue(&doc, c, glue);
      int32_t faults = 0;
      for (int32_t y = 0; y < kHeight && faults < 3; ++y) {
        for (int32_t x = 0; x < kWidth && faults < 3; ++x) {
          const std::string at = "glue " + std::to_string(glue) + " at " + std::to_string(x) + "," + std::to_string(y);
          if (!InFilter(source, x, y)) {
            for (int16_t p = 0; p < planes; ++p) {
              if (GetDocumentSample(doc, x, y, p) != GetDocumentSample(source, x, y, p)) {
                ADD_FAILURE() << at << " outside the filter rectangle changed in plane " << p;
                ++faults;
              }
            }
            continue;
          }
          const int64_t* n = &rendered[(size_t(y) * kWidth + size_t(x)) * 3];
          Pixel o;
          for (int16_t p = 0; p < 3; ++p) o[p] = int64_t(GetDocumentSample(source, x, y, c.planes == 1 ? 0 : p));
          Pixel expected;
          const Pixel nn = {n[0], n[1], n[2]};
          ExpectedBlend(glue, depth, nn, o, expected);
          bool differs = false;
          for (int16_t p = 0; p < c.planes; ++p) differs = differs || expected[p] != nn[p];
          changed[depth.eight ? 0 : 1][glue] += differs ? 1 : 0;
          for (int16_t p = 0; p < c.planes; ++p) {
            const int64_t got = int64_t(GetDocumentSample(doc, x, y, p));
            if (got != expected[p]) {
              ADD_FAILURE() << at << " plane " << p << ": wrote " << got << ", expected " << expected[p] << " (n "
                            << n[0] << " " << n[1] << " " << n[2] << ", o " << o[0] << " " << o[1] << " " << o[2]
                            << ")";
              ++faults;
            }
          }
          if (c.transparency) {
            const double alpha = GetDocumentSample(doc, x, y, c.planes);
            if (alpha != GetDocumentSample(normal, x, y, c.planes)) {
              ADD_FAILURE() << at << ": alpha " << alpha << ", rendered "
                            << GetDocumentSample(normal, x, y, c.planes);
              ++faults;
            }
          }
        }
      }
    }
  }
  for (int32_t glue = 2; glue <= kGlueModeCount; ++glue) {
    EXPECT_GT(changed[0][glue], 20) << "8-bit glue " << glue << " hardly changes the rendered pixels";
    EXPECT_GT(changed[1][glue], 20) << "16-bit glue " << glue << " hardly changes the rendered pixels";
  }
}

// The preview blends by the same rule, then shows the result over the
// checkerboard through the selection mask: nothing of it where the mask is
// 0, all of it where the mask is full, and the alpha of a layer weighs the
// mask.
TEST(GlueEndToEnd, ThePreviewShowsTheBlendThroughTheMask) {
  const Config configs[] = {
      {"RGB 8-bit preview", 3, 8, false, 0, false, true},
      {"RGB 8-bit layer preview keeping alpha", 3, 8, true, 1, false, true},
      {"RGB 16-bit layer preview keeping alpha", 3, 16, true, 1, false, true},
      {"grey 8-bit preview", 1, 8, false, 0, false, true},
      {"grey 16-bit preview", 1, 16, false, 0, false, true},
  };
  uint32_t seed = 40;
  for (const Config& c : configs) {
    SCOPED_TRACE(c.what);
    const TestDocument source = MakeDocument(c, c.planes, ++seed);
    const Depth& depth = c.depth == 8 ? kDepth8 : kDepth16;
    // The rendered pixels come from the final render (a full-scale preview
    // renders the same pixels); the mask plays no part in them.
    Config unmasked = c;
    unmasked.mask = false;
    TestDocument plain = source;
    plain.hasMask = false;
    plain.mask.clear();
    TestDocument normal;
    std::vector<int64_t> rendered;
    ASSERT_NO_FATAL_FAILURE(RenderedPixels(unmasked, plain, seed, &normal, &rendered));

    for (int32_t glue = 1; glue <= kGlueModeCount; ++glue) {
      TestDocument doc = source;
      PreviewRun preview;
      ASSERT_NO_FATAL_FAILURE(preview.Open(&doc, 1, 3));
      ParameterBlock* block = GetParameterBlock(preview.Globals());
      block->glue = glue;
      block->longitude = 180.0f;
      block->keepTransparency = c.keep;
      block->backdropRed = 60000;
      block->backdropGreen = 9000;
      block->backdropBlue = 33000;
      RenderPreviewImage(preview.Globals());
      ASSERT_EQ(preview.result, kNoErr);
      const FilterRecord& fr = preview.run.host.record;
      ASSERT_EQ(fr.outRect.right - fr.outRect.left, kWidth);
      ASSERT_EQ(fr.outRect.bottom - fr.outRect.top, kHeight);
      int32_t faults = 0;
      for (int32_t y = 0; y < kHeight && faults < 3; ++y) {
        for (int32_t x = 0; x < kWidth && faults < 3; ++x) {
          const int64_t* n = &rendered[(size_t(y) * kWidth + size_t(x)) * 3];
          const Pixel nn = {n[0], n[1], n[2]};
          Pixel o, blended;
          for (int16_t p = 0; p < 3; ++p) o[p] = int64_t(GetDocumentSample(source, x, y, c.planes == 1 ? 0 : p));
          if (glue == 1) {
            for (int16_t p = 0; p < 3; ++p) blended[p] = nn[p];
          } else {
            ExpectedBlend(glue, depth, nn, o, blended);
          }
          int64_t m = source.mask[size_t(y) * kWidth + size_t(x)];
          const int64_t alpha = c.transparency ? int64_t(GetDocumentSample(normal, x, y, c.planes)) : 0;
          const bool light = ((x ^ y) & 8) == 0;
          int64_t shown[3];
          if (depth.eight) {
            const int64_t bg = light ? 255 : 204;
            if (m > 127) m += 1;
            if (c.transparency) m = (m * alpha) >> 8;
            for (int p = 0; p < 3; ++p) shown[p] = (m * blended[p] + bg * (256 - m)) >> 8;
          } else {
            const int64_t bg = light ? 32640 : 26112;
            if (c.transparency) m = (m * alpha) >> 15;
            for (int p = 0; p < 3; ++p) shown[p] = (m * blended[p] + bg * (255 - m)) >> 8;
          }
          for (int16_t p = 0; p < c.planes; ++p) {
            const int64_t got = int64_t(preview.Out(x, y, p));
            if (got != shown[p]) {
              ADD_FAILURE() << "glue " << glue << " at " << x << "," << y << " plane " << p << " (mask "
                            << int(source.mask[size_t(y) * kWidth + size_t(x)]) << "): shown " << got
                            << ", expected " << shown[p];
              ++faults;
            }
          }
          if (c.transparency && preview.Out(x, y, c.planes) != depth.full) {
            ADD_FAILURE() << "glue " << glue << " at " << x << "," << y << ": the preview is not opaque";
            ++faults;
          }
        }
      }
    }
  }
}

// The float kind never blends: every glue mode writes what "normal" writes.
TEST(GlueEndToEnd, FloatDocumentsWriteNormalWhateverTheMode) {
  for (const bool transparency : {false, true}) {
    for (const int16_t planes : {int16_t(3), int16_t(1)}) {
      TestDocument source = MakeTestDocument(kWidth, kHeight, planes, 32, transparency);
      FillDocumentPattern(source, 5);
      if (transparency) {
        for (int32_t y = 0; y < kHeight; ++y) {
          for (int32_t x = 0; x < kWidth; ++x) SetDocumentSample(source, x, y, planes, (x + y) % 4 ? 1.0 : 0.25);
        }
      }
      const Config c{"float", planes, 32, transparency, 1, false, false};
      TestDocument normal = source;
      RenderWithGlue(&normal, c, 1);
      ASSERT_NE(normal.pixels, source.pixels);
      for (int32_t glue = 2; glue <= kGlueModeCount; ++glue) {
        TestDocument doc = source;
        RenderWithGlue(&doc, c, glue);
        EXPECT_EQ(doc.pixels, normal.pixels) << "glue " << glue << " planes " << planes << " transparency "
                                             << transparency;
      }
    }
  }
}

}  // namespace
