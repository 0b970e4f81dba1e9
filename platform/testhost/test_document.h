// A document for the test host: a grey or RGB image at 8, 16 or 32 bits a
// channel, with optional transparency, an optional selection mask and a filter
// rectangle anywhere inside it. Pixels are stored planes-interleaved, row by
// row, exactly as the host hands them to a filter.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_records.h"
#include "platform/pixel_bytes.h"

struct TestDocument {
  int32_t width = 0;
  int32_t height = 0;
  int16_t colourPlanes = 3;       // 1 grey, 3 RGB
  bool hasTransparency = false;   // one more plane after the colour planes
  int32_t depth = 8;              // bits a channel: 8, 16 or 32 (float)
  PixelBytes pixels;              // width * height * planes * (depth / 8) bytes
  bool hasMask = false;           // a selection mask, one byte a pixel
  std::vector<uint8_t> mask;      // width * height bytes
  Rect filterRect{};              // the selection's bounds (or the whole image)
};

// Channel values are given and answered in the document's own units:
// 0..255 at 8 bits, 0..32768 at 16 bits, 0..1 at 32 bits.
TestDocument MakeTestDocument(int32_t width, int32_t height, int16_t colourPlanes, int32_t depth,
                              bool hasTransparency);
int16_t DocumentPlanes(const TestDocument& doc);
int32_t DocumentBytesPerChannel(const TestDocument& doc);
int16_t DocumentImageMode(const TestDocument& doc);
double DocumentFullScale(const TestDocument& doc);
double GetDocumentSample(const TestDocument& doc, int32_t x, int32_t y, int16_t plane);
void SetDocumentSample(TestDocument& doc, int32_t x, int32_t y, int16_t plane, double value);
uint8_t* DocumentPixelAddress(TestDocument& doc, int32_t x, int32_t y);

// A selection mask of the whole document, every byte `value`.
void AddDocumentMask(TestDocument& doc, uint8_t value);
void SetDocumentFilterRect(TestDocument& doc, int16_t left, int16_t top, int16_t right, int16_t bottom);

// A deterministic pattern that differs in every pixel and every plane (a
// distinct value per position at 16 and 32 bits, a hash at 8 bits).
void FillDocumentPattern(TestDocument& doc, uint32_t seed);
double DocumentPatternValue(const TestDocument& doc, int32_t x, int32_t y, int16_t plane, uint32_t seed);
