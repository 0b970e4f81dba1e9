// The orbalix program under hostile files and interruptions: outputs are
// written through private new files and put in place only when the whole run
// succeeded, tiny files that declare huge images are refused before any
// memory is taken, broken JPEG data is an error, a stop signal in any phase
// leaves everything as it was, and settings files of unknown versions are
// refused.
#include <gtest/gtest.h>

#include <jpeglib.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/image_files.h"
#include "settings/settings_defaults.h"
#include "tests/app/program_runner.h"

namespace fs = std::filesystem;

namespace {

using program_runner::ProgramRun;
using program_runner::ProgramTest;
using program_runner::ReadText;
using program_runner::RunLimits;

// An 8-bit image with every sample a hash of its position (noise, so that
// compressed files are not tiny) or a gentle ramp.
ImageFile MakeImage(int32_t width, int32_t height, int32_t channels, bool noise) {
  ImageFile image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bitsPerChannel = 8;
  image.pixels.resize(size_t(RowBytes(image)) * size_t(height));
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint32_t h = uint32_t(i) * 2654435761u;
    image.pixels[i] = noise ? uint8_t(h >> 24) : uint8_t(40 + (i / size_t(channels)) % size_t(width) * 150 / size_t(width));
  }
  if (channels == 4)
    for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  return image;
}

void WriteOrDie(const std::string& path, const ImageFile& image) {
  std::string error;
  ASSERT_TRUE(WriteImageFile(path, image, &error)) << error;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos ? "" : "\"" + part + "\" missing from: " + text;
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// --- item: outputs never go through a planted link --------------------------------

TEST_F(ProgramTest, OutputsNeverWriteThroughAPlantedLink) {
  WriteOrDie(Path("in.png"), MakeImage(32, 16, 3, false));
  WriteBytes(Path("victim.txt"), "precious");
  for (const char* name : {"out.png", "out.jpg", "out.tif"}) {
    const std::string out = Path(name);
    const std::string settings = Path("out.q2q");
    std::vector<std::string> planted;
    RunLimits limits;
    // The child knows its pid before the program starts: links wait at every
    // name beside the outputs that a writer could guess from it.
    limits.beforeExec = [&] {
      const std::string pid = std::to_string(getpid());
      const std::vector<std::string> suffixes = {".part" + pid, "~", ".tmp", "." + pid, "~" + pid};
      for (const std::string& target : {out, settings})
        for (const std::string& suffix : suffixes)
          if (symlink(Path("victim.txt").c_str(), (target + suffix).c_str()) != 0) _exit(126);
    };
    const ProgramRun run = Run({"render", Path("in.png"), out, "--save-settings", settings}, limits);
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
    EXPECT_EQ(ReadText(Path("victim.txt")), "precious") << name;
    ImageFile written;
    std::string error;
    EXPECT_TRUE(ReadImageFile(out, &written, &error)) << error;
    // A new file has the mode of any new file; the scratch file's private
    // mode does not stay.
    EXPECT_EQ(ModeOf(out), NewFileMode()) << name;
    EXPECT_EQ(ModeOf(settings), NewFileMode()) << name;
    for (const auto& entry : fs::directory_iterator(dir))
      if (fs::is_symlink(entry.symlink_status())) fs::remove(entry.path());
    fs::remove(out);
    fs::remove(settings);
    EXPECT_EQ(Leftovers({"in.png", "victim.txt"}), std::vector<std::string>{}) << name;
  }
}

TEST_F(ProgramTest, ReplacingAnOutputKeepsItsMode) {
  WriteOrDie(Path("in.png"), MakeImage(32, 16, 3, false));
  WriteBytes(Path("out.png"), "old");
  WriteBytes(Path("out.q2q"), "old");
  ASSERT_EQ(chmod(Path("out.png").c_str(), 0640), 0);
  ASSERT_EQ(chmod(Path("out.q2q").c_str(), 0600), 0);
  const ProgramRun run = Run({"render", Path("in.png"), Path("out.png"), "--save-settings", Path("out.q2q")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ModeOf(Path("out.png")), mode_t(0640));
  EXPECT_EQ(ModeOf(Path("out.q2q")), mode_t(0600));
  EXPECT_NE(ReadText(Path("out.png")), "old");
}

// --- item: a run succeeds whole or changes nothing -------------------------------

TEST_F(ProgramTest, AFailedRunChangesNoOutput) {
  // Noise makes a settings thumbnail far larger than the tiny image.
  WriteOrDie(Path("in.png"), MakeImage(16, 8, 3, true));
  ProgramRun run = Run({"render", Path("in.png"), Path("probe.png"), "--save-settings", Path("probe.q2q")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto imageBytes = fs::file_size(Path("probe.png"));
  const auto settingsBytes = fs::file_size(Path("probe.q2q"));
  ASSERT_LT(imageBytes + 256, settingsBytes);
  fs::remove(Path("probe.png"));
  fs::remove(Path("probe.q2q"));

  WriteBytes(Path("keep.png"), "old image");
  WriteBytes(Path("keep.q2q"), "old settings");
  struct Case {
    const char* label;
    long long fileSizeLimit;  // the disk "fills" at this size
    const char* failing;      // the output named in the message
  } cases[] = {
      {"the settings file cannot be written", (long long)(imageBytes + 128), "keep.q2q"},
      {"the image cannot be written", (long long)(imageBytes / 2), "keep.png"},
  };
  for (const Case& c : cases) {
    RunLimits limits;
    limits.fileSizeLimit = c.fileSizeLimit;
    run = Run({"render", Path("in.png"), Path("keep.png"), "--save-settings", Path("keep.q2q")}, limits);
    EXPECT_EQ(run.exitCode, 1) << c.label << ": " << run.err;
    // A full disk names the file and the reason.
    EXPECT_EQ(Contains(run.err, "cannot write " + Path(c.failing) + ": File too large"), "") << c.label;
    EXPECT_EQ(ReadText(Path("keep.png")), "old image") << c.label;
    EXPECT_EQ(ReadText(Path("keep.q2q")), "old settings") << c.label;
    EXPECT_EQ(Leftovers({"in.png", "keep.png", "keep.q2q"}), std::vector<std::string>{}) << c.label;
  }
}

TEST_F(ProgramTest, SettingsMayNotReplaceTheInputOrTheOutput) {
  WriteOrDie(Path("in.png"), MakeImage(16, 8, 3, false));
  const std::string inBytes = ReadText(Path("in.png"));
  WriteBytes(Path("keep.png"), "old image");
  fs::create_directories(dir / "sub");
  ASSERT_EQ(symlink(Path("keep.png").c_str(), Path("link.q2q").c_str()), 0);
  for (const std::string& settings :
       {Path("keep.png"), Path("in.png"), Path("sub/../keep.png"), Path("link.q2q"), (dir / "sub" / ".." / "in.png").string()}) {
    const ProgramRun run = Run({"render", Path("in.png"), Path("keep.png"), "--save-settings", settings});
    EXPECT_EQ(run.exitCode, 2) << settings << ": " << run.err;
    EXPECT_EQ(Contains(run.err, "--save-settings"), "");
    EXPECT_EQ(ReadText(Path("keep.png")), "old image") << settings;
    EXPECT_EQ(ReadText(Path("in.png")), inBytes) << settings;
  }
  EXPECT_EQ(Leftovers({"in.png", "keep.png", "sub", "link.q2q"}), std::vector<std::string>{});
}

// --- item: tiny files that declare huge images ------------------------------------

void Be32(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(char((v >> shift) & 0xFF));
}

void PngChunk(std::string* out, const char* type, const std::string& data) {
  Be32(out, uint32_t(data.size()));
  const std::string body = std::string(type, 4) + data;
  out->append(body);
  Be32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// A PNG of a few dozen bytes: a header that says width x height and a
// scrap of image data.
std::string TinyPng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  Be32(&ihdr, width);
  Be32(&ihdr, height);
  ihdr += char(bitDepth);
  ihdr += char(colourType);
  ihdr += std::string(3, '\0');
  PngChunk(&png, "IHDR", ihdr);
  const std::string zeros(64, '\0');
  std::string packed(128, '\0');
  uLongf packedSize = uLongf(packed.size());
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(zeros.data()),
           uLong(zeros.size()));
  packed.resize(packedSize);
  PngChunk(&png, "IDAT", packed);
  PngChunk(&png, "IEND", "");
  return png;
}

// A small progressive JPEG whose frame header is then made to say
// width x height.
std::string TinyProgressiveJpeg(uint16_t width, uint16_t height) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = 16;
  cinfo.image_height = 16;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(16 * 3, 128);
  while (cinfo.next_scanline < 16) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string jpeg(reinterpret_cast<char*>(buffer), size);
  free(buffer);
  const size_t sof = jpeg.find("\xFF\xC2");
  if (sof == std::string::npos) return {};
  jpeg[sof + 5] = char(height >> 8);
  jpeg[sof + 6] = char(height & 0xFF);
  jpeg[sof + 7] = char(width >> 8);
  jpeg[sof + 8] = char(width & 0xFF);
  return jpeg;
}

// An uncompressed RGBA TIFF that says width x height with one strip of a few bytes.
void TinyTiff(const std::string& path, uint32_t width, uint32_t height) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
  uint16_t extra = EXTRASAMPLE_UNASSALPHA;
  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  uint8_t scrap[16] = {};
  TIFFWriteRawStrip(tif, 0, scrap, sizeof scrap);
  TIFFClose(tif);
}

TEST_F(ProgramTest, TinyFilesThatDeclareHugeImagesAreRefusedAtOnce) {
  WriteBytes(Path("huge.png"), TinyPng(30000, 30000, 16, 6));
  const std::string jpeg = TinyProgressiveJpeg(65500, 65500);
  ASSERT_FALSE(jpeg.empty());
  WriteBytes(Path("huge.jpg"), jpeg);
  TinyTiff(Path("huge.tif"), 30000, 25000);
  ASSERT_LT(fs::file_size(Path("huge.png")), 200u);
  ASSERT_LT(fs::file_size(Path("huge.jpg")), 2000u);
  WriteBytes(Path("keep.png"), "old");

  struct Case {
    const char* file;
    std::vector<std::string> extra;
    std::vector<std::string> message;
  } cases[] = {
      // The machine's own budget: refused by the budget or by what the file can hold.
      {"huge.png", {}, {"30000 x 30000"}},
      {"huge.jpg", {"--size", "1000x500"}, {"65500 x 65500"}},
      {"huge.tif", {}, {"30000 x 25000"}},
      // A small budget: refused by it, with the size and the budget named.
      {"huge.png", {"--memory-budget", "1G"}, {"30000 x 30000", "memory budget of 1.0 GiB"}},
      {"huge.jpg", {"--size", "1000x500", "--memory-budget", "1024M"}, {"65500 x 65500", "memory budget of 1.0 GiB"}},
      {"huge.tif", {"--memory-budget", "1G"}, {"30000 x 25000", "memory budget of 1.0 GiB"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", Path(c.file), Path("keep.png")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    RunLimits limits;
    limits.addressLimit = 4LL << 30;  // an old reader fails here instead of filling the machine
    const ProgramRun run = Run(args, limits);
    const std::string label = std::string(c.file) + (c.extra.empty() ? "" : " " + c.extra.back());
    EXPECT_EQ(run.exitCode, 1) << label << ": " << run.err;
    for (const std::string& part : c.message) EXPECT_EQ(Contains(run.err, part), "") << label;
    EXPECT_LT(run.maxRssKb, 400 * 1024) << label;
    EXPECT_LT(run.cpuSeconds, 1.0) << label;
  }
  EXPECT_EQ(ReadText(Path("keep.png")), "old");
  EXPECT_EQ(Leftovers({"huge.png", "huge.jpg", "huge.tif", "keep.png"}), std::vector<std::string>{});
}

// --- item: broken JPEG data -------------------------------------------------------

TEST_F(ProgramTest, ACutJpegIsAnError) {
  WriteOrDie(Path("whole.jpg"), MakeImage(256, 128, 3, true));
  const std::string bytes = ReadText(Path("whole.jpg"));
  WriteBytes(Path("cut.jpg"), bytes.substr(0, bytes.size() * 8 / 100));
  WriteBytes(Path("keep.png"), "old");
  const ProgramRun run = Run({"render", Path("cut.jpg"), Path("keep.png")});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(Contains(run.err, Path("cut.jpg") + ": bad JPEG: Premature end of JPEG file"), "");
  EXPECT_EQ(ReadText(Path("keep.png")), "old");
  EXPECT_EQ(Run({"render", Path("whole.jpg"), Path("keep.png")}).exitCode, 0);
}

// --- item: stop signals in every phase --------------------------------------------

TEST_F(ProgramTest, StopSignalsInEveryPhaseLeaveEverythingAsItWas) {
  // Tall enough for several checkpoints in every phase.
  const ImageFile source = MakeImage(48, 256, 3, false);
  for (const char* in : {"in.png", "in.jpg", "in.tif"}) WriteOrDie(Path(in), source);
  WriteBytes(Path("keep.png"), "old image");
  WriteBytes(Path("keep.jpg"), "old image");
  WriteBytes(Path("keep.tif"), "old image");
  WriteBytes(Path("keep.q2q"), "old settings");
  const std::vector<std::string> before = {"in.png", "in.jpg", "in.tif", "keep.png", "keep.jpg", "keep.tif", "keep.q2q"};

  struct Case {
    const char* in;
    const char* out;
    std::vector<std::string> extra;
    const char* hook;
  } cases[] = {
      {"in.png", "keep.png", {}, "decode:3"},
      {"in.jpg", "keep.png", {}, "decode:3"},
      {"in.tif", "keep.png", {}, "decode:3"},
      {"in.png", "keep.png", {"--size", "40x200"}, "resample:3"},
      {"in.png", "keep.png", {"--size", "40x200"}, "resample:250"},  // the second pass
      {"in.png", "keep.png", {}, "render:1"},
      {"in.png", "keep.png", {}, "render:4"},
      {"in.png", "keep.png", {}, "write:3"},
      {"in.png", "keep.jpg", {}, "write:3"},
      {"in.png", "keep.tif", {}, "write:3"},
      // Past the image's rows: while the settings file's thumbnail is made.
      {"in.png", "keep.png", {"--save-settings", Path("keep.q2q")}, "write:300"},
  };
  struct Signals {
    const char* names;
    int exitCode;  // -1: ended by the signal below
    int signal;
  } signalKinds[] = {{"INT", 130, 0}, {"TERM", 143, 0}, {"INT+TERM", -1, SIGTERM}};
  for (const Case& c : cases) {
    for (const Signals& s : signalKinds) {
      std::vector<std::string> args = {"render", Path(c.in), Path(c.out)};
      args.insert(args.end(), c.extra.begin(), c.extra.end());
      RunLimits limits;
      limits.env = {std::string("ORBALIX_TEST_SIGNAL=") + c.hook + ":" + s.names};
      const ProgramRun run = Run(args, limits);
      const std::string label = std::string(c.in) + " -> " + c.out + " at " + c.hook + " by " + s.names;
      EXPECT_EQ(run.exitCode, s.exitCode) << label << ": " << run.err;
      EXPECT_EQ(run.signal, s.signal) << label;
      if (s.exitCode > 0) {
        EXPECT_EQ(Contains(run.err, "cancelled"), "") << label;
      }
      EXPECT_EQ(ReadText(Path(c.out)), "old image") << label;
      EXPECT_EQ(ReadText(Path("keep.q2q")), "old settings") << label;
      EXPECT_EQ(Leftovers(before), std::vector<std::string>{}) << label;
      EXPECT_TRUE(fs::is_empty(dir / "tmp")) << label;
    }
  }

  // A stretch of work that asks nothing: the program ends by itself soon
  // after the signal, cleaning up as it goes (the stalled checkpoint would
  // end it with 99 after five seconds).
  for (const char* hook : {"render:4:INT:stall", "write:3:TERM:stall", "decode:2:INT:stall"}) {
    RunLimits limits;
    limits.env = {std::string("ORBALIX_TEST_SIGNAL=") + hook};
    const ProgramRun run = Run({"render", Path("in.png"), Path("keep.png"), "--save-settings", Path("keep.q2q")}, limits);
    EXPECT_EQ(run.exitCode, std::string(hook).find("TERM") != std::string::npos ? 143 : 130) << hook << ": " << run.err;
    EXPECT_EQ(Contains(run.err, "cancelled; " + Path("keep.png") + " and " + Path("keep.q2q") + " were not written"), "")
        << hook;
    EXPECT_EQ(ReadText(Path("keep.png")), "old image") << hook;
    EXPECT_EQ(ReadText(Path("keep.q2q")), "old settings") << hook;
    EXPECT_EQ(Leftovers(before), std::vector<std::string>{}) << hook;
    EXPECT_TRUE(fs::is_empty(dir / "tmp")) << hook;
  }
}

// --- item: settings files of unknown versions -------------------------------------

TEST_F(ProgramTest, SettingsFilesOfUnknownVersionsAreRefused) {
  WriteOrDie(Path("in.png"), MakeImage(32, 16, 3, false));
  ASSERT_EQ(Run({"render", Path("in.png"), Path("a.png"), "--save-settings", Path("good.q2q")}).exitCode, 0);
  std::string good = ReadText(Path("good.q2q"));
  ASSERT_GE(good.size(), 4u);
  auto withVersion = [&](uint32_t version) {
    std::string file = good;
    for (int i = 0; i < 4; ++i) file[size_t(i)] = char((version >> (24 - 8 * i)) & 0xFF);
    return file;
  };
  WriteBytes(Path("negative.q2q"), withVersion(0xFFFFFF9Cu));
  WriteBytes(Path("newer.q2q"), withVersion(kSettingsVersion + 1));
  WriteBytes(Path("random.q2q"), std::string("\x93\x11\x02\x7f", 4));
  for (const char* name : {"negative.q2q", "newer.q2q", "random.q2q"}) {
    const ProgramRun run = Run({"render", Path("in.png"), Path("b.png"), "--settings", Path(name)});
    EXPECT_EQ(run.exitCode, 1) << name << ": " << run.err;
    EXPECT_EQ(Contains(run.err, Path(name) + ": not a settings file of a known version"), "") << name;
    EXPECT_FALSE(fs::exists(Path("b.png"))) << name;
  }
  EXPECT_EQ(Run({"render", Path("in.png"), Path("b.png"), "--settings", Path("good.q2q")}).exitCode, 0);
}

// --- item: inputs through a pipe, option ranges -----------------------------------

TEST_F(ProgramTest, InputThroughAPipeIsReadOnce) {
  WriteOrDie(Path("in.png"), MakeImage(64, 32, 3, false));
  const std::string bytes = ReadText(Path("in.png"));
  ASSERT_LT(bytes.size(), 60000u);  // fits the pipe
  RunLimits limits;
  limits.stdinData = bytes;
  ProgramRun run = Run({"render", "/dev/stdin", Path("piped.png"), "--output", "Mollweide"}, limits);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Run({"render", Path("in.png"), Path("plain.png"), "--output", "Mollweide"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ImageFile piped, plain;
  std::string error;
  ASSERT_TRUE(ReadImageFile(Path("piped.png"), &piped, &error)) << error;
  ASSERT_TRUE(ReadImageFile(Path("plain.png"), &plain, &error)) << error;
  EXPECT_EQ(piped.pixels, plain.pixels);
}

// The largest angles the options take, on outputs of every family: the
// sanitizer builds (float-to-integer overflow included) see no undefined
// behaviour, and every run ends with a picture or a message.
TEST_F(ProgramTest, TheLargestAnglesRenderOrFailCleanly) {
  WriteOrDie(Path("in.png"), MakeImage(24, 12, 4, false));
  const std::vector<NamedChoice> outputs = NamedChoices(SettingKind::Output);
  for (size_t i = 0; i < outputs.size(); i += 23) {
    const std::string output = std::to_string(outputs[i].number);
    for (const char* angle : {"1000000", "-999999.9"}) {
      const ProgramRun run = Run({"render", Path("in.png"), Path("o.png"), "--output", output, "--latitude", angle,
                                  "--longitude", angle, "--spin", angle, "--fov", angle, "--tabs", angle, "--sharpen",
                                  angle});
      EXPECT_TRUE(run.exitCode == 0 || (run.exitCode == 1 && run.err.rfind("orbalix: ", 0) == 0))
          << output << " " << angle << ": " << run.exitCode << " " << run.err;
      EXPECT_EQ(run.signal, 0) << output << " " << angle;
    }
  }
}

TEST_F(ProgramTest, OptionRangesAreNamedAsRanges) {
  WriteOrDie(Path("in.png"), MakeImage(16, 8, 3, false));
  struct Case {
    std::vector<std::string> option;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"--latitude", "1e7"}, 2, "--latitude: out of range"},
      {{"--latitude", "1e400"}, 2, "--latitude: out of range"},
      {{"--latitude", "north"}, 2, "--latitude: not a number"},
      {{"--face-size", "99999999999"}, 2, "--face-size: out of range"},
      {{"--face-size", "-4"}, 2, "--face-size: out of range"},
      {{"--size", "99999999999x10"}, 1, "a side of the document may be at most 32767"},
      {{"--memory-budget", "lots"}, 2, "--memory-budget: expected a size"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", Path("in.png"), Path("o.png")};
    args.insert(args.end(), c.option.begin(), c.option.end());
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.option[0] << " " << c.option[1] << ": " << run.err;
    EXPECT_EQ(Contains(run.err, c.message), "");
  }
  EXPECT_FALSE(fs::exists(Path("o.png")));
}

}  // namespace
