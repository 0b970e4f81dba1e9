// A test document whose colours vary smoothly over the whole sphere (poles
// included) when read as an equirectangular source, and the colour distance
// between two of its pixels. Renders of it should show no jump anywhere a
// picture is continuous, so a jump marks a seam.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/testhost/test_document.h"

inline TestDocument SmoothSphereDocument(int32_t width, int32_t height) {
  constexpr double kTwoPi = 6.283185307179586;
  constexpr double kPi = 3.141592653589793;
  TestDocument doc = MakeTestDocument(width, height, 3, 8, false);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      const double ring = std::sin(kPi * v);
      SetDocumentSample(doc, x, y, 0, std::round((0.5 + 0.45 * std::sin(kTwoPi * u) * ring) * 255) / 255 * full);
      SetDocumentSample(doc, x, y, 1, std::round((0.5 + 0.45 * std::cos(kTwoPi * u) * ring) * 255) / 255 * full);
      SetDocumentSample(doc, x, y, 2, std::round((0.05 + 0.9 * v) * 255) / 255 * full);
    }
  }
  return doc;
}

// The sum over the three channels of the difference between the pixels
// nearest (x, y) and (x2, y2), in 8-bit levels.
inline double ColourDistance(const TestDocument& doc, double x, double y, double x2, double y2) {
  const double full = DocumentFullScale(doc);
  double sum = 0;
  for (int16_t c = 0; c < 3; ++c) {
    const double a = GetDocumentSample(doc, int32_t(std::lround(x)), int32_t(std::lround(y)), c);
    const double b = GetDocumentSample(doc, int32_t(std::lround(x2)), int32_t(std::lround(y2)), c);
    sum += std::fabs(a - b) / full * 255;
  }
  return sum;
}
