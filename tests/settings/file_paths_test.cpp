#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "settings/file_paths.h"
#include "test_files.h"

namespace {

FileSpec Spec(const char* path) {
  FileSpec spec = {};
  std::strcpy(spec.path, path);
  return spec;
}

}  // namespace

TEST(FilePaths, ExportNamesTakeAnIndexASuffixOrAnotherExtension) {
  struct Case {
    const char* source;
    int32_t index, count;
    const char* extension;
    int32_t makeSafe;
    const char* suffix;
    bool spaced;
    const char* expected;
  } cases[] = {
      {"C:\\out\\Result.psd", 7, 12, nullptr, 0, nullptr, true, "C:\\out\\Result 007.psd"},
      {"C:\\out\\Result.psd", 7, 1, nullptr, 0, nullptr, true, "C:\\out\\Result.psd"},
      {"C:\\out\\Result.psd", 7, 12, nullptr, 0, nullptr, false, "C:\\out\\Result007.psd"},
      {"C:\\out\\Result.psd", 0, 0, ".mtl", 0, nullptr, true, "C:\\out\\Result.mtl"},
      {"C:\\out\\Result.psd", 3, 5, nullptr, 0, "plan", true, "C:\\out\\Result plan.psd"},
      {"/home/u/my pic.obj", 0, 0, ".stl", 1, nullptr, true, "/home/u/my_pic.stl"},
      {"/home/u/noext", 2, 3, nullptr, 0, nullptr, true, "/home/u/noext 002"},
  };
  for (const Case& c : cases) {
    FileSpec source = Spec(c.source);
    FileSpec out = {};
    BuildExportFileName(&source, &out, c.index, c.count, c.extension, c.makeSafe, c.suffix, c.spaced);
    EXPECT_STREQ(out.path, c.expected) << c.source;
  }
  FileSpec source = Spec("C:\\a\\b.obj");
  FileSpec out = {};
  BuildSiblingFileName(".jpg", &out, &source, 0);
  EXPECT_STREQ(out.path, "C:\\a\\b.jpg");
  std::string longName(250, 'x');
  source = Spec(("C:\\a\\" + longName + ".obj").c_str());
  BuildExportFileName(&source, &out, 1, 2, nullptr, 0, "a long suffix", true);
  EXPECT_STREQ(out.path, "");
}

TEST(FilePaths, FoldersAndNamesBesideAFile) {
  FileSpec file = Spec("C:\\out\\deep\\Result.psd");
  FileSpec out = {};
  EXPECT_EQ(CopyFileSpecFolder(&file, &out), 0);
  EXPECT_STREQ(out.path, "C:\\out\\deep\\");
  EXPECT_EQ(CopyFileSpecFolder(nullptr, &out), 398);
  char name[kMaxPathLength + 1];
  FileSpecFileName(&file, name);
  EXPECT_STREQ(name, "Result.psd");
  FileSpecInSameFolder(&file, "other.mtl", &out);
  EXPECT_STREQ(out.path, "C:\\out\\deep\\other.mtl");
  FileSpec posix = Spec("/tmp/x/y.q2q");
  FileSpecInSameFolder(&posix, "z.q2q", &out);
  EXPECT_STREQ(out.path, "/tmp/x/z.q2q");
  EXPECT_EQ(MakeSubfolder(nullptr, "a", &out), 396);
}

TEST(FilePaths, SubfoldersAreMadeOnceAndOpenedAfter) {
  char temp[kMaxPathBytes];
  ASSERT_EQ(TempFolderPath(temp, nullptr), 0);
  FileSpec folder = Spec(temp);
  FileSpec sub = {};
  const char* name = "orbalix_s1_subfolder_test";
  ASSERT_EQ(MakeSubfolder(&folder, name, &sub), 0);
  EXPECT_EQ(MakeSubfolder(&folder, name, &sub), 0);  // already there
  std::string expected = std::string(temp) + name;
  EXPECT_EQ(std::string(sub.path), expected + expected.substr(std::strlen(temp) - 1, 1));
  FileSpec inside = {};
  FileSpecInSameFolder(&sub, "f.q2q", &inside);
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(&inside, &h, 1), 0);
  WriteInt32BE(1, h);
  CloseFileHandle(h);
  EXPECT_EQ(ReadAllBytes(inside.path).size(), 4u);
  OsRemoveFile(inside.path);
}
