// The orbalix program end to end: the built binary runs on small files of each
// format and depth and on each kind of bad input, and the settings it is
// given reach the filter.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/filter_run.h"
#include "app/image_files.h"
#include "app/settings_file_io.h"
#include "tests/app/program_runner.h"

namespace fs = std::filesystem;

namespace {

using program_runner::ProgramRun;
using program_runner::ProgramTest;
using program_runner::ReadText;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A smooth image of the given kind: every channel a gentle ramp, alpha opaque
// with a soft hole, so a faithful reprojection changes it little.
ImageFile SmoothImage(int32_t width, int32_t height, int32_t channels, int32_t bits) {
  ImageFile image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bitsPerChannel = bits;
  image.pixels.resize(size_t(RowBytes(image)) * size_t(height));
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < channels; ++c) {
        const bool alpha = (channels == 2 && c == 1) || (channels == 4 && c == 3);
        double v = alpha ? 1.0 : 0.2 + 0.6 * (0.5 + 0.5 * std::sin(6.2831853 * x / width + c)) * (y + 1.0) / height;
        if (alpha && std::abs(x - width / 2) < 2 && std::abs(y - height / 2) < 2) v = 0.5;
        uint8_t* p = image.pixels.data() + size_t(y) * size_t(RowBytes(image)) +
                     size_t(x * channels + c) * size_t(bits / 8);
        if (bits == 8) {
          *p = uint8_t(std::lround(v * 255));
        } else if (bits == 16) {
          const uint16_t s = uint16_t(std::lround(v * 65535));
          std::memcpy(p, &s, 2);
        } else {
          const float f = float(v);
          std::memcpy(p, &f, 4);
        }
      }
    }
  }
  return image;
}

double Sample(const ImageFile& image, size_t index) {
  const uint8_t* p = image.pixels.data() + index * size_t(image.bitsPerChannel / 8);
  if (image.bitsPerChannel == 8) return *p / 255.0;
  if (image.bitsPerChannel == 16) {
    uint16_t s;
    std::memcpy(&s, p, 2);
    return s / 65535.0;
  }
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

double MeanDifference(const ImageFile& a, const ImageFile& b) {
  const size_t count = size_t(a.width) * size_t(a.height) * size_t(a.channels);
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += std::fabs(Sample(a, i) - Sample(b, i));
  return sum / double(count);
}

void WriteOrDie(const std::string& path, const ImageFile& image) {
  std::string error;
  ASSERT_TRUE(WriteImageFile(path, image, &error)) << error;
}

struct FileKind {
  const char* extension;
  int32_t channels;
  int32_t bits;        // of the input
  int32_t outBits;     // the output keeps the depth where the format allows
  int32_t outChannels;
};

class ProgramFormats : public ProgramTest, public ::testing::WithParamInterface<FileKind> {};

TEST_P(ProgramFormats, RendersEachFormatAndDepth) {
  const FileKind kind = GetParam();
  const ImageFile source = SmoothImage(64, 32, kind.channels, kind.bits);
  const std::string in = Path(std::string("in.") + kind.extension);
  const std::string out = Path(std::string("out.") + kind.extension);
  WriteOrDie(in, source);
  std::string error;
  ImageFile written;
  ASSERT_TRUE(ReadImageFile(in, &written, &error)) << error;

  const ProgramRun run = Run({"render", in, out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // quiet when stderr is not a terminal
  ImageFile result;
  ASSERT_TRUE(ReadImageFile(out, &result, &error)) << error;
  EXPECT_EQ(result.width, 64);
  EXPECT_EQ(result.height, 32);
  EXPECT_EQ(result.channels, kind.outChannels);
  EXPECT_EQ(result.bitsPerChannel, kind.outBits);
  // The default settings draw the equirectangular source as itself.
  EXPECT_LT(MeanDifference(written, result), 0.03);
  EXPECT_EQ(Leftovers({fs::path(in).filename().string(), fs::path(out).filename().string()}),
            std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(AllKinds, ProgramFormats,
                         ::testing::Values(FileKind{"png", 1, 8, 8, 1}, FileKind{"png", 2, 8, 8, 2},
                                           FileKind{"png", 3, 8, 8, 3}, FileKind{"png", 4, 8, 8, 4},
                                           FileKind{"png", 1, 16, 16, 1}, FileKind{"png", 4, 16, 16, 4},
                                           FileKind{"png", 3, 16, 16, 3}, FileKind{"jpg", 1, 8, 8, 1},
                                           FileKind{"jpg", 3, 8, 8, 3}, FileKind{"tif", 1, 8, 8, 1},
                                           FileKind{"tif", 4, 8, 8, 4}, FileKind{"tif", 3, 16, 16, 3},
                                           FileKind{"tif", 2, 16, 16, 2}, FileKind{"tif", 1, 32, 32, 1},
                                           FileKind{"tif", 3, 32, 32, 3}, FileKind{"tif", 4, 32, 32, 4}));

TEST_F(ProgramTest, OutputFormatFollowsTheExtension) {
  const std::string in = Path("in.tif");
  WriteOrDie(in, SmoothImage(40, 20, 4, 16));
  struct Case {
    const char* name;
    ImageFormat format;
    int32_t bits, channels;
  } cases[] = {{"a.png", ImageFormat::Png, 16, 4}, {"b.JPG", ImageFormat::Jpeg, 8, 3}, {"c.tiff", ImageFormat::Tiff, 16, 4}};
  for (const Case& c : cases) {
    const ProgramRun run = Run({"render", in, Path(c.name)});
    ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
    ImageFile result;
    std::string error;
    ASSERT_TRUE(ReadImageFile(Path(c.name), &result, &error)) << error;
    EXPECT_EQ(result.bitsPerChannel, c.bits) << c.name;
    EXPECT_EQ(result.channels, c.channels) << c.name;
  }
}

TEST_F(ProgramTest, SizeResamplesTheDocument) {
  const std::string in = Path("in.png");
  WriteOrDie(in, SmoothImage(64, 32, 3, 8));
  ProgramRun run = Run({"render", in, Path("square.png"), "--size", "48x48", "--output", "Mollweide"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ImageFile result;
  std::string error;
  ASSERT_TRUE(ReadImageFile(Path("square.png"), &result, &error)) << error;
  EXPECT_EQ(result.width, 48);
  EXPECT_EQ(result.height, 48);

  for (const char* bad : {"48", "0x10", "x10", "10x", "-3x4", "12x4y"}) {
    run = Run({"render", in, Path("bad.png"), "--size", bad});
    EXPECT_EQ(run.exitCode, 2) << bad;
    EXPECT_NE(run.err.find("--size"), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("bad.png")));
}

// The thread count changes nothing in the picture; a bad count is a usage
// error that writes nothing.
TEST_F(ProgramTest, ThreadsRenderTheSamePicture) {
  const std::string in = Path("in.png");
  WriteOrDie(in, SmoothImage(96, 160, 3, 16));
  ImageFile pictures[3];
  const char* counts[] = {"1", "3", "8"};
  for (int k = 0; k < 3; ++k) {
    const std::string out = Path(std::string("threads") + counts[k] + ".png");
    const ProgramRun run = Run({"render", in, out, "--output", "Peirce quincunx", "--grid", "15", "--threads",
                                counts[k]});
    ASSERT_EQ(run.exitCode, 0) << counts[k] << ": " << run.err;
    std::string error;
    ASSERT_TRUE(ReadImageFile(out, &pictures[k], &error)) << error;
  }
  EXPECT_TRUE(pictures[1].pixels == pictures[0].pixels);
  EXPECT_TRUE(pictures[2].pixels == pictures[0].pixels);

  for (const char* bad : {"0", "-2", "two", "1.5", "100000", ""}) {
    const ProgramRun run = Run({"render", in, Path("bad.png"), "--threads", bad});
    EXPECT_EQ(run.exitCode, 2) << bad;
    EXPECT_NE(run.err.find("--threads"), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("bad.png")));
}

TEST_F(ProgramTest, SettingsShapeThePicture) {
  WriteOrDie(Path("in.png"), SmoothImage(64, 32, 3, 8));
  ProgramRun run = Run({"render", Path("in.png"), Path("oval.png"), "--output", "Mollweide", "--backdrop", "255,0,0"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Run({"render", Path("in.png"), Path("plain.png"), "--backdrop", "255,0,0"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ImageFile oval, plain;
  std::string error;
  ASSERT_TRUE(ReadImageFile(Path("oval.png"), &oval, &error)) << error;
  ASSERT_TRUE(ReadImageFile(Path("plain.png"), &plain, &error)) << error;
  // The corner lies outside the Mollweide oval: the backdrop; the whole
  // equirectangular picture has no outside.
  const uint8_t* corner = oval.pixels.data();
  EXPECT_EQ(corner[0], 255);
  EXPECT_EQ(corner[1], 0);
  EXPECT_EQ(corner[2], 0);
  EXPECT_NE(plain.pixels[1], 0);
  const size_t centre = (size_t(16) * 64 + 32) * 3;
  EXPECT_NE(oval.pixels[centre + 1], 0);
}

// The --brick-* options reach the brick preview: the colour set decides the
// bricks' colours, and layers, plates and diffusion each change the picture.
TEST_F(ProgramTest, BrickOptionsShapeTheBrickPreview) {
  WriteOrDie(Path("in.png"), SmoothImage(64, 64, 3, 8));
  const std::vector<std::string> base = {"render", Path("in.png"), "", "--output", "brick preview", "--backdrop", "0,0,0"};
  auto render = [&](const std::string& name, const std::vector<std::string>& extra) {
    std::vector<std::string> args = base;
    args[2] = Path(name);
    args.insert(args.end(), extra.begin(), extra.end());
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
    ImageFile image;
    std::string error;
    EXPECT_TRUE(ReadImageFile(Path(name), &image, &error)) << error;
    return image;
  };
  // Red bricks only: no green or blue anywhere, and red bricks in every view.
  const ImageFile red = render("red.png", {"--brick-colorset", "red"});
  ASSERT_EQ(red.pixels.size(), size_t(64 * 64 * 3));
  int32_t redPixels = 0;
  for (size_t i = 0; i < red.pixels.size(); i += 3) {
    EXPECT_EQ(red.pixels[i + 1], 0);
    EXPECT_EQ(red.pixels[i + 2], 0);
    redPixels += red.pixels[i] > 0;
  }
  EXPECT_GT(redPixels, 64 * 64 / 2);
  const ImageFile plain = render("plain.png", {});
  const ImageFile mask = render("mask.png", {"--brick-colorset", "8"});  // bit 3: red
  EXPECT_EQ(mask.pixels, red.pixels);
  EXPECT_NE(plain.pixels, red.pixels);
  EXPECT_NE(render("layers.png", {"--brick-layers", "9"}).pixels, plain.pixels);
  EXPECT_NE(render("plates.png", {"--brick-plates", "on"}).pixels, plain.pixels);
  EXPECT_NE(render("diffused.png", {"--brick-diffusion", "on"}).pixels, plain.pixels);
  EXPECT_EQ(render("default.png", {"--brick-layers", "20", "--brick-colorset", "63", "--brick-plates", "off"}).pixels,
            plain.pixels);

  // Bad values are usage errors that say what is allowed.
  struct Bad {
    const char* option;
    const char* value;
    const char* says;
  };
  const Bad bads[] = {{"--brick-layers", "2", "from 3 to 150"},
                      {"--brick-layers", "151", "from 3 to 150"},
                      {"--brick-colorset", "4096", "0 to 4095"},
                      {"--brick-colorset", "red,pink", "unknown brick colour \"pink\"; the colours are black, blue"},
                      {"--brick-plates", "maybe", "on or off"}};
  for (const Bad& bad : bads) {
    const ProgramRun run = Run({"render", Path("in.png"), Path("bad.png"), bad.option, bad.value});
    EXPECT_EQ(run.exitCode, 2) << bad.option << " " << bad.value;
    EXPECT_NE(run.err.find(bad.says), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("bad.png")));
}

TEST_F(ProgramTest, ListsNamesWithNumbers) {
  ProgramRun run = Run({"list", "outputs"});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("   46  Mollweide\n"), std::string::npos);
  EXPECT_NE(run.out.find("   16  stereographic\n"), std::string::npos);
  run = Run({"list", "inputs"});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("    1  equirectangular\n"), std::string::npos);
  run = Run({"list", "glue"});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("    1  normal\n"), std::string::npos);
  EXPECT_EQ(Run({"list", "colours"}).exitCode, 2);
  EXPECT_EQ(Run({"list"}).exitCode, 2);
}

TEST_F(ProgramTest, HelpAndUsageErrors) {
  ProgramRun run = Run({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.rfind("Usage: orbalix render IN OUT", 0), 0u);
  EXPECT_NE(run.out.find("--latitude"), std::string::npos);
  EXPECT_EQ(Run({"render", "-h"}).exitCode, 0);
  EXPECT_EQ(Run({}).exitCode, 2);
  EXPECT_EQ(Run({"paint"}).exitCode, 2);
  EXPECT_EQ(Run({"render", Path("only-one.png")}).exitCode, 2);
  run = Run({"render", Path("a.png"), Path("b.png"), "--colour", "red"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("unknown option '--colour'"), std::string::npos) << run.err;
  EXPECT_EQ(Run({"render", Path("a.png"), Path("b.png"), "--latitude"}).exitCode, 2);
}

TEST_F(ProgramTest, UnknownNamesListTheNearestOnes) {
  const std::string in = Path("in.png");
  WriteOrDie(in, SmoothImage(16, 8, 3, 8));
  ProgramRun run = Run({"render", in, Path("o.png"), "--output", "molweide"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("unknown output projection \"molweide\"; nearest names: \"Mollweide\""), std::string::npos)
      << run.err;
  run = Run({"render", in, Path("o.png"), "--glue", "multipli"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("\"multiply\""), std::string::npos) << run.err;
  run = Run({"render", in, Path("o.png"), "--input", "999"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_FALSE(fs::exists(Path("o.png")));
  // Names are matched whatever their case, numbers by number.
  EXPECT_EQ(Run({"render", in, Path("o.png"), "--output", "MOLLWEIDE", "--glue=9", "--input", "Equirectangular"})
                .exitCode,
            0);
}

TEST_F(ProgramTest, BadInputsFailAndWriteNothing) {
  std::ofstream(Path("text.png")) << "not an image at all\n";
  std::ofstream(Path("empty.jpg"));
  // A five-channel TIFF: a multichannel document.
  {
    TIFF* tif = TIFFOpen(Path("five.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 2);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 5);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    uint8_t row[20] = {};
    for (uint32_t y = 0; y < 2; ++y) TIFFWriteScanline(tif, row, y, 0);
    TIFFClose(tif);
  }
  // Wider than a host document may be.
  WriteOrDie(Path("wide.png"), SmoothImage(32768, 1, 1, 8));
  // A header that claims 100000 x 100000 pixels and no pixel data: refused
  // by its size, before any decoding.
  {
    FILE* f = std::fopen(Path("huge.png").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, 100000, 100000, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
  }
  WriteOrDie(Path("good.png"), SmoothImage(16, 8, 3, 8));
  // An output that exists beforehand must survive every failure unchanged.
  std::ofstream(Path("keep.png")) << "old contents";

  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"render", Path("missing.png"), Path("keep.png")}, 1, "cannot open"},
      {{"render", Path("text.png"), Path("keep.png")}, 1, "not a PNG, JPEG or TIFF"},
      {{"render", Path("empty.jpg"), Path("keep.png")}, 1, "empty.jpg"},
      {{"render", Path("five.tif"), Path("keep.png")}, 1, "multichannel"},
      {{"render", Path("wide.png"), Path("keep.png")}, 1, "at most 32767"},
      {{"render", Path("huge.png"), Path("keep.png")}, 1, "100000 x 100000 pixels; a side may be at most 32767"},
      {{"render", Path("good.png"), Path("keep.png"), "--size", "40000x10"}, 1, "at most 32767"},
      {{"render", Path("good.png"), Path("keep.bmp")}, 2, "unknown output format"},
      {{"render", Path("good.png"), Path("no/such/folder/out.png")}, 1, "not writable"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Run(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1] << ": " << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("orbalix: ", 0), 0u) << run.err;
  }
  EXPECT_TRUE(ReadText(Path("keep.png")) == "old contents");
  EXPECT_EQ(Leftovers({"text.png", "empty.jpg", "five.tif", "wide.png", "huge.png", "good.png", "keep.png"}),
            std::vector<std::string>{});
}

TEST_F(ProgramTest, UnwritableOutputLeavesNothingHalfWritten) {
  WriteOrDie(Path("good.png"), SmoothImage(16, 8, 3, 8));
  // The output's name is taken by a folder: the write fails at the end.
  fs::create_directories(Path("taken.png"));
  std::ofstream(Path("taken.png/inside")) << "x";
  const ProgramRun run = Run({"render", Path("good.png"), Path("taken.png")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("taken.png"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_directory(Path("taken.png")));
  EXPECT_EQ(Leftovers({"good.png", "taken.png", "taken.png/inside"}), std::vector<std::string>{});
}

TEST_F(ProgramTest, ProgressBarOnlyOnATerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script command to make a terminal";
  WriteOrDie(Path("in.png"), SmoothImage(32, 200, 3, 8));
  // script runs the program with a terminal as its stderr and copies what it shows.
  const std::string inner = Quote(ORBALIX_PROGRAM) + " render " + Quote(Path("in.png")) + " " + Quote(Path("o.png"));
  const std::string command = "TMPDIR=" + Quote((dir / "tmp").string()) + " script -qec " + Quote(inner) +
                              " /dev/null >" + Quote(Path("shown.txt"));
  fs::create_directories(dir / "tmp");
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string shown = ReadText(Path("shown.txt"));
  EXPECT_NE(shown.find("orbalix ["), std::string::npos) << shown;
  EXPECT_NE(shown.find("########################################] 100%"), std::string::npos) << shown;
  // Without a terminal the program says nothing.
  const ProgramRun run = Run({"render", Path("in.png"), Path("o.png")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
}

// In process: the settings of the command line are the filter's settings at
// the end of the run, floats and integer twins alike.
TEST(FilterRun, SettingsReachTheFilter) {
  std::vector<SettingValue> values;
  auto add = [&](const char* name, const char* text) {
    SettingValue v;
    std::string error;
    ASSERT_TRUE(ParseSettingValue(*FindSettingOption(name), text, &v, &error)) << error;
    values.push_back(v);
  };
  add("output", "mollweide");
  add("input", "7");
  add("glue", "Multiply");
  add("grid", "15");
  add("latitude", "12.5");
  add("longitude", "-100.25");
  add("spin", "3");
  add("fov", "90");
  add("backdrop", "#102030");
  add("tab-colour", "255,0,128");
  add("edges", "on");
  add("transparent-gaps", "off");
  add("face-size", "321");
  add("brick-layers", "40");
  add("brick-colorset", "black, White,light gray");
  add("brick-plates", "on");
  add("brick-diffusion", "yes");

  ImageFile image = SmoothImage(24, 12, 3, 8);
  FilterRunSettings settings;
  settings.settings = values;
  FilterRunOutcome outcome;
  ASSERT_TRUE(RunFilterOnImage(&image, settings, &outcome)) << outcome.message;
  const ParameterBlock& b = outcome.settingsUsed;
  EXPECT_EQ(b.outputProjection, 46);
  EXPECT_EQ(b.inputProjection, 7);
  EXPECT_EQ(b.glue, 9);
  EXPECT_EQ(b.grid2, 5);
  EXPECT_EQ(b.latitude, 12.5f);
  EXPECT_EQ(b.latitudeInteger, 13);
  EXPECT_EQ(b.longitude, -100.25f);
  EXPECT_EQ(b.spin, 3.0f);
  EXPECT_EQ(b.fov, 90.0f);
  EXPECT_EQ(b.fovInteger, 90);
  EXPECT_EQ(b.backdropRed, 0x1010);
  EXPECT_EQ(b.backdropGreen, 0x2020);
  EXPECT_EQ(b.backdropBlue, 0x3030);
  EXPECT_EQ(b.tabRed, 65535);
  EXPECT_EQ(b.tabGreen, 0);
  EXPECT_EQ(b.tabBlue, 128 * 257);
  EXPECT_EQ(b.edges, 1);
  EXPECT_EQ(b.transparentGaps, 0);
  EXPECT_EQ(b.faceSize, 321);
  EXPECT_EQ(b.brickLayers, 40);
  EXPECT_EQ(b.brickColorset, 1 | 16 | 64);
  EXPECT_EQ(b.brickPlates, 1);
  EXPECT_EQ(b.brickDiffusion, 1);
  EXPECT_EQ(b.showDialog, 0u);
}

TEST(FilterRun, LookUpByNameNumberAndSpacing) {
  EXPECT_EQ(LookUpChoice(SettingKind::Output, "Peirce quincunx"), LookUpChoice(SettingKind::Output, "peirce QUINCUNX"));
  EXPECT_NE(LookUpChoice(SettingKind::Output, "Peirce quincunx"), 0);
  EXPECT_EQ(LookUpChoice(SettingKind::Output, "16"), 16);
  EXPECT_EQ(LookUpChoice(SettingKind::Output, "0"), 0);
  EXPECT_EQ(LookUpChoice(SettingKind::Output, "261"), 0);  // a number without a projection
  EXPECT_EQ(LookUpChoice(SettingKind::Input, "30"), 0);
  EXPECT_EQ(LookUpChoice(SettingKind::Glue, "62"), 62);
  EXPECT_EQ(LookUpChoice(SettingKind::Glue, "63"), 0);
  EXPECT_EQ(LookUpChoice(SettingKind::Grid, "none"), 1);
  EXPECT_EQ(LookUpChoice(SettingKind::Grid, "0"), 1);
  EXPECT_EQ(LookUpChoice(SettingKind::Grid, "45"), 7);
  EXPECT_EQ(LookUpChoice(SettingKind::Grid, "7"), 0);  // spacings are degrees, not positions
  const std::vector<std::string> near = NearestChoiceNames(SettingKind::Output, "quincunx", 3);
  ASSERT_FALSE(near.empty());
  EXPECT_NE(near[0].find("quincunx"), std::string::npos);

  SettingValue v;
  std::string error;
  for (const char* bad : {"256,0,0", "1,2", "#12345", "#12345g", "a,b,c", "1,2,3,4"})
    EXPECT_FALSE(ParseSettingValue(*FindSettingOption("backdrop"), bad, &v, &error)) << bad;
  for (const char* bad : {"", "abc", "nan", "inf", "1e400"})
    EXPECT_FALSE(ParseSettingValue(*FindSettingOption("latitude"), bad, &v, &error)) << bad;
  EXPECT_FALSE(ParseSettingValue(*FindSettingOption("edges"), "maybe", &v, &error));
  EXPECT_FALSE(ParseSettingValue(*FindSettingOption("face-size"), "-1", &v, &error));
}

TEST(FilterRun, DocumentLimits) {
  ImageFile image;
  image.width = 32767;
  image.height = 1;
  image.channels = 4;
  image.bitsPerChannel = 32;
  std::string error;
  EXPECT_TRUE(ImageFitsDocument(image, &error));
  image.height = 32768;
  EXPECT_FALSE(ImageFitsDocument(image, &error));
  EXPECT_NE(error.find("32767"), std::string::npos);
  image.height = 1;
  image.channels = 5;
  EXPECT_FALSE(ImageFitsDocument(image, &error));
  EXPECT_NE(error.find("multichannel"), std::string::npos);
}

}  // namespace

namespace {

TEST(FilterRun, SettingsFileThenOptions) {
  std::string pattern = (fs::temp_directory_path() / "orbalix-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  // A settings file of a first run, saved with its thumbnail.
  ImageFile image = SmoothImage(24, 12, 3, 8);
  FilterRunSettings first;
  for (const auto& [name, text] : std::vector<std::pair<const char*, const char*>>{
           {"output", "Mollweide"}, {"latitude", "20.5"}, {"backdrop", "0,0,255"}, {"glue", "screen"}}) {
    SettingValue v;
    std::string error;
    ASSERT_TRUE(ParseSettingValue(*FindSettingOption(name), text, &v, &error)) << error;
    first.settings.push_back(v);
  }
  FilterRunOutcome outcome;
  ASSERT_TRUE(RunFilterOnImage(&image, first, &outcome)) << outcome.message;
  std::string error;
  const std::string saved = (dir / "first.q2q").string();
  ASSERT_TRUE(SaveSettingsWithThumbnail(saved, outcome.settingsUsed, image, &error)) << error;
  EXPECT_TRUE(CheckSettingsFile(saved, &error)) << error;

  // A second run starts from the file; its options replace single settings.
  FilterRunSettings second;
  second.settingsFile = saved;
  SettingValue spin;
  ASSERT_TRUE(ParseSettingValue(*FindSettingOption("spin"), "-7.5", &spin, &error));
  second.settings.push_back(spin);
  ImageFile again = SmoothImage(24, 12, 3, 8);
  ASSERT_TRUE(RunFilterOnImage(&again, second, &outcome)) << outcome.message;
  const ParameterBlock& b = outcome.settingsUsed;
  EXPECT_EQ(b.outputProjection, 46);
  EXPECT_EQ(b.latitude, 20.5f);
  EXPECT_EQ(b.backdropBlue, 65535);
  EXPECT_EQ(b.backdropRed, 0);
  EXPECT_EQ(b.glue, LookUpChoice(SettingKind::Glue, "screen"));
  EXPECT_EQ(b.spin, -7.5f);

  // A file of an old version holds integer angles only: the run's floats follow them.
  FilterRunSettings old;
  old.settingsFile = std::string(ORBALIX_SOURCE_DIR) + "/tests/settings/data/version_30.q2q";
  ImageFile third = SmoothImage(24, 12, 3, 8);
  ASSERT_TRUE(RunFilterOnImage(&third, old, &outcome)) << outcome.message;
  EXPECT_EQ(outcome.settingsUsed.latitude, float(outcome.settingsUsed.latitudeInteger));
  EXPECT_EQ(outcome.settingsUsed.fov, float(outcome.settingsUsed.fovInteger));

  // A file that cannot be read stops the run before anything is drawn.
  std::ofstream(dir / "short.q2q") << "Q2";
  ImageFile fourth = SmoothImage(24, 12, 3, 8);
  const ImageFile before = fourth;
  FilterRunSettings broken;
  broken.settingsFile = (dir / "short.q2q").string();
  EXPECT_FALSE(RunFilterOnImage(&fourth, broken, &outcome));
  EXPECT_NE(outcome.message.find("short.q2q"), std::string::npos) << outcome.message;
  EXPECT_EQ(fourth.pixels, before.pixels);
  fs::remove_all(dir);
}

TEST_F(ProgramTest, SettingsFilesRoundTrip) {
  WriteOrDie(Path("in.png"), SmoothImage(32, 16, 3, 8));
  ProgramRun run = Run({"render", Path("in.png"), Path("a.png"), "--output", "sinusoidal", "--fov", "75",
                        "--save-settings", Path("a.q2q")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Run({"render", Path("in.png"), Path("b.png"), "--settings", Path("a.q2q"), "--longitude", "33",
             "--save-settings", Path("b.q2q")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ParameterBlock block{};
  std::string error;
  ASSERT_TRUE(LoadSettingsFileInto(Path("b.q2q"), &block, &error)) << error;
  EXPECT_EQ(block.outputProjection, 13);
  EXPECT_EQ(block.fov, 75.0f);
  EXPECT_EQ(block.longitude, 33.0f);

  std::ofstream(Path("bad.q2q")) << "garbage";
  for (const char* settings : {"missing.q2q", "bad.q2q"}) {
    run = Run({"render", Path("in.png"), Path("c.png"), "--settings", Path(settings)});
    EXPECT_EQ(run.exitCode, 1) << settings;
    EXPECT_NE(run.err.find(settings), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Path("c.png")));
  }
  run = Run({"render", Path("in.png"), Path("c.png"), "--save-settings", Path("no/folder/c.q2q")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(Path("c.png")));
}

}  // namespace

// Net outputs through the program: the tetrahedron's, the cube's and the
// dodecahedron's nets and the "square" layout are drawn (part of the picture,
// the rest backdrop); an output whose layout is not built ("balloon") shows
// only the backdrop.
TEST_F(ProgramTest, NetOutputsDrawTheNetsThatAreBuilt) {
  WriteOrDie(Path("in.png"), SmoothImage(128, 64, 3, 8));
  struct Case {
    const char* output;
    bool drawn;
  };
  for (const Case& c : {Case{"6", true}, Case{"7", true}, Case{"9", true}, Case{"21", true}, Case{"41", false}}) {
    const std::string out = Path(std::string("net") + c.output + ".png");
    ProgramRun run = Run({"render", Path("in.png"), out, "--output", c.output, "--backdrop", "255,0,255", "--tabs", "8"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ImageFile image;
    std::string error;
    ASSERT_TRUE(ReadImageFile(out, &image, &error)) << error;
    int64_t backdrop = 0;
    const int64_t pixels = int64_t(image.width) * image.height;
    for (int64_t i = 0; i < pixels; ++i) {
      const uint8_t* p = image.pixels.data() + i * 3;
      backdrop += p[0] == 255 && p[1] == 0 && p[2] == 255;
    }
    if (c.drawn) {
      EXPECT_GT(backdrop, pixels / 5) << c.output;
      EXPECT_LT(backdrop, pixels * 9 / 10) << c.output;
    } else {
      EXPECT_EQ(backdrop, pixels) << c.output;
    }
  }
}
