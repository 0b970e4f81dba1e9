// The orbalix program: runs the filter on image files.
//
//   orbalix render IN OUT [options]
//   orbalix export psd|cube IN OUT [options]
//   orbalix list inputs|outputs|glue
//   orbalix --help
#include <unistd.h>

#include <csignal>
#include <new>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/export_command.h"
#include "app/filter_run.h"
#include "app/image_files.h"
#include "app/settings_file_io.h"
#include "app/terminal_progress.h"
#include "render/worker_pool.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;
constexpr int kMaxThreads = 256;

struct RenderCommand {
  std::string inPath;
  std::string outPath;
  int32_t width = 0;  // 0: the source's own size
  int32_t height = 0;
  std::vector<SettingValue> settings;
  std::string settingsFile;      // --settings
  std::string saveSettingsFile;  // --save-settings
  int32_t threads = 0;           // --threads; 0: every core
};

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "orbalix: %s\n", message.c_str());
  return code;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "orbalix: %s\nTry 'orbalix --help' for more information.\n", message.c_str());
  return kExitUsage;
}

const char* ValueHint(SettingKind kind) {
  switch (kind) {
    case SettingKind::Input:
    case SettingKind::Output:
    case SettingKind::Glue: return "NAME|N";
    case SettingKind::Grid: return "SPACING";
    case SettingKind::Angle: return "DEGREES";
    case SettingKind::Integer: return "N";
    case SettingKind::Boolean: return "on|off";
    case SettingKind::Colour: return "R,G,B";
    case SettingKind::BrickColours: return "NAMES";
  }
  return "VALUE";
}

void PrintHelp() {
  std::printf(
      "Usage: orbalix render IN OUT [OPTION]...\n"
      "  or:  orbalix export psd|cube IN OUT [OPTION]...\n"
      "  or:  orbalix list inputs|outputs|glue\n"
      "Reproject the spherical panorama in the image file IN and write it to OUT.\n"
      "\n"
      "IN is a PNG, JPEG or TIFF file: grey or RGB, with or without alpha, at 8 or\n"
      "16 bits a channel, or 32-bit float TIFF. OUT is written in the format that its\n"
      "extension names (.png, .jpg/.jpeg, .tif/.tiff) at the depth of IN where the\n"
      "format allows. The filter runs on a document of the size of IN unless --size\n"
      "asks for another; unset settings have the filter's defaults.\n"
      "\n"
      "Options:\n"
      "  --size WxH               resample IN to W x H pixels before the filter runs\n"
      "  --settings FILE.q2q      start from the settings of a settings file; the\n"
      "                           setting options below then replace single settings\n"
      "  --save-settings FILE.q2q save the settings of the run, with a thumbnail\n"
      "  --threads N              render on N threads (default: one per core; 1\n"
      "                           renders on the program's own thread only)\n");
  for (const SettingOption& option : SettingOptions()) {
    const std::string left = std::string("--") + option.name + " " + ValueHint(option.kind);
    std::printf("  %-24s %s\n", left.c_str(), option.help);
  }
  std::printf(
      "  -h, --help               show this help and exit\n"
      "\n"
      "Projections and glue modes are given by name (case does not matter; quote\n"
      "names with spaces), by the name recorded actions show, or by number;\n"
      "'orbalix list inputs|outputs|glue' lists them.\n"
      "A progress bar is drawn when stderr is a terminal; Ctrl-C stops the run and\n"
      "leaves OUT unwritten.\n"
      "\n"
      "Exit status: 0 on success, 1 when the run fails, 2 for a usage error,\n"
      "130 when stopped by Ctrl-C.\n");
  std::printf("\n%s", ExportCommandHelp());
}

int ListCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("list takes one of: inputs, outputs, glue");
  SettingKind kind;
  if (args[0] == "inputs") {
    kind = SettingKind::Input;
  } else if (args[0] == "outputs") {
    kind = SettingKind::Output;
  } else if (args[0] == "glue") {
    kind = SettingKind::Glue;
  } else {
    return UsageError("list takes one of: inputs, outputs, glue (not '" + args[0] + "')");
  }
  for (const NamedChoice& choice : NamedChoices(kind)) {
    std::string line = choice.name;
    // The names recorded actions show, where they differ.
    for (size_t i = 0; i < choice.recordedNames.size(); ++i) {
      line += (i == 0 ? "  (recorded as \"" : ", \"") + choice.recordedNames[i] + "\"";
    }
    if (!choice.recordedNames.empty()) line += ")";
    std::printf("%5d  %s\n", int(choice.number), line.c_str());
  }
  return 0;
}

bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
  const std::string w = text.substr(0, x), h = text.substr(x + 1);
  if (w.find_first_not_of("0123456789") != std::string::npos || h.find_first_not_of("0123456789") != std::string::npos)
    return false;
  if (w.size() > 9 || h.size() > 9) return false;
  *width = int32_t(std::stol(w));
  *height = int32_t(std::stol(h));
  return *width > 0 && *height > 0;
}

// Parses "render IN OUT [options]"; answers 0 or the exit code of the error.
int ParseRender(const std::vector<std::string>& args, RenderCommand* command) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0 || arg == "--") {
      if (arg == "--") {
        for (++i; i < args.size(); ++i) paths.push_back(args[i]);
        break;
      }
      if (arg.size() > 1 && arg[0] == '-') return UsageError("unknown option '" + arg + "'");
      paths.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2), value;
    const size_t equals = name.find('=');
    bool hasValue = equals != std::string::npos;
    if (hasValue) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const SettingOption* option = FindSettingOption(name);
    if (!option && name != "size" && name != "settings" && name != "save-settings" && name != "threads")
      return UsageError("unknown option '--" + name + "'");
    if (!hasValue) {
      if (i + 1 >= args.size()) return UsageError("option '--" + name + "' needs a value");
      value = args[++i];
    }
    if (name == "settings" || name == "save-settings") {
      if (value.empty()) return UsageError("option '--" + name + "' needs a file name");
      (name == "settings" ? command->settingsFile : command->saveSettingsFile) = value;
      continue;
    }
    if (name == "threads") {
      if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos ||
          std::stoi(value) < 1 || std::stoi(value) > kMaxThreads)
        return UsageError("--threads: expected a whole number from 1 to " + std::to_string(kMaxThreads) + ", not \"" +
                          value + "\"");
      command->threads = std::stoi(value);
      continue;
    }
    if (!option) {
      if (!ParseSize(value, &command->width, &command->height))
        return UsageError("--size: expected WxH with positive whole numbers, not \"" + value + "\"");
      continue;
    }
    SettingValue setting;
    std::string error;
    if (!ParseSettingValue(*option, value, &setting, &error)) return UsageError(error);
    command->settings.push_back(setting);
  }
  if (paths.size() != 2) return UsageError("render takes an input file and an output file");
  command->inPath = paths[0];
  command->outPath = paths[1];
  return 0;
}

// The folder of the output must take a new file.
bool OutputFolderWritable(const std::string& path, std::string* error) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    *error = "cannot write " + path + ": the folder " + folder + " is missing or not writable";
    return false;
  }
  return true;
}

// A test hook: the environment can ask for a Ctrl-C just before the nth
// abort test, so that the tests stop a run at a known point.
int32_t gInterruptAtAbortTest = 0;
int32_t gAbortTests = 0;

void ProgressSinkOfProgram(int32_t done, int32_t total) { ShowProgress(done, total); }

bool AbortTestOfProgram() {
  if (gInterruptAtAbortTest > 0 && ++gAbortTests == gInterruptAtAbortTest) std::raise(SIGINT);
  return Interrupted();
}

int RenderCommandRun(const RenderCommand& command) {
  if (FormatFromPath(command.outPath) == ImageFormat::Unknown)
    return Fail(kExitUsage, command.outPath + ": unknown output format (use .png, .jpg, .jpeg, .tif or .tiff)");
  std::string error;
  if (!OutputFolderWritable(command.outPath, &error)) return Fail(kExitFailure, error);
  if (!command.saveSettingsFile.empty() && !OutputFolderWritable(command.saveSettingsFile, &error))
    return Fail(kExitFailure, error);
  if (!command.settingsFile.empty() && !CheckSettingsFile(command.settingsFile, &error))
    return Fail(kExitFailure, error);
  if (command.width > kLargestDocumentSide || command.height > kLargestDocumentSide) {
    return Fail(kExitFailure, "--size " + std::to_string(command.width) + "x" + std::to_string(command.height) +
                                  ": a side of the document may be at most " + std::to_string(kLargestDocumentSide));
  }
  // Without --size the source is the document: refuse an oversize one
  // before decoding it.
  int64_t sourceWidth = 0, sourceHeight = 0;
  if (!ReadImageSize(command.inPath, &sourceWidth, &sourceHeight, &error)) return Fail(kExitFailure, error);
  if (command.width == 0 && (sourceWidth > kLargestDocumentSide || sourceHeight > kLargestDocumentSide)) {
    return Fail(kExitFailure, command.inPath + ": the document is " + std::to_string(sourceWidth) + " x " +
                                  std::to_string(sourceHeight) + " pixels; a side may be at most " +
                                  std::to_string(kLargestDocumentSide) + " (resample it with --size)");
  }
  CatchInterrupt();
  ImageFile image;
  if (!ReadImageFile(command.inPath, &image, &error)) return Fail(kExitFailure, error);
  if (command.width > 0 && (command.width != image.width || command.height != image.height)) {
    image = ResampleImage(image, command.width, command.height);
  }
  if (!ImageFitsDocument(image, &error)) return Fail(kExitFailure, command.inPath + ": " + error);

  SetRenderThreadCount(command.threads);
  FilterRunSettings settings;
  settings.settings = command.settings;
  settings.settingsFile = command.settingsFile;
  settings.progress = ProgressSinkOfProgram;
  settings.abortTest = AbortTestOfProgram;
  if (const char* at = std::getenv("ORBALIX_TEST_INTERRUPT_AT_ABORT_TEST")) gInterruptAtAbortTest = std::atoi(at);
  FilterRunOutcome outcome;
  BeginProgressBar("orbalix");
  const bool ok = RunFilterOnImage(&image, settings, &outcome);
  EndProgressBar(ok);
  if (outcome.cancelled) return Fail(kExitCancelled, "cancelled; " + command.outPath + " was not written");
  if (!ok) return Fail(kExitFailure, command.inPath + ": " + outcome.message + "; " + command.outPath +
                                         " was not written");
  if (!WriteImageFile(command.outPath, image, &error)) return Fail(kExitFailure, error);
  if (!command.saveSettingsFile.empty() &&
      !SaveSettingsWithThumbnail(command.saveSettingsFile, outcome.settingsUsed, image, &error))
    return Fail(kExitFailure, error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return 0;
    }
  }
  if (args.empty()) return UsageError("no command given");
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "list") return ListCommand(args);
  if (command == "export") return ExportCommandMain(args);
  if (command == "render") {
    RenderCommand render;
    if (const int code = ParseRender(args, &render)) return code;
    try {
      return RenderCommandRun(render);
    } catch (const std::bad_alloc&) {
      return Fail(kExitFailure, "not enough memory; " + render.outPath + " was not written");
    }
  }
  if (command == "help") {
    PrintHelp();
    return 0;
  }
  return UsageError("unknown command '" + command + "' (render, export, list or --help)");
}
