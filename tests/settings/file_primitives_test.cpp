#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "settings/file_primitives.h"
#include "test_files.h"

namespace {

// Writes with `body` into a fresh file and answers its bytes.
template <typename Body>
std::vector<uint8_t> BytesWrittenBy(const std::string& path, Body body) {
  std::remove(path.c_str());
  FileHandle h = kNoFile;
  EXPECT_EQ(OpenFileSpec(path.c_str(), &h, 1), kFileOk);
  body(h);
  CloseFileHandle(h);
  return ReadAllBytes(path);
}

}  // namespace

TEST(FilePrimitives, TypedWritersPutTheirBytesInTheirOrder) {
  ScratchFile file("typed");
  using Bytes = std::vector<uint8_t>;
  EXPECT_EQ(BytesWrittenBy(file.path, [](FileHandle h) { WriteInt32BE(1, h); }), (Bytes{0, 0, 0, 1}));
  EXPECT_EQ(BytesWrittenBy(file.path, [](FileHandle h) { WriteInt32LE(1, h); }), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(BytesWrittenBy(file.path, [](FileHandle h) { WriteInt32BE(-2, h); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(BytesWrittenBy(file.path, [](FileHandle h) { WriteFloat32BE(1.0f, h); }), (Bytes{0x3F, 0x80, 0, 0}));
  EXPECT_EQ(BytesWrittenBy(file.path, [](FileHandle h) { WriteFloat32LE(-2.5f, h); }),
            (Bytes{0, 0, 0x20, 0xC0}));
  EXPECT_EQ(BytesWrittenBy(file.path, [](FileHandle h) { WriteUInt16BE(0x1234, h); }), (Bytes{0x12, 0x34}));
  EXPECT_EQ(BytesWrittenBy(file.path,
                           [](FileHandle h) {
                             WriteByte(7, h);
                             EXPECT_EQ(WriteZeroBytes(3, h), kFileOk);
                             EXPECT_EQ(WriteZeroBytes(-4, h), kFileOk);
                             EXPECT_EQ(WriteCString("ab", h), kFileOk);
                             EXPECT_EQ(WriteCString(nullptr, h), kFileCannotOpen);
                           }),
            (Bytes{7, 0, 0, 0, 'a', 'b'}));
}

TEST(FilePrimitives, ValuesReadBackAndShortReadsFailWithoutTouchingTheDestination) {
  ScratchFile file("roundtrip");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  BytesWrittenBy(file.path, [&](FileHandle h) {
    WriteInt32BE(INT32_MIN, h);
    WriteFloat32BE(-0.0f, h);
    WriteFloat32BE(nan, h);
    WriteUInt16BE(0xABCD, h);  // two bytes: too few for a 32-bit value
  });
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 0), kFileOk);
  int32_t i = 5;
  float f = 5.0f;
  EXPECT_EQ(ReadInt32BE(&i, h), kFileOk);
  EXPECT_EQ(i, INT32_MIN);
  EXPECT_EQ(ReadFloat32BE(&f, h), kFileOk);
  EXPECT_TRUE(f == 0.0f && std::signbit(f));
  EXPECT_EQ(ReadFloat32BE(&f, h), kFileOk);
  EXPECT_TRUE(std::isnan(f));
  i = 42;
  EXPECT_EQ(ReadInt32BE(&i, h), kFileReadFailed);
  EXPECT_EQ(i, 42);
  EXPECT_EQ(ReadInt32BE(&i, h), kFileReadFailed);  // at the end
  EXPECT_EQ(i, 42);
  CloseFileHandle(h);
}

TEST(FilePrimitives, BlocksReportTheBytesMovedAndSkipsStopAtTheEnd) {
  ScratchFile file("blocks");
  std::vector<uint8_t> data(1000);
  for (size_t k = 0; k < data.size(); ++k) data[k] = uint8_t(k * 7);
  BytesWrittenBy(file.path, [&](FileHandle h) {
    int32_t n = int32_t(data.size());
    EXPECT_EQ(WriteBlock(h, &n, data.data()), kFileOk);
    EXPECT_EQ(n, 1000);
  });
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 0), kFileOk);
  EXPECT_EQ(SkipBytes(600, h), kFileOk);  // two whole reads and 88 single bytes
  EXPECT_EQ(SkipBytes(0, h), kFileOk);
  EXPECT_EQ(SkipBytes(-3, h), kFileOk);
  uint8_t next[300];
  int32_t n = 300;
  EXPECT_EQ(ReadBlock(h, &n, next), kFileOk);
  EXPECT_EQ(n, 300);
  EXPECT_EQ(next[0], uint8_t(600 * 7));
  n = 300;
  EXPECT_EQ(ReadBlock(h, &n, next), kFileReadFailed);  // 100 bytes remain
  EXPECT_EQ(n, 100);
  EXPECT_EQ(next[99], uint8_t(999 * 7));
  EXPECT_EQ(SkipBytes(1, h), kFileReadFailed);
  CloseFileHandle(h);
}

TEST(FilePrimitives, OpeningForWritingKeepsTheOldTailUnlessTruncated) {
  ScratchFile file("tail");
  std::vector<uint8_t> old(1000, 0xEE);
  WriteAllBytes(file.path, old);
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  WriteZeroBytes(10, h);
  CloseFileHandle(h);
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  ASSERT_EQ(bytes.size(), 1000u);
  EXPECT_EQ(bytes[9], 0);
  EXPECT_EQ(bytes[10], 0xEE);

  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  WriteZeroBytes(10, h);
  EXPECT_EQ(TruncateFileHere(h), kFileOk);
  CloseFileHandle(h);
  EXPECT_EQ(ReadAllBytes(file.path).size(), 10u);
}

TEST(FilePrimitives, OpenFailureLeavesTheHandleAlone) {
  FileHandle h = 12345;
  EXPECT_EQ(OpenFileSpec("/nonexistent-folder-xyz/none.q2q", &h, 0), kFileCannotOpen);
  EXPECT_EQ(OpenFileSpec("/nonexistent-folder-xyz/none.q2q", &h, 1), kFileCannotOpen);
  EXPECT_EQ(OpenFileSpec(nullptr, &h, 0), kFileCannotOpen);
  EXPECT_EQ(h, 12345);
}

TEST(FilePrimitives, BufferedWriterFlushesEveryFourHundredBytes) {
  ScratchFile file("buffered");
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  BufferedWriter w;
  InitBufferedWriter(&w, h);
  for (int k = 0; k < 399; ++k) BufferedPutByte(uint8_t(k), &w);
  EXPECT_EQ(ReadAllBytes(file.path).size(), 0u);
  BufferedPutByte(0xAA, &w);
  EXPECT_EQ(ReadAllBytes(file.path).size(), 400u);
  EXPECT_EQ(w.pending, 0);
  BufferedPutUInt16(0x1234, &w);
  BufferedPutUInt32(SwapBytes32(0x01020304u), &w);
  FlushBufferedWriter(&w);
  FlushBufferedWriter(&w);
  CloseFileHandle(h);
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  ASSERT_EQ(bytes.size(), 406u);
  EXPECT_EQ(bytes[399], 0xAA);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 400, bytes.end()),
            (std::vector<uint8_t>{0x34, 0x12, 1, 2, 3, 4}));
}

TEST(FilePrimitives, ByteSwaps) {
  EXPECT_EQ(SwapBytes32(0x11223344u), 0x44332211u);
  EXPECT_EQ(SwapBytes16(0xA1B2u), 0xB2A1u);
}

TEST(FilePrimitives, TemporaryFolderFollowsTheSystemAndOverlongNamesGiveNoPath) {
  char out[kMaxPathBytes];
  EXPECT_EQ(TempFolderPath(nullptr, "x"), 1);
  ASSERT_EQ(TempFolderPath(out, "Orbalix 2 undo 0"), 0);
  std::string path = out;
  ASSERT_GT(path.size(), std::strlen("Orbalix 2 undo 0"));
  EXPECT_EQ(path.substr(path.size() - 16), "Orbalix 2 undo 0");
  char sep = path[path.size() - 17];
  EXPECT_TRUE(sep == '/' || sep == '\\');
  std::string longName(300, 'n');
  ASSERT_EQ(TempFolderPath(out, longName.c_str()), 0);
  EXPECT_STREQ(out, "");
  ASSERT_EQ(TempFolderPath(out, nullptr), 0);
  EXPECT_EQ(std::string(out) + "Orbalix 2 undo 0", path);
}

#if !defined(_WIN32)
// The desktop as the XDG user directories name it, $HOME/Desktop without one.
TEST(FilePrimitives, DesktopFolderFollowsTheUserDirectories) {
  std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  std::string savedConfigText = savedConfig ? savedConfig : "";
  char temp[kMaxPathBytes];
  TempFolderPath(temp, "orbalix_s1_xdg");
  std::string home = temp;
  OsMakeFolder(home.c_str());
  std::string config = home + "/config";
  OsMakeFolder(config.c_str());
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);

  char out[kMaxPathBytes];
  std::remove((config + "/user-dirs.dirs").c_str());
  DesktopFolderPath(out, "x.html");
  EXPECT_EQ(std::string(out), home + "/Desktop/x.html");

  FILE* f = std::fopen((config + "/user-dirs.dirs").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", f);
  std::fclose(f);
  DesktopFolderPath(out, "x.html");
  EXPECT_EQ(std::string(out), home + "/Schreibtisch/x.html");

  f = std::fopen((config + "/user-dirs.dirs").c_str(), "w");
  std::fputs("XDG_DESKTOP_DIR=\"/srv/desk/\"\n", f);
  std::fclose(f);
  DesktopFolderPath(out, "x.html");
  EXPECT_EQ(std::string(out), "/srv/desk/x.html");

  std::remove((config + "/user-dirs.dirs").c_str());
  rmdir(config.c_str());
  rmdir(home.c_str());
  setenv("HOME", savedHome.c_str(), 1);
  if (savedConfig) {
    setenv("XDG_CONFIG_HOME", savedConfigText.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}
#endif
