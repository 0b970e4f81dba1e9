#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/testhost/test_host.h"

namespace {

// The filter record is packed: its pointers are read by value, never bound by reference.
const void* Ptr(const void* p) { return p; }

Rect MakeRect(int16_t left, int16_t top, int16_t right, int16_t bottom) { return Rect{top, left, bottom, right}; }

double Sample(const TestDocument& doc, const void* data, int32_t rowBytes, int32_t row, int32_t col, int32_t planes,
              int32_t plane) {
  const int32_t bpc = DocumentBytesPerChannel(doc);
  const auto* p = static_cast<const uint8_t*>(data) + size_t(row) * size_t(rowBytes) +
                  size_t(col * planes + plane) * size_t(bpc);
  if (bpc == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  if (bpc == 4) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
  }
  return *p;
}

struct DeliveryCase {
  int16_t colourPlanes;
  int32_t depth;
  bool transparency;
  Fixed16 rate;
  Rect inRect;  // in reduced coordinates
  int16_t loPlane, hiPlane;
  int32_t extraRowBytes;
};

class TestHostDelivery : public ::testing::TestWithParam<DeliveryCase> {};

// Every delivered pixel is the document pixel at the truncated scaled
// position, edge-replicated past the image, with the requested planes only.
TEST_P(TestHostDelivery, DeliversExactlyTheRequestedRectangleAtTheRate) {
  const DeliveryCase& c = GetParam();
  TestDocument doc = MakeTestDocument(23, 17, c.colourPlanes, c.depth, c.transparency);
  FillDocumentPattern(doc, 5);
  SetDocumentFilterRect(doc, 3, 2, 20, 15);
  TestHost host;
  TestHostOptions options;
  options.extraRowBytes = c.extraRowBytes;
  InitTestHost(&host, &doc, options);
  FilterRecord& fr = host.record;
  fr.inRect = c.inRect;
  fr.inLoPlane = c.loPlane;
  fr.inHiPlane = c.hiPlane;
  fr.inputRate = c.rate;
  fr.inputPadding = kPaddingReplicate;
  ASSERT_EQ(fr.advanceState(), kNoErr);
  ASSERT_NE(Ptr(fr.inData), nullptr);
  const int32_t planes = c.hiPlane - c.loPlane + 1;
  const int32_t width = c.inRect.right - c.inRect.left;
  EXPECT_EQ(fr.inRowBytes, width * planes * DocumentBytesPerChannel(doc) + c.extraRowBytes);
  EXPECT_EQ(Ptr(fr.outData), nullptr);
  EXPECT_EQ(Ptr(fr.maskData), nullptr);
  for (int32_t r = 0; r < c.inRect.bottom - c.inRect.top; ++r) {
    for (int32_t col = 0; col < width; ++col) {
      const int64_t sy = std::clamp<int64_t>((int64_t(c.inRect.top + r) * c.rate) >> 16, 0, doc.height - 1);
      const int64_t sx = std::clamp<int64_t>((int64_t(c.inRect.left + col) * c.rate) >> 16, 0, doc.width - 1);
      for (int32_t p = 0; p < planes; ++p) {
        ASSERT_EQ(Sample(doc, fr.inData, fr.inRowBytes, r, col, planes, p),
                  GetDocumentSample(doc, int32_t(sx), int32_t(sy), int16_t(c.loPlane + p)))
            << "row " << r << " col " << col << " plane " << p;
      }
    }
  }
  ASSERT_EQ(host.requests.size(), 1u);
  EXPECT_EQ(host.requests[0].inputRate, c.rate);
  ShutdownTestHost(&host);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestHostDelivery,
    ::testing::Values(DeliveryCase{3, 8, false, 1 << 16, MakeRect(3, 2, 20, 15), 0, 2, 0},
                      DeliveryCase{3, 8, true, 1 << 16, MakeRect(0, 0, 23, 17), 0, 3, 5},
                      DeliveryCase{1, 16, false, 2 << 16, MakeRect(1, 1, 10, 8), 0, 0, 0},
                      DeliveryCase{3, 16, true, 3 << 16, MakeRect(0, 0, 8, 6), 1, 2, 0},
                      DeliveryCase{3, 32, false, 4 << 16, MakeRect(0, 0, 6, 5), 0, 2, 3},
                      DeliveryCase{1, 32, true, 0x18000, MakeRect(2, 2, 16, 12), 0, 1, 0},
                      // past the right and bottom edges and before the origin: replicated
                      DeliveryCase{3, 8, false, 1 << 16, MakeRect(-3, -2, 26, 20), 0, 2, 0},
                      DeliveryCase{1, 8, false, 2 << 16, MakeRect(8, 6, 14, 11), 0, 0, 0}));

TEST(TestHostPadding, FixedPaddingValueFillsOnlyPixelsPastTheImage) {
  TestDocument doc = MakeTestDocument(4, 3, 1, 8, false);
  FillDocumentPattern(doc, 1);
  TestHost host;
  InitTestHost(&host, &doc, {});
  FilterRecord& fr = host.record;
  fr.inRect = MakeRect(2, 1, 6, 4);  // two columns and one row past the image
  fr.inLoPlane = fr.inHiPlane = 0;
  fr.inputPadding = 7;
  ASSERT_EQ(fr.advanceState(), kNoErr);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      const bool inside = 1 + r < 3 && 2 + c < 4;
      EXPECT_EQ(Sample(doc, fr.inData, fr.inRowBytes, r, c, 1, 0), inside ? GetDocumentSample(doc, 2 + c, 1 + r, 0) : 7.0);
    }
  }
  ShutdownTestHost(&host);
}

TEST(TestHostPadding, ErrorPaddingRefusesARequestPastTheImage) {
  TestDocument doc = MakeTestDocument(4, 3, 3, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, {});
  FilterRecord& fr = host.record;
  fr.inRect = MakeRect(0, 0, 5, 3);
  fr.inHiPlane = 2;
  fr.inputPadding = kPaddingError;
  EXPECT_NE(fr.advanceState(), kNoErr);
  EXPECT_EQ(Ptr(fr.inData), nullptr);
  fr.inRect = MakeRect(0, 0, 4, 3);
  EXPECT_EQ(fr.advanceState(), kNoErr);
  EXPECT_NE(Ptr(fr.inData), nullptr);
  ShutdownTestHost(&host);
}

TEST(TestHostPadding, PlanesOutsideTheImageAreRefused) {
  TestDocument doc = MakeTestDocument(4, 3, 3, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, {});
  FilterRecord& fr = host.record;
  fr.inRect = MakeRect(0, 0, 4, 3);
  fr.inLoPlane = 0;
  fr.inHiPlane = 3;  // no transparency: planes 0 to 2 only
  EXPECT_EQ(fr.advanceState(), kFilterBadParameters);
  EXPECT_EQ(host.requestErrors, 1);
  ShutdownTestHost(&host);
}

// The out buffer starts as the document and is written back inside the
// filter rectangle only, at the next delivery.
TEST(TestHostOutput, CommitsTheOutBufferInsideTheFilterRectangle) {
  TestDocument doc = MakeTestDocument(10, 8, 3, 16, false);
  FillDocumentPattern(doc, 9);
  const TestDocument before = doc;
  SetDocumentFilterRect(doc, 2, 3, 7, 6);
  TestHost host;
  InitTestHost(&host, &doc, {});
  FilterRecord& fr = host.record;
  fr.outRect = MakeRect(1, 2, 8, 7);  // one pixel wider than the filter rectangle on every side
  fr.outHiPlane = 2;
  ASSERT_EQ(fr.advanceState(), kNoErr);
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(Sample(doc, fr.outData, fr.outRowBytes, 0, c, 3, 1), GetDocumentSample(doc, 1 + c, 2, 1));
  }
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 7; ++c) {
      auto* p = static_cast<uint8_t*>(fr.outData) + r * fr.outRowBytes + c * 6;
      const uint16_t v = uint16_t(1000 + r * 10 + c);
      for (int k = 0; k < 3; ++k) std::memcpy(p + 2 * k, &v, 2);
    }
  }
  EXPECT_EQ(GetDocumentSample(doc, 3, 4, 0), GetDocumentSample(before, 3, 4, 0));  // not yet committed
  fr.outRect = Rect{};
  ASSERT_EQ(fr.advanceState(), kNoErr);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inFilter = x >= 2 && x < 7 && y >= 3 && y < 6;
      const double expected = inFilter ? 1000 + (y - 2) * 10 + (x - 1) : GetDocumentSample(before, x, y, 2);
      EXPECT_EQ(GetDocumentSample(doc, x, y, 2), expected) << x << "," << y;
    }
  }
  ShutdownTestHost(&host);
}

// The program's host (memory unmarked) may hand the document's own rows.
// Whatever it hands, the filter sees the same pixels as through copies: its
// input holds the document as it was even where it writes its output, and
// output outside the filter rectangle never reaches the document.
struct UnmarkedDeliveryCase {
  const char* name;
  Rect inRect;
  Rect outRect;
};

// Rectangles as left, top, right, bottom; the document is 10 x 8, its
// filter rectangle 2, 3, 7, 6.
const UnmarkedDeliveryCase kUnmarkedDeliveryCases[] = {
    {"input only", MakeRect(1, 2, 6, 7), Rect{}},
    {"output only, inside the filter rectangle", Rect{}, MakeRect(3, 3, 6, 5)},
    {"output past the filter rectangle", Rect{}, MakeRect(1, 2, 8, 7)},
    {"input and output on the same pixels", MakeRect(3, 3, 6, 5), MakeRect(3, 3, 6, 5)},
    {"input overlapping the output", MakeRect(2, 2, 9, 6), MakeRect(3, 3, 6, 5)},
    {"input and output apart", MakeRect(0, 0, 2, 8), MakeRect(3, 3, 6, 5)},
    {"input past the image", MakeRect(6, 0, 12, 9), MakeRect(3, 3, 6, 5)},
};

TEST(TestHostUnmarked, DeliveriesMatchCopiesOfTheDocument) {
  for (const UnmarkedDeliveryCase& c : kUnmarkedDeliveryCases) {
    SCOPED_TRACE(c.name);
    TestDocument doc = MakeTestDocument(10, 8, 3, 8, false);
    FillDocumentPattern(doc, 4);
    SetDocumentFilterRect(doc, 2, 3, 7, 6);
    const TestDocument before = doc;
    TestHost host;
    TestHostOptions options;
    options.markMemory = false;
    InitTestHost(&host, &doc, options);
    FilterRecord& fr = host.record;
    fr.inRect = c.inRect;
    fr.outRect = c.outRect;
    fr.inHiPlane = fr.outHiPlane = 2;
    fr.inputPadding = fr.outputPadding = kPaddingReplicate;
    ASSERT_EQ(fr.advanceState(), kNoErr);
    const int32_t outWidth = c.outRect.right - c.outRect.left;
    const int32_t outHeight = c.outRect.bottom - c.outRect.top;
    const int32_t inWidth = c.inRect.right - c.inRect.left;
    const int32_t inHeight = c.inRect.bottom - c.inRect.top;
    // Output first: the filter writes before it reads its input.
    for (int32_t r = 0; r < outHeight; ++r) {
      auto* row = static_cast<uint8_t*>(fr.outData) + r * fr.outRowBytes;
      for (int32_t k = 0; k < outWidth * 3; ++k) row[k] = uint8_t(200 + r);
    }
    for (int32_t r = 0; r < inHeight; ++r) {
      for (int32_t col = 0; col < inWidth; ++col) {
        const int32_t x = std::clamp(c.inRect.left + col, 0, 9);
        const int32_t y = std::clamp(c.inRect.top + r, 0, 7);
        for (int32_t p = 0; p < 3; ++p) {
          ASSERT_EQ(Sample(doc, fr.inData, fr.inRowBytes, r, col, 3, p), GetDocumentSample(before, x, y, p))
              << col << "," << r;
        }
      }
    }
    fr.inRect = fr.outRect = Rect{};
    ASSERT_EQ(fr.advanceState(), kNoErr);
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 10; ++x) {
        const bool written = x >= std::max<int32_t>(2, c.outRect.left) && x < std::min<int32_t>(7, c.outRect.right) &&
                             y >= std::max<int32_t>(3, c.outRect.top) && y < std::min<int32_t>(6, c.outRect.bottom);
        const double expected = written ? 200 + (y - c.outRect.top) : GetDocumentSample(before, x, y, 1);
        ASSERT_EQ(GetDocumentSample(doc, x, y, 1), expected) << x << "," << y;
      }
    }
    ShutdownTestHost(&host);
  }
}

TEST(TestHostMask, DeliversTheSelectionAtTheMaskRate) {
  TestDocument doc = MakeTestDocument(12, 10, 1, 8, false);
  AddDocumentMask(doc, 0);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) doc.mask[size_t(y * 12 + x)] = uint8_t(y * 16 + x);
  }
  TestHost host;
  InitTestHost(&host, &doc, {});
  FilterRecord& fr = host.record;
  EXPECT_EQ(fr.haveMask, 1);
  fr.maskRect = MakeRect(1, 1, 7, 6);
  fr.maskRate = 2 << 16;
  fr.maskPadding = kPaddingReplicate;
  ASSERT_EQ(fr.advanceState(), kNoErr);
  ASSERT_NE(Ptr(fr.maskData), nullptr);
  const auto* m = static_cast<const uint8_t*>(fr.maskData);
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 6; ++c) {
      const int sy = std::min(2 * (1 + r), 9), sx = std::min(2 * (1 + c), 11);
      EXPECT_EQ(m[r * fr.maskRowBytes + c], sy * 16 + sx);
    }
  }
  ShutdownTestHost(&host);
}

TEST(TestHostRecord, DescribesTheDocument) {
  struct Case {
    int16_t colour;
    int32_t depth;
    bool transparency;
    bool mask;
    int16_t mode, planes, filterCase;
  };
  const Case cases[] = {{1, 8, false, false, kImageModeGrayScale, 1, 1},
                        {3, 8, true, false, kImageModeRGBColor, 4, 4},
                        {1, 16, false, true, kImageModeGray16, 1, 2},
                        {3, 16, true, true, kImageModeRGB48, 4, 5},
                        {1, 32, true, false, kImageModeGray32, 2, 4},
                        {3, 32, false, false, kImageModeRGB96, 3, 1}};
  for (const Case& c : cases) {
    TestDocument doc = MakeTestDocument(9, 7, c.colour, c.depth, c.transparency);
    if (c.mask) AddDocumentMask(doc, 255);
    TestHost host;
    InitTestHost(&host, &doc, {});
    EXPECT_EQ(host.record.imageMode, c.mode);
    EXPECT_EQ(host.record.planes, c.planes);
    EXPECT_EQ(host.record.depth, c.depth);
    EXPECT_EQ(host.record.filterCase, c.filterCase);
    EXPECT_EQ(host.record.imageSize.h, 9);
    EXPECT_EQ(host.record.imageSize.v, 7);
    ShutdownTestHost(&host);
  }
}

}  // namespace
