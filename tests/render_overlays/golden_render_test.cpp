// Whole renders with the overlays and the globe shading on, compared with
// small committed PNG images (tests/render_overlays/data) that a reviewer
// can look at: a 10-degree graticule over the equirectangular earth, the
// shaded globe and the indicatrix dots over Mollweide.
//
// Tolerance: every 8-bit sample within 2 levels of the golden image. The
// renders are deterministic; the margin only absorbs rounding differences
// between optimisation levels and maths libraries.
//
// Set ORBALIX_UPDATE_GOLDENS=1 to rewrite the images from the current
// renderer (then look at them before committing).
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

constexpr int32_t kTolerance = 2;

struct Rgb8Image {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
  int32_t At(int32_t x, int32_t y, int32_t c) const { return rgb[(size_t(y) * width + x) * 3 + c]; }
};

Rgb8Image DocumentToRgb8(const TestDocument& doc) {
  Rgb8Image image;
  image.width = doc.width;
  image.height = doc.height;
  image.rgb.resize(size_t(doc.width) * doc.height * 3);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < doc.height; ++y) {
    for (int32_t x = 0; x < doc.width; ++x) {
      for (int16_t c = 0; c < 3; ++c) {
        const double v = GetDocumentSample(doc, x, y, doc.colourPlanes == 1 ? 0 : c) / full * 255.0;
        image.rgb[(size_t(y) * doc.width + x) * 3 + c] = uint8_t(std::lround(std::clamp(v, 0.0, 255.0)));
      }
    }
  }
  return image;
}

std::string GoldenPath(const std::string& name) {
  return std::string(ORBALIX_SOURCE_DIR) + "/tests/render_overlays/data/" + name + ".png";
}

bool WritePng(const std::string& path, const Rgb8Image& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

bool ReadPng(const std::string& path, Rgb8Image* image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGB;
  image->width = int32_t(png.width);
  image->height = int32_t(png.height);
  image->rgb.resize(PNG_IMAGE_SIZE(png));
  return png_image_finish_read(&png, nullptr, image->rgb.data(), 0, nullptr) != 0;
}

// Renders the earth with the settings `edit` makes; `pale` lifts every
// sample halfway to white so that black strokes show over the oceans too.
Rgb8Image RenderEarth(const std::function<void(ParameterBlock*)>& edit, bool pale = false) {
  TestDocument doc = LoadEarthDocument();
  if (pale) {
    const double full = DocumentFullScale(doc);
    for (int32_t y = 0; y < doc.height; ++y) {
      for (int32_t x = 0; x < doc.width; ++x) {
        for (int16_t c = 0; c < 3; ++c) {
          SetDocumentSample(doc, x, y, c, std::round((full + GetDocumentSample(doc, x, y, c)) / 2));
        }
      }
    }
  }
  RenderRun run;
  EXPECT_EQ(run.Render(&doc, edit), kNoErr);
  return DocumentToRgb8(doc);
}

void CompareWithGolden(const std::string& name, const Rgb8Image& image) {
  const std::string path = GoldenPath(name);
  const char* update = std::getenv("ORBALIX_UPDATE_GOLDENS");
  if (update != nullptr && std::string(update) == "1") {
    ASSERT_TRUE(WritePng(path, image)) << path;
    return;
  }
  Rgb8Image golden;
  ASSERT_TRUE(ReadPng(path, &golden)) << "cannot read " << path;
  ASSERT_EQ(golden.width, image.width) << name;
  ASSERT_EQ(golden.height, image.height) << name;
  int32_t worst = 0;
  int64_t differing = 0;
  int32_t worstX = 0, worstY = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      for (int32_t c = 0; c < 3; ++c) {
        const int32_t d = std::abs(image.At(x, y, c) - golden.At(x, y, c));
        if (d > 0) ++differing;
        if (d > worst) {
          worst = d;
          worstX = x;
          worstY = y;
        }
      }
    }
  }
  EXPECT_LE(worst, kTolerance) << name << ": worst difference at (" << worstX << ", " << worstY << "), "
                               << differing << " samples differ";
}

// Mean of the three channels of a pixel.
double Luma(const Rgb8Image& image, int32_t x, int32_t y) {
  return (image.At(x, y, 0) + image.At(x, y, 1) + image.At(x, y, 2)) / 3.0;
}

// The 10-degree graticule over the equirectangular identity: the lines
// darken the picture only near the 36 meridians and 17 parallels, and the
// image's left and right edges (the seam) carry no line of their own.
TEST(GoldenRender, GraticuleOverEquirectangular) {
  const Rgb8Image plain = RenderEarth(nullptr);
  const Rgb8Image grid = RenderEarth([](ParameterBlock* b) { b->grid2 = 4; });
  CompareWithGolden("graticule_equirectangular", grid);
  // Meridian m lies at x = 256 m / 36, parallel n at y = 128 n / 18.
  auto nearLine = [](int32_t p, double spacing) {
    const double f = (p + 0.5) / spacing;
    return std::fabs(f - std::round(f)) * spacing < 1.6;
  };
  int32_t darkenedOffLine = 0, lighter = 0;
  double darkening = 0;
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width; ++x) {
      const double d = Luma(plain, x, y) - Luma(grid, x, y);
      if (d < -0.5) ++lighter;
      const bool onLine = nearLine(x, 256.0 / 36) || nearLine(y, 128.0 / 18);
      if (!onLine && d > 0.5) ++darkenedOffLine;
      darkening += d;
    }
  }
  EXPECT_EQ(lighter, 0);
  EXPECT_EQ(darkenedOffLine, 0);
  EXPECT_GT(darkening, 0.0);
  // Every meridian column pair is darkened at mid-latitude (row 40).
  for (int32_t m = 1; m < 36; ++m) {
    const int32_t x = int32_t(256.0 * m / 36);
    const double d = std::max(Luma(plain, x - 1, 40) - Luma(grid, x - 1, 40), Luma(plain, x, 40) - Luma(grid, x, 40));
    EXPECT_GT(d, 1.0) << "meridian " << m;
  }
}

// The globe: shaded by two lights with a sky reflection; off the globe the
// backdrop.
TEST(GoldenRender, ShadedGlobe) {
  const Rgb8Image globe = RenderEarth([](ParameterBlock* b) { b->outputProjection = 139; });
  CompareWithGolden("shaded_globe", globe);
}

// Indicatrix dots over Mollweide (the earth made pale): their outlines are the only change from the
// plain render, and they only darken.
TEST(GoldenRender, DotsOverMollweide) {
  const Rgb8Image plain = RenderEarth([](ParameterBlock* b) { b->outputProjection = 46; }, true);
  const Rgb8Image dots = RenderEarth(
      [](ParameterBlock* b) {
        b->outputProjection = 46;
        b->indicatrix = 1;
      },
      true);
  CompareWithGolden("dots_mollweide", dots);
  int32_t changed = 0, lighter = 0;
  for (int32_t y = 0; y < dots.height; ++y) {
    for (int32_t x = 0; x < dots.width; ++x) {
      const double d = Luma(plain, x, y) - Luma(dots, x, y);
      if (d > 0.5) ++changed;
      if (d < -0.5) ++lighter;
    }
  }
  EXPECT_EQ(lighter, 0);
  EXPECT_GT(changed, 100);
  EXPECT_LT(changed, dots.width * dots.height / 4);
}

// Region edges over the zenith-and-nadir sheet (two square regions side by
// side): the edges run between the two regions and around them, and only
// there; the rest of the picture is the plain render.
TEST(GoldenRender, RegionEdgesOverTheZenithNadirSheet) {
  const auto sheet = [](ParameterBlock* b) { b->outputProjection = 171; };
  const Rgb8Image plain = RenderEarth(sheet, true);
  const Rgb8Image edges = RenderEarth(
      [&](ParameterBlock* b) {
        sheet(b);
        b->edges = 1;
      },
      true);
  CompareWithGolden("region_edges_zenith_nadir", edges);
  // The two regions are the squares x in 0..127 and 128..255 of rows 0..127
  // (the plane's half-height 0.25 of its unit width): edges lie within two
  // pixels of x = 0, 128, 255 and y = 0, 127.
  auto nearEdge = [&](int32_t x, int32_t y) {
    return x <= 1 || std::abs(x - 127.5) < 2 || x >= edges.width - 2 || y <= 1 || y >= edges.height - 2;
  };
  int32_t offEdge = 0;
  double middleColumn = 0;
  for (int32_t y = 0; y < edges.height; ++y) {
    for (int32_t x = 0; x < edges.width; ++x) {
      const double d = Luma(plain, x, y) - Luma(edges, x, y);
      if (!nearEdge(x, y) && std::fabs(d) > 0.5) ++offEdge;
    }
    if (y > 4 && y < edges.height - 4) {
      middleColumn += std::max(Luma(plain, 127, y) - Luma(edges, 127, y), Luma(plain, 128, y) - Luma(edges, 128, y));
    }
  }
  EXPECT_EQ(offEdge, 0);
  EXPECT_GT(middleColumn / (edges.height - 9), 40.0);  // a dark line between the regions
}

}  // namespace

// The tetrahedron's net (output 6) with its paper-craft tabs: four faces of
// the earth and three tabs, on the backdrop.
TEST(GoldenRender, TetrahedronNet) {
  const Rgb8Image net = RenderEarth([](ParameterBlock* b) {
    b->outputProjection = 6;
    b->tabs = 10;
  });
  CompareWithGolden("tetrahedron_net", net);
  // The net covers part of the picture, not all of it.
  int32_t backdrop = 0;
  for (int32_t y = 0; y < net.height; ++y) {
    for (int32_t x = 0; x < net.width; ++x) backdrop += net.At(x, y, 0) == net.At(0, 0, 0) && net.At(x, y, 1) == net.At(0, 0, 1);
  }
  EXPECT_GT(backdrop, net.width * net.height / 4);
  EXPECT_LT(backdrop, net.width * net.height * 3 / 4);
}
