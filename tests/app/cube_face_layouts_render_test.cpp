// The cube-face flat layouts rendered end to end: the filter runs on a
// panorama whose colour at each pixel spells out that pixel's direction, so
// every pixel of the picture tells which direction the output drew there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/filter_run.h"
#include "app/image_files.h"
#include "tests/support/direction_colours.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegrees = 180 / kPi;

struct Direction {
  double x, y, z;
};

Direction Normalised(Direction d) {
  const double n = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  return n > 0 ? Direction{d.x / n, d.y / n, d.z / n} : Direction{0, 0, 0};
}

double AngleBetween(const Direction& a, const Direction& b) {
  const double dot = a.x * b.x + a.y * b.y + a.z * b.z;
  return std::acos(std::clamp(dot, -1.0, 1.0)) * kDegrees;
}

// The direction panorama (tests/support/direction_colours.h) as an image
// file: longitude 0 ahead on +z, north on +y.
ImageFile DirectionPanorama(int32_t width, int32_t height) {
  ImageFile image;
  image.width = width;
  image.height = height;
  image.channels = 3;
  image.bitsPerChannel = 8;
  image.pixels.resize(size_t(width) * size_t(height) * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      PanoramaDirectionColour(x, y, width, height, image.pixels.data() + (size_t(y) * width + x) * 3);
    }
  }
  return image;
}

// The unit direction a drawn pixel's colour spells out.
Direction PixelDirection(const uint8_t* p) {
  double d[3];
  ColourDirection(p, d);
  return Normalised({d[0], d[1], d[2]});
}

struct Picture {
  ImageFile image;
  std::vector<Direction> drawn;  // the direction of every pixel inside the drawn outline
  Direction centre{0, 0, 0};     // the direction at the picture's centre (0 when backdrop)
  Direction right{0, 0, 0}, above{0, 0, 0};  // a little to the right of it and above it
};

Picture Render(const char* output, int32_t width = 360, int32_t height = 180) {
  std::vector<SettingValue> values;
  auto add = [&](const char* name, const char* text) {
    SettingValue v;
    std::string error;
    const SettingOption* option = FindSettingOption(name);
    EXPECT_NE(option, nullptr) << name;
    if (option == nullptr) return;
    EXPECT_TRUE(ParseSettingValue(*option, text, &v, &error)) << error;
    values.push_back(v);
  };
  add("input", "equirectangular");
  add("output", output);
  add("latitude", "0");
  add("longitude", "0");
  add("spin", "0");
  add("grid", "none");
  add("backdrop", "0,0,0");
  Picture picture;
  picture.image = DirectionPanorama(width, height);
  FilterRunSettings settings;
  settings.settings = values;
  FilterRunOutcome outcome;
  EXPECT_TRUE(RunFilterOnImage(&picture.image, settings, &outcome)) << output << ": " << outcome.message;
  const ImageFile& im = picture.image;
  if (im.pixels.size() != size_t(im.width) * size_t(im.height) * 3) return picture;
  auto backdrop = [&im](int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= im.width || y >= im.height) return true;
    const uint8_t* p = im.pixels.data() + (size_t(y) * im.width + x) * 3;
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
  };
  for (int32_t y = 0; y < im.height; ++y) {
    for (int32_t x = 0; x < im.width; ++x) {
      const uint8_t* p = im.pixels.data() + (size_t(y) * im.width + x) * 3;
      // pixels on the outline blend with the backdrop: only those inside count
      bool inside = true;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) inside = inside && !backdrop(x + dx, y + dy);
      }
      if (!inside) continue;
      const Direction d = PixelDirection(p);
      picture.drawn.push_back(d);
      if (x == im.width / 2 && y == im.height / 2) picture.centre = d;
      if (x == im.width / 2 + im.width / 40 && y == im.height / 2) picture.right = d;
      if (x == im.width / 2 && y == im.height / 2 - im.height / 20) picture.above = d;
    }
  }
  return picture;
}

struct LayoutCase {
  const char* output;
  double minimumShare;  // of the picture's pixels inside the drawn outline
  bool halfSphere;      // draws only the half ahead (z >= 0)
};

// The zigzag draws its net as it stands (the trizag bends the same net into
// its three lobes, read in tests/net_face_maps/shaped_lobes_test.cpp); the
// cross and the monozag draw the half of the sphere ahead. Each is centred on
// the direction ahead, draws many colours and covers its part of the sphere.
TEST(CubeFaceLayouts, RenderTheirPartOfTheSphereCentredAhead) {
  const LayoutCase cases[] = {
      {"zigzag", 0.3, false}, {"cross", 0.3, true}, {"monozag", 0.3, true},
  };
  for (const LayoutCase& c : cases) {
    const Picture picture = Render(c.output);
    const ImageFile& im = picture.image;
    ASSERT_GT(im.width, 0) << c.output;
    EXPECT_GT(double(picture.drawn.size()), c.minimumShare * im.width * im.height) << c.output;
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < im.pixels.size(); i += 3) {
      colours.insert(uint32_t(im.pixels[i]) << 16 | uint32_t(im.pixels[i + 1]) << 8 | im.pixels[i + 2]);
    }
    EXPECT_GT(colours.size(), 2000u) << c.output << " is drawn in few colours";
    EXPECT_LT(AngleBetween(picture.centre, {0, 0, 1}), 4.0) << c.output << " is not centred ahead";
    // east lies to the right and north above: the picture is neither mirrored nor turned
    EXPECT_GT(picture.right.x, 0.02) << c.output;
    EXPECT_LT(std::fabs(picture.right.y), picture.right.x) << c.output;
    EXPECT_GT(picture.above.y, 0.02) << c.output;
    EXPECT_LT(std::fabs(picture.above.x), picture.above.y) << c.output;
    // coverage: every direction of a coarse set near some drawn pixel
    double worst = 0;
    for (int a = -80; a <= 80; a += 20) {
      for (int o = -180; o < 180; o += 20) {
        const Direction d{std::cos(a / kDegrees) * std::sin(o / kDegrees), std::sin(a / kDegrees),
                          std::cos(a / kDegrees) * std::cos(o / kDegrees)};
        if (c.halfSphere && d.z < 0.1) continue;
        double best = 180;
        for (const Direction& s : picture.drawn) best = std::min(best, AngleBetween(d, s));
        worst = std::max(worst, best);
      }
    }
    EXPECT_LT(worst, 6.0) << c.output << " leaves a hole";
    if (c.halfSphere) {
      double behind = 0;
      for (const Direction& s : picture.drawn) behind = std::min(behind, s.z);
      EXPECT_GT(behind, -0.05) << c.output << " draws behind";
    }
  }
}

// The waffle shows the half ahead in its upper copy of the cut cube and,
// through its map's side test, the half behind in the lower copy: the upper
// copy's middle point looks ahead, the lower copy's looks back, and together
// they cover the sphere. (The trident shares the map but draws its own lobes,
// read with the other lobed shapes.)
TEST(CubeFaceLayouts, WaffleDrawsTheHalfAheadAboveAndTheHalfBehindBelow) {
  for (const char* output : {"waffle"}) {
    const Picture picture = Render(output, 720, 360);
    const ImageFile& im = picture.image;
    ASSERT_GT(im.width, 0) << output;
    // the drawn outline's box: the layout spans 8.5 x 13 of its units, the
    // upper copy's middle point 4.25 across and 3 down, the lower copy's a
    // little left of 4.25 across and 10 down
    int32_t x0 = im.width, x1 = -1, y0 = im.height, y1 = -1;
    for (int32_t y = 0; y < im.height; ++y) {
      for (int32_t x = 0; x < im.width; ++x) {
        const uint8_t* p = im.pixels.data() + (size_t(y) * im.width + x) * 3;
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
    }
    ASSERT_GT(x1, x0) << output;
    auto at = [&](double across, double down) {
      const int32_t x = int32_t(std::lround(x0 + (x1 - x0) * across / 8.5));
      const int32_t y = int32_t(std::lround(y0 + (y1 - y0) * down / 13));
      return PixelDirection(im.pixels.data() + (size_t(y) * im.width + x) * 3);
    };
    EXPECT_LT(AngleBetween(at(4.25, 3), {0, 0, 1}), 5.0) << output;
    // upright and not mirrored: east to the right of it, north above
    EXPECT_GT(at(4.75, 3).x, 0.1) << output;
    EXPECT_GT(at(4.25, 2.5).y, 0.1) << output;
    EXPECT_LT(AngleBetween(at(3.7, 10), {0, 0, -1}), 12.0) << output;
    // (the map crowds the caps round its poles into a few pixels at the
    // corners of the cut faces, so the coarse set stops at 60 degrees)
    double worst = 0;
    for (int a = -60; a <= 60; a += 20) {
      for (int o = -180; o < 180; o += 20) {
        const Direction d{std::cos(a / kDegrees) * std::sin(o / kDegrees), std::sin(a / kDegrees),
                          std::cos(a / kDegrees) * std::cos(o / kDegrees)};
        double best = 180;
        for (const Direction& s : picture.drawn) best = std::min(best, AngleBetween(d, s));
        worst = std::max(worst, best);
      }
    }
    EXPECT_LT(worst, 6.0) << output << " leaves a hole";
  }
}

}  // namespace
