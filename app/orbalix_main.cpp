// The orbalix program: runs the filter on image files.
//
//   orbalix render IN OUT [options]
//   orbalix export KIND IN OUT [options]
//   orbalix list inputs|outputs|glue
//   orbalix --help
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/export_command.h"
#include "app/filter_run.h"
#include "app/image_files.h"
#include "app/memory_budget.h"
#include "app/output_files.h"
#include "app/run_signals.h"
#include "app/settings_file_io.h"
#include "app/terminal_progress.h"
#include "render/worker_pool.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxThreads = 256;

struct RenderCommand {
  std::string inPath;
  std::string outPath;
  int32_t width = 0;  // 0: the source's own size
  int32_t height = 0;
  std::vector<SettingValue> settings;
  std::string settingsFile;      // --settings
  std::string saveSettingsFile;  // --save-settings
  int64_t memoryBudget = 0;      // --memory-budget; 0: half of the machine's memory
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
      "  or:  orbalix export psd|cube|jpeg|obj|brick|dots|convert-presets IN OUT [OPTION]...\n"
      "  or:  orbalix export presets FOLDER PAGE.html\n"
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
      "  --memory-budget SIZE     the memory the run may take, such as 800M or 16G\n"
      "                           (default: half of this machine's memory)\n"
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
      "A progress bar is drawn when stderr is a terminal. Ctrl-C or SIGTERM stops\n"
      "the run within a moment and leaves OUT, the settings file and their folders\n"
      "as they were; a second one stops it at once. OUT and the settings file are\n"
      "replaced together and only when the whole run succeeded.\n"
      "\n"
      "Exit status: 0 on success, 1 when the run fails, 2 for a usage error,\n"
      "130 when stopped by Ctrl-C, 143 by SIGTERM.\n");
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
  // Sides beyond the document's limit are refused later with that limit.
  auto side = [](const std::string& digits) {
    const size_t start = std::min(digits.find_first_not_of('0'), digits.size());
    return digits.size() - start > 9 ? int32_t(1000000000) : int32_t(std::stol("0" + digits));
  };
  *width = side(w);
  *height = side(h);
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
    if (!option && name != "size" && name != "settings" && name != "save-settings" && name != "memory-budget" &&
        name != "threads")
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
    if (name == "memory-budget") {
      if (!ParseByteSize(value, &command->memoryBudget))
        return UsageError("--memory-budget: expected a size such as 800M or 16G, not \"" + value + "\"");
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

void ProgressSinkOfProgram(int32_t done, int32_t total) { ShowProgress(done, total); }

bool AbortTestOfProgram() { return StopCheckpoint(RunPhase::Render); }

std::string StoppedText(const RenderCommand& command) {
  std::string what = command.outPath;
  if (!command.saveSettingsFile.empty()) what += " and " + command.saveSettingsFile;
  return "orbalix: cancelled; " + what + (command.saveSettingsFile.empty() ? " was" : " were") + " not written\n";
}

int Stopped(const RenderCommand& command) {
  CancelStopDeadline();
  std::fputs(StoppedText(command).c_str(), stderr);
  return 128 + (StopSignal() != 0 ? StopSignal() : SIGINT);
}

// Refuses a header the run cannot take: a document side beyond the host's
// limit (without --size), or more memory than the budget.
bool AcceptSource(const RenderCommand& command, int64_t budget, const ImageHeader& header, std::string* error) {
  if (command.width == 0 && (header.width > kLargestDocumentSide || header.height > kLargestDocumentSide)) {
    *error = command.inPath + ": the document is " + std::to_string(header.width) + " x " +
             std::to_string(header.height) + " pixels; a side may be at most " + std::to_string(kLargestDocumentSide) +
             " (resample it with --size)";
    return false;
  }
  const int64_t width = command.width > 0 ? command.width : header.width;
  const int64_t height = command.height > 0 ? command.height : header.height;
  const RunMemory need = EstimateRunMemory(header, width, height);
  if (need.bytes <= budget) return true;
  *error = command.inPath + ": the image is " + std::to_string(header.width) + " x " + std::to_string(header.height) +
           " pixels (" + std::to_string(header.channels) + " channels of " + std::to_string(header.bitsPerChannel) +
           " bits); " + need.phase + " would need about " + ByteSizeText(need.bytes) + ", more than the memory budget of " +
           ByteSizeText(budget) + " (raise it with --memory-budget)";
  return false;
}

// Writes the outputs to their scratch files and puts them in place together.
int WriteOutputs(const RenderCommand& command, const ImageFile& image, const ParameterBlock& settingsUsed) {
  std::string error;
  PendingOutput imageOut, settingsOut;
  std::vector<PendingOutput*> outputs = {&imageOut};
  auto fail = [&](int code) {
    DiscardOutput(&imageOut);
    DiscardOutput(&settingsOut);
    return code == 0 ? Stopped(command) : Fail(code, error);
  };
  if (!BeginOutput(command.outPath, &imageOut, &error)) return fail(kExitFailure);
  WriteOptions options;
  options.stop = [] { return StopCheckpoint(RunPhase::Write); };
  const IoResult written = WriteImage(imageOut.fd, FormatFromPath(command.outPath), command.outPath, image, options, &error);
  if (written == IoResult::Stopped) return fail(0);
  if (written != IoResult::Ok || !FinishOutput(&imageOut, &error)) return fail(kExitFailure);
  if (!command.saveSettingsFile.empty()) {
    outputs.push_back(&settingsOut);
    if (!BeginOutput(command.saveSettingsFile, &settingsOut, &error)) return fail(kExitFailure);
    if (!WriteSettingsWithThumbnail(settingsOut.fd, command.saveSettingsFile, settingsUsed, image, &error,
                                    options.stop))
      return fail(StopRequested() ? 0 : kExitFailure);
    if (!FinishOutput(&settingsOut, &error)) return fail(kExitFailure);
  }
  // From here the run is either stopped before the outputs move, or
  // complete: the signals wait until the program ends.
  HeldSignals held;
  HoldStopSignals(&held);
  if (StopRequested()) {
    ReleaseStopSignals(held);
    return fail(0);
  }
  if (!CommitOutputs(outputs, &error)) return Fail(kExitFailure, error);
  return 0;
}

int RenderCommandRun(const RenderCommand& command) {
  if (FormatFromPath(command.outPath) == ImageFormat::Unknown)
    return Fail(kExitUsage, command.outPath + ": unknown output format (use .png, .jpg, .jpeg, .tif or .tiff)");
  if (!command.saveSettingsFile.empty() &&
      (SameFile(command.saveSettingsFile, command.outPath) || SameFile(command.saveSettingsFile, command.inPath)))
    return UsageError("--save-settings: " + command.saveSettingsFile + " is the " +
                      (SameFile(command.saveSettingsFile, command.inPath) ? "input" : "output") +
                      " image; name another file for the settings");
  std::string error;
  if (!CheckOutputTarget(command.outPath, &error)) return Fail(kExitFailure, error);
  if (!command.saveSettingsFile.empty() && !CheckOutputTarget(command.saveSettingsFile, &error))
    return Fail(kExitFailure, error);
  if (!command.settingsFile.empty() && !CheckSettingsFile(command.settingsFile, &error))
    return Fail(kExitFailure, error);
  if (command.width > kLargestDocumentSide || command.height > kLargestDocumentSide) {
    return Fail(kExitFailure, "--size " + std::to_string(command.width) + "x" + std::to_string(command.height) +
                                  ": a side of the document may be at most " + std::to_string(kLargestDocumentSide));
  }
  SetStopReport(StoppedText(command));
  CatchStopSignals();
  LoadStopTestHook();
  const int64_t budget = command.memoryBudget > 0 ? command.memoryBudget : DefaultMemoryBudget();
  // The thread count holds for reading and writing the files as for the
  // render.
  SetRenderThreadCount(command.threads);

  // One set of helper threads serves the whole run: it decodes the file,
  // converts the source into the filter's tiles, builds its levels and
  // encodes the output (the render keeps a pool of its own).
  ParallelScope helpers(RenderThreadCount());

  // IN is opened once (it may be a pipe); the header is checked before any
  // pixel memory is taken.
  ImageFile image;
  {
    InputFile input;
    if (!OpenInputFile(command.inPath, budget, &input, &error)) return Fail(kExitFailure, error);
    ReadOptions read;
    read.acceptHeader = [&](const ImageHeader& header, std::string* refusal) {
      return AcceptSource(command, budget, header, refusal);
    };
    read.decoderMemory = budget;
    read.stop = [] { return StopCheckpoint(RunPhase::Decode); };
    const IoResult result = ReadImage(&input, read, &image, &error);
    if (result == IoResult::Stopped) return Stopped(command);
    if (result != IoResult::Ok) return Fail(kExitFailure, error);
  }
  if (command.width > 0 && (command.width != image.width || command.height != image.height)) {
    const IoResult result = ResampleImageInPlace(&image, command.width, command.height,
                                                 [] { return StopCheckpoint(RunPhase::Resample); });
    if (result == IoResult::Stopped) return Stopped(command);
  }
  if (!ImageFitsDocument(image, &error)) return Fail(kExitFailure, command.inPath + ": " + error);

  FilterRunSettings settings;
  settings.settings = command.settings;
  settings.settingsFile = command.settingsFile;
  settings.progress = ProgressSinkOfProgram;
  settings.abortTest = AbortTestOfProgram;
  FilterRunOutcome outcome;
  BeginProgressBar("orbalix");
  const bool ok = RunFilterOnImage(&image, settings, &outcome);
  EndProgressBar(ok);
  if (outcome.cancelled || StopRequested()) return Stopped(command);
  if (!ok) return Fail(kExitFailure, command.inPath + ": " + outcome.message + "; " + command.outPath +
                                         " was not written");
  return WriteOutputs(command, image, outcome.settingsUsed);
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
