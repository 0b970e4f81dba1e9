// The settings reach the filter the way a host replays a recorded step
// without its dialog: the parameters selector makes the filter's settings
// block in the host's parameters handle (with the filter's own defaults), the
// program then writes the chosen settings into that block, and the play
// information says "do not display". The host hands no scripting descriptor,
// so the start phase keeps the block as it is. The block is the filter's own
// settings record, so every setting goes in at full precision, including those
// a descriptor would carry only roughly (16-bit colours) or not at all.
//
// The filter keeps small files in the temporary folder (cached settings, undo,
// memory dots). The run gives it a folder of its own, removed afterwards, so
// that no state of another run leaks into this one and nothing is left behind.
#include "app/filter_run.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/run_signals.h"
#include "app/settings_file_io.h"
#include "host/parameter_block.h"
#include "host/phase_handlers.h"
#include "host/plugin_main.h"
#include "nets/net_build.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_host.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"

namespace {

constexpr int16_t kPlayDontDisplay = 0;

ProgressSink gProgress = nullptr;
AbortTest gAbortTest = nullptr;
bool gCancelled = false;

// The render-start hook: the host's advanceState is wrapped, and the first
// call made once the source has been read runs the hook and tells the
// filter to stop.
TestHost* gHookHost = nullptr;
const FilterRunSettings* gHookSettings = nullptr;
AdvanceStateProc gHostAdvanceState = nullptr;
bool gHookRan = false;

HostError AdvanceStateWithHook() {
  const ParameterBlock* block = GetParameterBlock(&gHookHost->record);
  GlobalsRecord* globals = gHookHost->data ? *reinterpret_cast<GlobalsRecord**>(gHookHost->data) : nullptr;
  if (gHookRan || block == nullptr || !block->sourceLoaded || globals == nullptr) return gHostAdvanceState();
  gHookRan = true;
  gHookSettings->atRenderStart(globals, gHookSettings->atRenderStartContext);
  return kUserCanceledErr;
}

void ProgressCallback(int32_t done, int32_t total) {
  if (gProgress) gProgress(done, total);
}

HostBoolean AbortCallback() {
  if (gAbortTest && gAbortTest()) gCancelled = true;
  return gCancelled ? 1 : 0;
}

// 16-bit file samples are 0..65535; the host's 16-bit channels are 0..32768.
uint16_t FileToHost16(uint16_t v) { return uint16_t((uint32_t(v) * 32768u + 32767u) / 65535u); }
uint16_t HostToFile16(uint16_t v) {
  return uint16_t(std::min<uint32_t>((uint32_t(v) * 65535u + 16384u) / 32768u, 65535u));
}

// The document takes the image's shape; its pixels come later (MovePixelsIn).
TestDocument DocumentShapedLike(const ImageFile& image) {
  TestDocument doc;
  doc.width = image.width;
  doc.height = image.height;
  doc.colourPlanes = int16_t(image.channels >= 3 ? 3 : 1);
  doc.depth = image.bitsPerChannel;
  doc.hasTransparency = image.channels == 2 || image.channels == 4;
  doc.filterRect = Rect{0, 0, int16_t(image.height), int16_t(image.width)};
  return doc;
}

// The image's pixels become the document's without a copy: both hold the
// channels of a pixel together, rows top to bottom. 16-bit samples change
// scale in place.
void MovePixelsIn(ImageFile* image, TestDocument* doc) {
  doc->pixels = std::move(image->pixels);
  image->pixels = PixelBytes();
  if (doc->depth != 16) return;
  for (size_t i = 0; i + 1 < doc->pixels.size(); i += 2) {
    uint16_t v;
    std::memcpy(&v, &doc->pixels[i], 2);
    v = FileToHost16(v);
    std::memcpy(&doc->pixels[i], &v, 2);
  }
}

void MovePixelsOut(TestDocument* doc, ImageFile* image) {
  image->pixels = std::move(doc->pixels);
  doc->pixels = PixelBytes();
  if (image->bitsPerChannel != 16) return;
  for (size_t i = 0; i + 1 < image->pixels.size(); i += 2) {
    uint16_t v;
    std::memcpy(&v, &image->pixels[i], 2);
    v = HostToFile16(v);
    std::memcpy(&image->pixels[i], &v, 2);
  }
}

// A host answers advanceState with "cancelled" once the user asked to stop,
// so that a filter that reads its source through the host stops there too.
HostError ProgramAdvanceState() {
  if (AbortCallback()) return kUserCanceledErr;
  return TestHostAdvanceState();
}

// A temporary folder of the run's own, named in TMPDIR while it lasts.
struct PrivateTempFolder {
  std::string path;
  std::string savedTmpdir;
  bool hadTmpdir = false;
  int slot = -1;  // in the registry of the stop signals
};

bool EnterPrivateTempFolder(PrivateTempFolder* folder) {
  const char* tmp = std::getenv("TMPDIR");
  folder->hadTmpdir = tmp != nullptr;
  if (tmp) folder->savedTmpdir = tmp;
  std::string pattern = (tmp && tmp[0] ? std::string(tmp) : std::string("/tmp")) + "/orbalix-run-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  // Made and registered in one step, so that a second stop signal finds it.
  HeldSignals held;
  HoldStopSignals(&held);
  const bool made = mkdtemp(buffer.data()) != nullptr;
  if (made) folder->slot = RegisterScratchFolder(buffer.data());
  ReleaseStopSignals(held);
  if (!made) return false;
  folder->path = buffer.data();
  setenv("TMPDIR", folder->path.c_str(), 1);
  return true;
}

void LeavePrivateTempFolder(PrivateTempFolder* folder) {
  if (folder->hadTmpdir) {
    setenv("TMPDIR", folder->savedTmpdir.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  std::error_code ignored;
  if (!folder->path.empty()) std::filesystem::remove_all(folder->path, ignored);
  UnregisterScratchFolder(folder->slot);
  folder->slot = -1;
}

std::string ResultText(HostError result) {
  switch (result) {
    case kMemFullErr: return "not enough memory for the filter";
    case kUserCanceledErr: return "cancelled";
    case kFilterBadParameters: return "the filter was given bad parameters";
    case kRefusedResult: return "the filter refused the document";
    default: return "the filter failed with result " + std::to_string(result);
  }
}

}  // namespace

bool ImageFitsDocument(const ImageFile& image, std::string* error) {
  if (image.channels < 1 || image.channels > 4) {
    *error = "multichannel images are not supported (grey or RGB, with or without alpha)";
    return false;
  }
  if (image.bitsPerChannel != 8 && image.bitsPerChannel != 16 && image.bitsPerChannel != 32) {
    *error = "unsupported depth of " + std::to_string(image.bitsPerChannel) + " bits a channel";
    return false;
  }
  if (image.width < 1 || image.height < 1 || image.width > kLargestDocumentSide ||
      image.height > kLargestDocumentSide) {
    *error = "the document is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
             " pixels; a side may be at most " + std::to_string(kLargestDocumentSide);
    return false;
  }
  return true;
}

std::string NetCapacityMessage(int32_t net, int32_t output, int32_t errorCode) {
  const char* table = nullptr;
  switch (errorCode) {
    case kMeshNetFacesFull: table = "net faces"; break;
    case kMeshFacesFull: table = "faces"; break;
    case kMeshRenderPointsFull: table = "render points"; break;
    case kMeshVerticesFull: table = "vertices"; break;
    case kMeshNetPointsFull: table = "net points"; break;
    case kMeshTrianglesFull: table = "render triangles"; break;
    case kMeshGroupOutOfRange: table = "net pieces"; break;
    default: return std::string();
  }
  return "the net " + std::to_string(net) + " of output " + std::to_string(output) + " needs more " + table +
         " than its tables hold (net error code " + std::to_string(errorCode) + ")";
}

bool NetOutputFitsTables(int32_t output, int32_t width, int32_t height, float tabs, std::string* error) {
  if (!IsNetOutput(output) || width < 1 || height < 1) return true;
  auto mesh = std::make_unique<PolyMesh>();
  std::memset(mesh.get(), 0, sizeof(PolyMesh));
  ResetPolyMesh(mesh.get());
  BuildNetForOutput(output, mesh.get(), float(height) / float(width), tabs * 0.005f, 0, 0.0f, 1, nullptr, true);
  const std::string message = NetCapacityMessage(mesh->netNumber, output, mesh->errorCode);
  FreeMeshTables(mesh.get(), nullptr);
  if (message.empty()) return true;
  *error = message;
  return false;
}

bool RunFilterOnImage(ImageFile* image, const FilterRunSettings& settings, FilterRunOutcome* outcome) {
  *outcome = FilterRunOutcome{};
  if (!ImageFitsDocument(*image, &outcome->message)) {
    outcome->result = kFilterBadParameters;
    return false;
  }
  PrivateTempFolder temp;
  if (!EnterPrivateTempFolder(&temp)) {
    outcome->result = kFilterBadParameters;
    outcome->message = "cannot make a temporary folder";
    return false;
  }

  TestDocument doc = DocumentShapedLike(*image);
  TestHost host;
  TestHostOptions options;
  options.markMemory = false;  // the marks serve the suite, not a run
  InitTestHost(&host, &doc, options);
  host.record.progressProc = ProgressCallback;
  host.record.abortProc = AbortCallback;
  host.record.advanceState = ProgramAdvanceState;
  host.descriptorParameters.playInfo = kPlayDontDisplay;
  gProgress = settings.progress;
  gAbortTest = settings.abortTest;
  gCancelled = false;
  gHookRan = false;
  if (settings.atRenderStart) {
    gHookHost = &host;
    gHookSettings = &settings;
    gHostAdvanceState = host.record.advanceState;
    host.record.advanceState = AdvanceStateWithHook;
  }

  HostError result = CallFilterSelector(&host, PluginMain, kSelectorParameters);
  ParameterBlock* block = GetParameterBlock(&host.record);
  if (result == kNoErr && !block) result = kMemFullErr;
  if (result == kNoErr) {
    // A settings file goes in as the dialog loads one, then the options.
    if (!settings.settingsFile.empty() && !LoadSettingsFileInto(settings.settingsFile, block, &outcome->message))
      result = kFilterBadParameters;
  }
  if (result == kNoErr) {
    // An older settings file holds only the integer angles: the floats
    // follow from them before any option replaces one.
    if (!settings.settingsFile.empty()) UpgradeSettingsFloats(block);
    for (const SettingValue& value : settings.settings) ApplySetting(value, block);
    // Settings of the current version: the start phase takes the float
    // angles as they are rather than deriving them from the integers.
    block->version = kSettingsVersion;
    if (AbortCallback()) result = kUserCanceledErr;
  }
  // A net that outgrows its tables would render with pieces missing: the
  // run stops before it starts, saying which net and which table.
  if (result == kNoErr && !NetOutputFitsTables(block->outputProjection, image->width, image->height, block->tabs,
                                               &outcome->message)) {
    result = kFilterBadParameters;
  }
  if (result == kNoErr) {
    MovePixelsIn(image, &doc);
    TestRunOptions runOptions;
    runOptions.withParameters = false;
    result = RunFilterSelectors(&host, PluginMain, runOptions, nullptr);
  }
  if (const ParameterBlock* after = GetParameterBlock(&host.record)) outcome->settingsUsed = *after;
  ShutdownTestHost(&host);
  gProgress = nullptr;
  gAbortTest = nullptr;
  gHookHost = nullptr;
  gHookSettings = nullptr;
  LeavePrivateTempFolder(&temp);
  // The filter stopped where the hook ran; that is no failure of the run.
  if (gHookRan && result == kUserCanceledErr) result = kNoErr;

  outcome->result = result;
  outcome->cancelled = gCancelled || result == kUserCanceledErr;
  if (outcome->cancelled) {
    outcome->message = "cancelled";
    return false;
  }
  if (result != kNoErr) {
    if (outcome->message.empty()) outcome->message = ResultText(result);
    return false;
  }
  if (!gHookRan) MovePixelsOut(&doc, image);
  return true;
}
