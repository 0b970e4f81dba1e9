// The export command runs the filter on IN up to the point where its render
// would begin, and there runs the export job as the filter's dialog does:
// the export kind and sizes go into the settings, the job renders every
// layer into the export image and writes the documents beside their targets,
// and renames them only when all are complete. Ctrl-C stops the job; nothing
// is then written and no scratch file stays behind.
#include "app/export_command.h"

#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "app/app_settings.h"
#include "app/filter_run.h"
#include "app/image_files.h"
#include "app/memory_budget.h"
#include "app/settings_file_io.h"
#include "app/run_signals.h"
#include "app/terminal_progress.h"
#include "export/export_files.h"
#include "export/export_jobs.h"
#include "export/export_passes.h"
#include "export/export_plan.h"
#include "export/psd_writer.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;
constexpr const char* kCubeMapName = "Cube map.psd";

enum class ExportTarget { Psd, Cube };

struct ExportCommand {
  ExportTarget target = ExportTarget::Psd;
  std::string inPath;
  std::string outPath;
  int32_t width = 0;  // --size; 0: the size of IN
  int32_t height = 0;
  int32_t depth = 0;  // --depth; 0: the depth of IN
  std::vector<SettingValue> settings;
  std::string settingsFile;
};

// What the job needs inside the filter and what it answers.
struct ExportJobContext {
  int32_t kind = ExportPlain;
  int32_t width = 0;
  int32_t height = 0;
  FileSpec fileSpec{};
  uint8_t cancel = 0;
  bool ran = false;
  int16_t result = kExportDone;
};

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "orbalix: %s\n", message.c_str());
  return code;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "orbalix: %s\nTry 'orbalix --help' for more information.\n", message.c_str());
  return kExitUsage;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    const char a = text[text.size() - tail.size() + i];
    if (std::tolower(static_cast<unsigned char>(a)) != tail[i]) return false;
  }
  return true;
}

bool ParseWholeNumber(const std::string& text, int64_t* value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = std::stoll(text);
  return true;
}

bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  int64_t w = 0, h = 0;
  if (!ParseWholeNumber(text.substr(0, x), &w) || !ParseWholeNumber(text.substr(x + 1), &h)) return false;
  if (w < 1 || h < 1) return false;
  *width = int32_t(w);
  *height = int32_t(h);
  return true;
}

std::string SideLimitText() { return "a PSD document may be at most " + std::to_string(kPsdMaxSide) + " pixels a side"; }

// Parses "psd|cube IN OUT [options]"; answers 0 or the exit code of the error.
int ParseExport(const std::vector<std::string>& args, ExportCommand* command) {
  if (args.empty()) return UsageError("export takes one of: psd, cube");
  if (args[0] == "psd") {
    command->target = ExportTarget::Psd;
  } else if (args[0] == "cube") {
    command->target = ExportTarget::Cube;
  } else {
    return UsageError("export takes one of: psd, cube (not '" + args[0] + "')");
  }
  std::vector<std::string> paths;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      for (++i; i < args.size(); ++i) paths.push_back(args[i]);
      break;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg.size() > 1 && arg[0] == '-') return UsageError("unknown option '" + arg + "'");
      paths.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2), value;
    const size_t equals = name.find('=');
    const bool hasValue = equals != std::string::npos;
    if (hasValue) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const SettingOption* option = FindSettingOption(name);
    const bool own = name == "size" || name == "depth" || name == "settings";
    if (!option && !own) return UsageError("unknown option '--" + name + "'");
    if (name == "size" && command->target == ExportTarget::Cube)
      return UsageError("export cube takes its side from --cube-side, not --size");
    if (!hasValue) {
      if (i + 1 >= args.size()) return UsageError("option '--" + name + "' needs a value");
      value = args[++i];
    }
    if (name == "settings") {
      if (value.empty()) return UsageError("option '--settings' needs a file name");
      command->settingsFile = value;
    } else if (name == "size") {
      if (!ParseSize(value, &command->width, &command->height))
        return UsageError("--size: expected WxH with positive whole numbers, not \"" + value + "\"");
      if (command->width > kPsdMaxSide || command->height > kPsdMaxSide)
        return UsageError("--size " + value + ": " + SideLimitText());
    } else if (name == "depth") {
      if (value != "8" && value != "16" && value != "32")
        return UsageError("--depth: expected 8, 16 or 32, not \"" + value + "\"");
      command->depth = std::atoi(value.c_str());
    } else {
      SettingValue setting;
      std::string error;
      if (!ParseSettingValue(*option, value, &setting, &error)) return UsageError(error);
      if (name == "cube-side" && (setting.integer < 1 || setting.integer > kPsdMaxSide))
        return UsageError("--cube-side " + value + ": " + SideLimitText());
      command->settings.push_back(setting);
    }
  }
  if (paths.size() != 2) return UsageError("export takes an input file and an output");
  command->inPath = paths[0];
  command->outPath = paths[1];
  return 0;
}

// The path the job is given: OUT for a PSD; for a cube map, the name whose
// extension the face suffixes go before (OUT itself when it names a .psd,
// else "Cube map.psd" in the folder OUT, which is made when missing and
// stored in *madeFolder).
bool JobPath(const ExportCommand& command, std::string* path, std::string* madeFolder, std::string* error) {
  std::string out = command.outPath;
  const bool intoFolder = command.target == ExportTarget::Cube && !EndsWithNoCase(out, ".psd");
  if (intoFolder) {
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    *path = out + "/" + kCubeMapName;
  } else {
    *path = out;
  }
  // The faces' names are two characters longer.
  const size_t limit = size_t(kMaxPathLength) - (command.target == ExportTarget::Cube ? 2 : 0);
  if (path->size() > limit) {
    *error = *path + ": the path is longer than " + std::to_string(limit) + " characters";
    return false;
  }
  std::error_code ec;
  if (intoFolder && !fs::is_directory(out, ec)) {
    fs::create_directory(out, ec);
    if (ec) {
      *error = "cannot make the folder " + out + ": " + ec.message();
      return false;
    }
    *madeFolder = out;
  }
  const size_t slash = path->find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path->substr(0, slash));
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    *error = "cannot write " + *path + ": the folder " + folder + " is missing or not writable";
    if (!madeFolder->empty()) fs::remove(*madeFolder, ec);
    return false;
  }
  return true;
}

// The names the job will write, for the messages.
std::string WrittenNames(const ExportCommand& command, const std::string& jobPath) {
  if (command.target == ExportTarget::Psd) return jobPath;
  const std::string stem = jobPath.substr(0, jobPath.size() - 4);
  const std::string extension = jobPath.substr(jobPath.size() - 4);
  return stem + "_d" + extension + " ... " + stem + "_f" + extension;
}

// A test hook: the environment can ask for a Ctrl-C just before the nth
// abort test, so that the tests stop an export at a known point.
int32_t gInterruptAtAbortTest = 0;
int32_t gAbortTests = 0;

bool AbortTestOfProgram() {
  if (gInterruptAtAbortTest > 0 && ++gAbortTests == gInterruptAtAbortTest) std::raise(SIGINT);
  return StopRequested();
}

void ShowExportProgress(void* /*context*/, const GlobalsRecord* globals, int32_t rowsDone, int32_t rows) {
  const int64_t total = int64_t(globals->exportLayerTotal) * rows;
  const int64_t done = int64_t(globals->exportLayersDone) * rows + rowsDone;
  if (total <= 0) return;
  // The bar counts in thousandths of the job.
  ShowProgress(int32_t(done * 1000 / total), 1000);
}

void RunExportAtRenderStart(GlobalsRecord* globals, void* context) {
  auto* job = static_cast<ExportJobContext*>(context);
  job->ran = true;
  ParameterBlock* block = GetParameterBlock(globals);
  block->exportKind = job->kind;
  if (job->kind == ExportSizedPsd) {
    block->psdWidth = job->width;
    block->psdHeight = job->height;
  }
  SetExportProgressListener(ShowExportProgress, job);
  job->result = RunPsdExportJobDiscardingCancelled(globals, &job->fileSpec, &job->cancel);
  SetExportProgressListener(nullptr, nullptr);
}

int RunExport(const ExportCommand& command) {
  if (command.target == ExportTarget::Psd && !EndsWithNoCase(command.outPath, ".psd"))
    return Fail(kExitUsage, command.outPath + ": the output of export psd must end in .psd");
  std::string error;
  if (!command.settingsFile.empty() && !CheckSettingsFile(command.settingsFile, &error))
    return Fail(kExitFailure, error);
  std::string jobPath, madeFolder;
  if (!JobPath(command, &jobPath, &madeFolder, &error)) return Fail(kExitFailure, error);
  // A folder made for an export that writes nothing goes again.
  struct FolderGuard {
    std::string folder;
    bool keep = false;
    ~FolderGuard() {
      std::error_code ignored;
      if (!keep && !folder.empty()) fs::remove(folder, ignored);  // only when empty
    }
  } guard{madeFolder};
  CatchStopSignals();
  LoadStopTestHook();
  // A stop that cannot wait for the export removes its scratch files itself.
  const ExportScratchWatch watch = {RegisterScratchFile, UnregisterScratchFile};
  SetExportScratchWatch(&watch);
  SetStopReport("orbalix: cancelled; " + WrittenNames(command, jobPath) + " not written\n");
  // A file-size limit makes a write fail (and the export report it)
  // instead of ending the program with a scratch file left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  const int64_t budget = DefaultMemoryBudget();
  // IN is opened once (it may be a pipe); its header is checked before any
  // pixel memory is taken.
  ImageFile image;
  {
    InputFile input;
    if (!OpenInputFile(command.inPath, budget, &input, &error)) return Fail(kExitFailure, error);
    ReadOptions read;
    read.acceptHeader = [&](const ImageHeader& header, std::string* refusal) {
      if (header.width > kLargestDocumentSide || header.height > kLargestDocumentSide) {
        *refusal = command.inPath + ": the document is " + std::to_string(header.width) + " x " +
                   std::to_string(header.height) + " pixels; a side may be at most " +
                   std::to_string(kLargestDocumentSide);
        return false;
      }
      const RunMemory need = EstimateRunMemory(header, header.width, header.height);
      if (need.bytes <= budget) return true;
      *refusal = command.inPath + ": " + need.phase + " would need about " + ByteSizeText(need.bytes) +
                 ", more than the memory budget of " + ByteSizeText(budget);
      return false;
    };
    read.decoderMemory = budget;
    read.stop = [] { return StopCheckpoint(RunPhase::Decode); };
    const IoResult result = ReadImage(&input, read, &image, &error);
    if (result == IoResult::Stopped) return Fail(kExitCancelled, "cancelled; " + WrittenNames(command, jobPath) +
                                                                     " not written");
    if (result != IoResult::Ok) return Fail(kExitFailure, error);
  }
  if (command.depth != 0 && command.depth != image.bitsPerChannel) image = ConvertDepth(image, command.depth);
  if (!ImageFitsDocument(image, &error)) return Fail(kExitFailure, command.inPath + ": " + error);

  ExportJobContext job;
  job.kind = command.target == ExportTarget::Cube ? ExportCubeFaces
                                                   : (command.width > 0 ? ExportSizedPsd : ExportPlain);
  job.width = command.width;
  job.height = command.height;
  SetFileSpecName(&job.fileSpec, jobPath.c_str(), kMaxPathLength);

  FilterRunSettings settings;
  settings.settings = command.settings;
  settings.settingsFile = command.settingsFile;
  settings.abortTest = AbortTestOfProgram;
  settings.atRenderStart = RunExportAtRenderStart;
  settings.atRenderStartContext = &job;
  if (const char* at = std::getenv("ORBALIX_TEST_INTERRUPT_AT_ABORT_TEST")) gInterruptAtAbortTest = std::atoi(at);
  FilterRunOutcome outcome;
  BeginProgressBar("orbalix export");
  const bool ok = RunFilterOnImage(&image, settings, &outcome);
  const bool cancelled = outcome.cancelled || job.result == kExportCancelled || job.cancel != 0 || StopRequested();
  EndProgressBar(ok && job.ran && job.result == kExportDone && !cancelled);
  const std::string names = WrittenNames(command, jobPath);
  if (cancelled) return Fail(kExitCancelled, "cancelled; " + names + " not written");
  if (!ok) return Fail(kExitFailure, command.inPath + ": " + outcome.message + "; " + names + " not written");
  if (!job.ran) return Fail(kExitFailure, command.inPath + ": the filter did not reach its render; " + names +
                                              " not written");
  if (job.result != kExportDone)
    return Fail(kExitFailure, names + " not written: " + ExportResultText(job.result));
  guard.keep = true;
  return 0;
}

}  // namespace

const char* ExportCommandHelp() {
  return "Export:\n"
         "  orbalix export psd IN OUT.psd [--size WxH] [--depth 8|16|32] [OPTION]...\n"
         "      writes the rendered panorama as a PSD document at the size of IN, or\n"
         "      at --size (at most 30000 pixels a side), at the depth of IN or --depth\n"
         "  orbalix export cube IN FOLDER|NAME.psd [--cube-side N] [--depth 8|16|32] [OPTION]...\n"
         "      writes six PSD documents of the cube faces, named with the suffixes\n"
         "      _d _u _l _b _r _f (down, up, left, back, right, front): into FOLDER as\n"
         "      \"Cube map_d.psd\" ..., or beside NAME.psd as NAME_d.psd ...\n"
         "  The setting options and --settings are those of render. The documents\n"
         "  are written under temporary names and renamed when all are complete;\n"
         "  Ctrl-C stops the export and writes nothing.\n";
}

int ExportCommandMain(const std::vector<std::string>& args) {
  ExportCommand command;
  if (const int code = ParseExport(args, &command)) return code;
  try {
    return RunExport(command);
  } catch (const std::bad_alloc&) {
    return Fail(kExitFailure, "not enough memory; " + command.outPath + " was not written");
  }
}
