#include <cmath>
#include <cstring>

#include "platform/testhost/test_document.h"

TestDocument MakeTestDocument(int32_t width, int32_t height, int16_t colourPlanes, int32_t depth,
                              bool hasTransparency) {
  TestDocument doc;
  doc.width = width;
  doc.height = height;
  doc.colourPlanes = colourPlanes;
  doc.depth = depth;
  doc.hasTransparency = hasTransparency;
  doc.pixels.assign(size_t(width) * size_t(height) * size_t(DocumentPlanes(doc)) * size_t(depth / 8), 0);
  doc.filterRect = Rect{0, 0, int16_t(height), int16_t(width)};
  return doc;
}

int16_t DocumentPlanes(const TestDocument& doc) { return int16_t(doc.colourPlanes + (doc.hasTransparency ? 1 : 0)); }

int32_t DocumentBytesPerChannel(const TestDocument& doc) { return doc.depth / 8; }

int16_t DocumentImageMode(const TestDocument& doc) {
  const bool grey = doc.colourPlanes == 1;
  switch (doc.depth) {
    case 16:
      return grey ? kImageModeGray16 : kImageModeRGB48;
    case 32:
      return grey ? kImageModeGray32 : kImageModeRGB96;
    default:
      return grey ? kImageModeGrayScale : kImageModeRGBColor;
  }
}

double DocumentFullScale(const TestDocument& doc) {
  switch (doc.depth) {
    case 16:
      return 32768.0;
    case 32:
      return 1.0;
    default:
      return 255.0;
  }
}

uint8_t* DocumentPixelAddress(TestDocument& doc, int32_t x, int32_t y) {
  const size_t pixelBytes = size_t(DocumentPlanes(doc)) * size_t(DocumentBytesPerChannel(doc));
  return doc.pixels.data() + (size_t(y) * size_t(doc.width) + size_t(x)) * pixelBytes;
}

double GetDocumentSample(const TestDocument& doc, int32_t x, int32_t y, int16_t plane) {
  const uint8_t* p = const_cast<uint8_t*>(DocumentPixelAddress(const_cast<TestDocument&>(doc), x, y)) +
                     size_t(plane) * size_t(DocumentBytesPerChannel(doc));
  switch (doc.depth) {
    case 16: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 32: {
      float v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return *p;
  }
}

void SetDocumentSample(TestDocument& doc, int32_t x, int32_t y, int16_t plane, double value) {
  uint8_t* p = DocumentPixelAddress(doc, x, y) + size_t(plane) * size_t(DocumentBytesPerChannel(doc));
  switch (doc.depth) {
    case 16: {
      const uint16_t v = uint16_t(std::lround(value));
      std::memcpy(p, &v, 2);
      break;
    }
    case 32: {
      const float v = float(value);
      std::memcpy(p, &v, 4);
      break;
    }
    default:
      *p = uint8_t(std::lround(value));
  }
}

void AddDocumentMask(TestDocument& doc, uint8_t value) {
  doc.hasMask = true;
  doc.mask.assign(size_t(doc.width) * size_t(doc.height), value);
}

void SetDocumentFilterRect(TestDocument& doc, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  doc.filterRect = Rect{top, left, bottom, right};
}

double DocumentPatternValue(const TestDocument& doc, int32_t x, int32_t y, int16_t plane, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u ^ uint32_t(x) * 0x85EBCA77u ^ uint32_t(y) * 0xC2B2AE3Du ^
               uint32_t(plane) * 0x27D4EB2Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  switch (doc.depth) {
    case 16:
      return double(h % 32769u);
    case 32:
      return double(float(double(h % 65536u) / 65535.0));  // exactly what a float plane holds
    default:
      return double(h & 255u);
  }
}

void FillDocumentPattern(TestDocument& doc, uint32_t seed) {
  const int16_t planes = DocumentPlanes(doc);
  for (int32_t y = 0; y < doc.height; ++y) {
    for (int32_t x = 0; x < doc.width; ++x) {
      for (int16_t p = 0; p < planes; ++p) SetDocumentSample(doc, x, y, p, DocumentPatternValue(doc, x, y, p, seed));
    }
  }
}
