// The orbalix program's export command end to end: the documents it writes,
// its usage errors, and that Ctrl-C or a failed write leaves no file (and no
// scratch file) behind and an older target as it was.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/image_files.h"
#include "tests/export_readers/program_support.h"
#include "tests/exports/psd_walker.h"

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ExportProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orbalix-export-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    fs::create_directories(dir / "tmp");
    std::string error;
    ASSERT_TRUE(WriteSamplePicture(Path("in.png"), &error)) << error;
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs the program; `prefix` goes before it in the shell (variables, limits).
  ProgramRun Run(const std::vector<std::string>& args, const std::string& prefix = "") {
    ProgramRun run;
    run.exitCode = ShellExitCode(ProgramCommand((dir / "tmp").string(), args, prefix) + " >/dev/null 2>" +
                                 ShellQuote((dir / "stderr.txt").string()));
    run.err = ReadText(dir / "stderr.txt");
    fs::remove(dir / "stderr.txt");
    return run;
  }

  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // Every file and folder under the test's folder but its temporary folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string name = fs::relative(entry.path(), dir).string();
      if (name != "tmp") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir;
};

WalkedPsd Walk(const std::string& path) { return WalkPsd(ReadFileBytes(path)); }

TEST_F(ExportProgram, WritesPsdDocumentsAndCubeMaps) {
  ProgramRun run = Run({"export", "psd", Path("in.png"), Path("sized.psd"), "--size", "40x20", "--depth", "16",
                        "--output", "Mollweide"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  WalkedPsd psd = Walk(Path("sized.psd"));
  EXPECT_TRUE(psd.errors.empty());
  EXPECT_EQ(psd.width, 40u);
  EXPECT_EQ(psd.height, 20u);
  EXPECT_EQ(psd.depth, 16);
  ASSERT_EQ(psd.layers.size(), 1u);
  EXPECT_EQ(psd.layers[0].name, "Layer 1");

  // Without --size: the size and depth of IN.
  run = Run({"export", "psd", Path("in.png"), Path("plain.psd")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  psd = Walk(Path("plain.psd"));
  EXPECT_TRUE(psd.errors.empty());
  EXPECT_EQ(psd.width, 64u);
  EXPECT_EQ(psd.height, 32u);
  EXPECT_EQ(psd.depth, 8);

  // A cube map into a folder (made for it), and beside a name.
  run = Run({"export", "cube", Path("in.png"), Path("faces"), "--cube-side", "16", "--depth", "32"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Run({"export", "cube", Path("in.png"), Path("named.psd"), "--cube-side", "12"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> expected = {
      "faces",          "faces/Cube map_b.psd", "faces/Cube map_d.psd", "faces/Cube map_f.psd",
      "faces/Cube map_l.psd", "faces/Cube map_r.psd", "faces/Cube map_u.psd", "in.png",
      "named_b.psd",    "named_d.psd",          "named_f.psd",          "named_l.psd",
      "named_r.psd",    "named_u.psd",          "plain.psd",            "sized.psd"};
  EXPECT_EQ(Files(), expected);
  for (const char* suffix : {"_d", "_u", "_l", "_b", "_r", "_f"}) {
    psd = Walk(Path(std::string("faces/Cube map") + suffix + ".psd"));
    EXPECT_TRUE(psd.errors.empty()) << suffix;
    EXPECT_EQ(psd.width, 16u) << suffix;
    EXPECT_EQ(psd.depth, 32) << suffix;
    psd = Walk(Path(std::string("named") + suffix + ".psd"));
    EXPECT_TRUE(psd.errors.empty()) << suffix;
    EXPECT_EQ(psd.width, 12u) << suffix;
  }
}

TEST_F(ExportProgram, UsageAndInputErrorsWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* says;
  };
  const std::string in = Path("in.png");
  const Case cases[] = {
      {{"export"}, 2, "psd, cube"},
      {{"export", "tiff", in, Path("o.tif")}, 2, "not 'tiff'"},
      {{"export", "psd", in}, 2, "an input file and an output"},
      {{"export", "psd", in, Path("o.png")}, 2, "must end in .psd"},
      {{"export", "psd", in, Path("o.psd"), "--size", "30001x10"}, 2, "at most 30000"},
      {{"export", "psd", in, Path("o.psd"), "--size", "0x10"}, 2, "positive whole numbers"},
      {{"export", "psd", in, Path("o.psd"), "--depth", "12"}, 2, "8, 16 or 32"},
      {{"export", "psd", in, Path("o.psd"), "--bogus", "1"}, 2, "unknown option"},
      {{"export", "cube", in, Path("c"), "--size", "10x10"}, 2, "--cube-side"},
      {{"export", "cube", in, Path("c"), "--cube-side", "30001"}, 2, "at most 30000"},
      {{"export", "cube", in, Path("c"), "--cube-side", "0"}, 2, "at most 30000"},
      {{"export", "psd", in, Path("o.psd"), "--size", "30000x30000", "--depth", "16"}, 1, "larger than a PSD file"},
      {{"export", "psd", Path("missing.png"), Path("o.psd")}, 1, "missing.png"},
      {{"export", "psd", in, Path("nowhere/o.psd")}, 1, "missing or not writable"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Run(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back() << ": " << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"in.png"}) << run.err;
  }
}

// Ctrl-C at the nth abort test: early in a document, and (for a cube map)
// after the first faces were complete. Nothing is written, an older target
// keeps its contents, a folder made for the export goes again, and the
// temporary folder is empty.
TEST_F(ExportProgram, CtrlCWritesNothingAndLeavesNoScratchFile) {
  struct Case {
    std::vector<std::string> args;
    const char* at;
  };
  std::ofstream(Path("keep.psd")) << "older contents";
  const std::string in = Path("in.png");
  const Case cases[] = {
      {{"export", "psd", in, Path("keep.psd"), "--size", "300x200"}, "2"},
      {{"export", "psd", in, Path("keep.psd"), "--size", "300x200"}, "5"},
      {{"export", "cube", in, Path("made"), "--cube-side", "200"}, "2"},
      {{"export", "cube", in, Path("made"), "--cube-side", "200"}, "40"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Run(c.args, std::string("ORBALIX_TEST_INTERRUPT_AT_ABORT_TEST=") + c.at);
    EXPECT_EQ(run.exitCode, 130) << c.args[1] << " at " << c.at << ": " << run.err;
    EXPECT_NE(run.err.find("cancelled"), std::string::npos) << run.err;
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.png", "keep.psd"})) << c.args[1] << " at " << c.at;
    EXPECT_EQ(ReadText(Path("keep.psd")), "older contents");
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
  }
}

// A write that fails (here: past a file-size limit) is reported, and the
// target and its folder are as they were.
TEST_F(ExportProgram, AFailedWriteIsReportedAndLeavesNothing) {
  std::ofstream(Path("keep.psd")) << "older contents";
  for (const char* kind : {"psd", "cube"}) {
    const std::vector<std::string> args =
        std::string(kind) == "psd"
            ? std::vector<std::string>{"export", "psd", Path("in.png"), Path("keep.psd"), "--size", "300x200"}
            : std::vector<std::string>{"export", "cube", Path("in.png"), Path("c.psd"), "--cube-side", "200"};
    // Blocks of 1024 bytes: 60 KB, less than one document.
    const ProgramRun run = Run(args, "ulimit -f 60;");
    EXPECT_EQ(run.exitCode, 1) << kind << ": " << run.err;
    EXPECT_NE(run.err.find("could not be written completely"), std::string::npos) << run.err;
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.png", "keep.psd"})) << kind;
    EXPECT_EQ(ReadText(Path("keep.psd")), "older contents");
  }
  // The target's name is taken by a folder: the finished file cannot be
  // renamed over it, and goes.
  fs::create_directories(Path("taken.psd/inside"));
  const ProgramRun run = Run({"export", "psd", Path("in.png"), Path("taken.psd")});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("could not take the target's name"), std::string::npos) << run.err;
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.png", "keep.psd", "taken.psd", "taken.psd/inside"}));
}

TEST_F(ExportProgram, ProgressBarOnATerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script command to make a terminal";
  const std::string inner = ShellQuote(ORBALIX_PROGRAM) + " export cube " + ShellQuote(Path("in.png")) + " " +
                            ShellQuote(Path("cube.psd")) + " --cube-side 64";
  const std::string command = "TMPDIR=" + ShellQuote((dir / "tmp").string()) + " script -qec " + ShellQuote(inner) +
                              " /dev/null >" + ShellQuote(Path("shown.txt"));
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string shown = ReadText(Path("shown.txt"));
  EXPECT_NE(shown.find("orbalix export ["), std::string::npos) << shown;
  EXPECT_NE(shown.find(" 50%"), std::string::npos) << shown;
  EXPECT_NE(shown.find("########################################] 100%"), std::string::npos) << shown;
}

}  // namespace
