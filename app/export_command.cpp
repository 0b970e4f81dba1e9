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
#include "export/brick_exports.h"
#include "export/geometry_export.h"
#include "export/html_pages.h"
#include "export/metadata_blocks.h"
#include "export/psd_writer.h"
#include "export/thumbnail_pass.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "nets/net_build.h"
#include "settings/preset_conversion.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;
constexpr const char* kCubeMapName = "Cube map.psd";

enum class ExportTarget { Psd, Cube, Jpeg, Obj, Brick, Dots, Presets, ConvertPresets };

struct TargetName {
  const char* name;
  ExportTarget target;
};
constexpr TargetName kTargets[] = {
    {"psd", ExportTarget::Psd},         {"cube", ExportTarget::Cube},   {"jpeg", ExportTarget::Jpeg},
    {"obj", ExportTarget::Obj},         {"brick", ExportTarget::Brick}, {"dots", ExportTarget::Dots},
    {"presets", ExportTarget::Presets}, {"convert-presets", ExportTarget::ConvertPresets}};
constexpr const char* kTargetList = "psd, cube, jpeg, obj, brick, dots, presets, convert-presets";

constexpr const char* kPlanName = "Sphere plan.psd";
constexpr const char* kStatisticsName = "Sphere statistics.html";
constexpr const char* kLDrawName = "LDraw file.ldr";

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
  ExportTarget target = ExportTarget::Psd;
  int32_t kind = ExportPlain;
  std::string folder;   // brick: where the three files go; convert-presets: the folder converted
  std::string written;  // what was written, for the report
  std::string refusal;  // a refusal of the filter's settings, in words
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
  if (args.empty()) return UsageError(std::string("export takes one of: ") + kTargetList);
  bool known = false;
  for (const TargetName& t : kTargets) {
    if (args[0] == t.name) {
      command->target = t.target;
      known = true;
    }
  }
  if (!known) return UsageError(std::string("export takes one of: ") + kTargetList + " (not '" + args[0] + "')");
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
    if ((name == "size" || name == "depth") && command->target != ExportTarget::Psd &&
        command->target != ExportTarget::Cube && !(name == "size" && command->target == ExportTarget::Jpeg))
      return UsageError("export " + args[0] + " does not take --" + name);
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
      if (command->target == ExportTarget::Jpeg &&
          (command->width > kJpegMaxSide || command->height > kJpegMaxSide ||
           int64_t(command->width) * command->height > kJpegMaxPixels))
        return UsageError("--size " + value + ": a JPEG picture may be at most " + std::to_string(kJpegMaxSide) +
                          " pixels a side and " + std::to_string(kJpegMaxPixels / 1000000) + " million pixels");
      if (command->target != ExportTarget::Jpeg && (command->width > kPsdMaxSide || command->height > kPsdMaxSide))
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
  if (paths.size() != 2) {
    if (command->target == ExportTarget::Presets) return UsageError("export presets takes a folder and a page");
    if (command->target == ExportTarget::ConvertPresets)
      return UsageError("export convert-presets takes an input file and a folder");
    return UsageError("export takes an input file and an output");
  }
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
  const bool intoFolder = (command.target == ExportTarget::Cube && !EndsWithNoCase(out, ".psd")) ||
                          command.target == ExportTarget::Brick;
  if (intoFolder) {
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    *path = out + "/" + (command.target == ExportTarget::Brick ? kStatisticsName : kCubeMapName);
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
  if (command.target == ExportTarget::Brick) {
    const std::string folder = jobPath.substr(0, jobPath.find_last_of('/') + 1);
    return "the brick sphere's files in " + folder;
  }
  if (command.target == ExportTarget::Obj) {
    GeometryNames names;
    if (BuildGeometryNames(jobPath.c_str(), &names))
      return jobPath + ", " + names.mtl + ", " + names.stl + " and " + names.jpg;
  }
  if (command.target == ExportTarget::Dots) return jobPath + " and its pictures";
  if (command.target != ExportTarget::Cube) return jobPath;
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

// A JPEG of the current settings at the plan's size.
int16_t RunJpegJob(GlobalsRecord* globals, ExportJobContext* job) {
  ExportFileSet files;
  InitExportFileSet(&files, true);
  int16_t result = RunTextureExportJob(globals, job->fileSpec.path, &job->cancel, &files);
  if (result == kExportDone && job->cancel != 0) result = kExportCancelled;
  if (result == kExportDone) {
    result = CommitExportFiles(&files);
  } else {
    DiscardExportFiles(&files);
  }
  return result;
}

int16_t RunBrickJob(GlobalsRecord* globals, ExportJobContext* job) {
  const ParameterBlock* block = GetParameterBlock(globals);
  if (block->spherePlan == 0 && block->sphereStats == 0 && block->ldraw == 0) {
    job->refusal = "nothing to export: set --sphere-plan, --sphere-stats or --ldraw";
    return kExportKindUnavailable;
  }
  FileSpec plan{}, statistics{}, ldraw{};
  SetFileSpecName(&plan, (job->folder + kPlanName).c_str(), kMaxPathLength);
  SetFileSpecName(&statistics, (job->folder + kStatisticsName).c_str(), kMaxPathLength);
  SetFileSpecName(&ldraw, (job->folder + kLDrawName).c_str(), kMaxPathLength);
  BrickSphereFiles files{block->spherePlan != 0 ? &plan : nullptr, block->sphereStats != 0 ? &statistics : nullptr,
                         block->ldraw != 0 ? &ldraw : nullptr};
  for (const FileSpec* f : {files.plan, files.statistics, files.ldraw}) {
    if (f != nullptr) job->written += (job->written.empty() ? "" : ", ") + std::string(f->path);
  }
  return ExportBrickSphereFiles(globals, &files, &job->cancel, true);
}

bool ThumbnailOfProgram(void* /*context*/, GlobalsRecord* globals, SettingsThumbnail* thumbnail) {
  return !StopRequested() && RenderSettingsThumbnail(globals, thumbnail);
}

int16_t RunExportTarget(GlobalsRecord* globals, ExportJobContext* job) {
  switch (job->target) {
    case ExportTarget::Psd:
    case ExportTarget::Cube:
      return RunPsdExportJobDiscardingCancelled(globals, &job->fileSpec, &job->cancel);
    case ExportTarget::Jpeg:
      return RunJpegJob(globals, job);
    case ExportTarget::Obj: {
      const int32_t output = GetParameterBlock(globals)->outputProjection;
      if (!IsNetOfSolid(output == 261 ? 1035 : output)) {
        job->refusal = "export obj needs an output projection that is the net of a solid; output " +
                       std::to_string(output) + " is not";
        return kExportKindUnavailable;
      }
      const int16_t result = ExportPolyhedronGeometry(globals, &job->fileSpec, &job->cancel, true);
      if (result == kExportKindUnavailable)
        job->refusal = "the net of output " + std::to_string(output) + " cannot be built in this build";
      return result;
    }
    case ExportTarget::Brick:
      return RunBrickJob(globals, job);
    case ExportTarget::Dots: {
      int32_t pictures = 0;
      const int16_t result = WriteMemoryDotsPage(globals, job->fileSpec.path, &job->cancel, &pictures);
      job->written = job->fileSpec.path + std::string(" with ") + std::to_string(pictures) + " memory dot" +
                     (pictures == 1 ? "" : "s");
      return job->cancel != 0 ? kExportCancelled : result;
    }
    case ExportTarget::ConvertPresets: {
      PresetConversionReport report{};
      ConvertPresetFolder(globals, job->folder.c_str(), ThumbnailOfProgram, job, &report);
      if (!report.listed) {
        job->refusal = "cannot list the folder " + job->folder;
        return kExportCannotOpen;
      }
      job->written = std::to_string(report.converted) + " preset" + (report.converted == 1 ? "" : "s") +
                     " converted, " + std::to_string(report.renamed) + " renamed to .q5q";
      if (report.failed > 0) {
        job->refusal = std::to_string(report.failed) + " preset" + (report.failed == 1 ? "" : "s") +
                       " could not be converted; " + job->written;
        return kExportWriteFailed;
      }
      return StopRequested() ? kExportCancelled : kExportDone;
    }
    case ExportTarget::Presets:
      break;
  }
  return kExportKindUnavailable;
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
  job->result = RunExportTarget(globals, job);
  SetExportProgressListener(nullptr, nullptr);
}

// The presets page needs no render: the thumbnails are in the files.
int RunPresetsPage(const ExportCommand& command) {
  std::error_code ec;
  if (!fs::is_directory(command.inPath, ec)) return Fail(kExitFailure, command.inPath + ": not a folder");
  if (command.outPath.size() > size_t(kMaxPathLength) || command.inPath.size() > size_t(kMaxPathLength))
    return Fail(kExitFailure, "the path is longer than " + std::to_string(kMaxPathLength) + " characters");
  CatchStopSignals();
  const ExportScratchWatch watch = {RegisterScratchFile, UnregisterScratchFile};
  SetExportScratchWatch(&watch);
  int32_t pictures = 0;
  const int16_t result = WritePresetsPage(nullptr, command.outPath.c_str(), command.inPath.c_str(), &pictures);
  if (result != kExportDone)
    return Fail(kExitFailure, command.outPath + " not written: " + ExportResultText(result));
  std::printf("orbalix: %s written with %d preset%s\n", command.outPath.c_str(), int(pictures),
              pictures == 1 ? "" : "s");
  return 0;
}

// The extension each single-file target's output must have.
bool CheckOutputName(const ExportCommand& command, std::string* error) {
  struct Rule {
    ExportTarget target;
    const char* name;
    std::vector<const char*> extensions;
  };
  const Rule rules[] = {{ExportTarget::Psd, "psd", {".psd"}},
                        {ExportTarget::Jpeg, "jpeg", {".jpg", ".jpeg"}},
                        {ExportTarget::Obj, "obj", {".obj"}},
                        {ExportTarget::Dots, "dots", {".html", ".htm"}},
                        {ExportTarget::Presets, "presets", {".html", ".htm"}}};
  for (const Rule& rule : rules) {
    if (rule.target != command.target) continue;
    for (const char* extension : rule.extensions) {
      if (EndsWithNoCase(command.outPath, extension)) return true;
    }
    *error = command.outPath + ": the output of export " + rule.name + " must end in " + rule.extensions[0];
    return false;
  }
  return true;
}

int RunExport(const ExportCommand& command) {
  std::string error;
  if (!CheckOutputName(command, &error)) return Fail(kExitUsage, error);
  if (command.target == ExportTarget::Presets) return RunPresetsPage(command);
  if (!command.settingsFile.empty() && !CheckSettingsFile(command.settingsFile, &error))
    return Fail(kExitFailure, error);
  std::string jobPath, madeFolder;
  if (command.target == ExportTarget::ConvertPresets) {
    std::error_code ec;
    jobPath = command.outPath;
    if (!fs::is_directory(jobPath, ec) || access(jobPath.c_str(), W_OK | X_OK) != 0)
      return Fail(kExitFailure, jobPath + ": not a folder that can be written");
    if (jobPath.size() > size_t(kMaxPathLength) - 8)
      return Fail(kExitFailure, jobPath + ": the path is too long");
  } else if (!JobPath(command, &jobPath, &madeFolder, &error)) {
    return Fail(kExitFailure, error);
  }
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
  job.target = command.target;
  job.kind = command.target == ExportTarget::Cube ? ExportCubeFaces
                                                   : (command.width > 0 ? ExportSizedPsd : ExportPlain);
  if (command.target == ExportTarget::Brick) job.kind = ExportBrickPlan;
  if (command.target == ExportTarget::Obj) job.kind = ExportFaceTextures;
  if (command.target == ExportTarget::Brick) job.folder = jobPath.substr(0, jobPath.find_last_of('/') + 1);
  if (command.target == ExportTarget::ConvertPresets) job.folder = jobPath;
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
  if (job.result != kExportDone) {
    if (!job.refusal.empty()) return Fail(kExitFailure, job.refusal);
    return Fail(kExitFailure, names + " not written: " + ExportResultText(job.result));
  }
  guard.keep = true;
  if (!job.written.empty()) std::printf("orbalix: %s\n", job.written.c_str());
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
         "  orbalix export jpeg IN OUT.jpg [--size WxH] [OPTION]...\n"
         "      writes the rendered panorama as a JPEG picture (quality 80)\n"
         "  orbalix export obj IN OUT.obj [OPTION]...\n"
         "      for an output that is the net of a solid: OUT.obj, OUT.mtl, OUT.stl\n"
         "      and the texture OUT.jpg (spaces in the name become underscores)\n"
         "  orbalix export brick IN FOLDER [--sphere-plan on|off] [--sphere-stats on|off] [--ldraw on|off] [OPTION]...\n"
         "      the brick sphere: \"Sphere plan.psd\", \"Sphere statistics.html\" and\n"
         "      \"LDraw file.ldr\" in FOLDER, as the three switches ask\n"
         "  orbalix export dots IN PAGE.html [OPTION]...\n"
         "      a page with a picture of each filled memory dot\n"
         "  orbalix export presets FOLDER PAGE.html\n"
         "      a page with the thumbnail of every .q2q settings file in FOLDER\n"
         "  orbalix export convert-presets IN FOLDER [OPTION]...\n"
         "      re-saves every .q9q and .q5q preset in FOLDER as a current settings\n"
         "      file with a thumbnail rendered from IN; .q9q files become .q5q\n"
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
