// Runs the filter on an image in memory as a host application would: the
// image becomes the host's document, the filter's selectors run in host order
// without its dialog, and the document comes back as an image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/image_files.h"
#include "host/host_records.h"

// The longest side a host document may have (the host's rectangles are 16-bit).
constexpr int32_t kLargestDocumentSide = 32767;

// Called with the filter's progress (done of total).
using ProgressSink = void (*)(int32_t done, int32_t total);
// Answers true when the run is to stop.
using AbortTest = bool (*)();

struct GlobalsRecord;

// Called where the filter's render would begin: the source has been read and
// the settings are final, as when a command of the filter's dialog runs.
using RenderStartHook = void (*)(GlobalsRecord* globals, void* context);

struct FilterRunSettings {
  std::string settingsFile;                       // a settings file to start from, or empty
  std::vector<SettingValue> settings;            // then these, in order
  ProgressSink progress = nullptr;
  AbortTest abortTest = nullptr;
  // When set, the hook runs instead of the render: the filter stops there
  // and the image is left as it was.
  RenderStartHook atRenderStart = nullptr;
  void* atRenderStartContext = nullptr;
};

struct FilterRunOutcome {
  HostError result = kNoErr;   // the host result of the run
  bool cancelled = false;      // stopped through the abort test
  std::string message;         // why the run failed
  ParameterBlock settingsUsed{};  // the filter's settings at the end of the run
};

// Checks that the image can be a host document: grey or RGB with or without
// transparency, no side beyond kLargestDocumentSide.
bool ImageFitsDocument(const ImageFile& image, std::string* error);

// The net of a net output as the run would build it for a document of that
// size: false, with a message naming the net and its error code, when the net
// outgrows the tables of the net record. Outputs without a net always fit.
bool NetOutputFitsTables(int32_t output, int32_t width, int32_t height, float tabs, std::string* error);
// The message for a built net whose error code says it outgrew a table;
// empty when the code is no such failure.
std::string NetCapacityMessage(int32_t net, int32_t output, int32_t errorCode);

// Runs the filter on `image` in place: its pixels become the host's document
// without a copy and come back as the result. False when the run failed or
// was cancelled; the image then keeps its pixels when the run ended before
// the filter began to render (a settings file that cannot be read), and is
// left without pixels otherwise.
bool RunFilterOnImage(ImageFile* image, const FilterRunSettings& settings, FilterRunOutcome* outcome);
