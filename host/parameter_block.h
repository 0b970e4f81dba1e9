// The block of every user setting and of the shell's run state. It lives in
// the host's parameters handle, so the host keeps it between runs; every
// subsystem reaches it through GetParameterBlock, which reads the handle's
// master pointer afresh (an unlocked handle may move between calls).
#pragma once

#include <cstdint>

#include "host/host_records.h"

struct GlobalsRecord;

constexpr int32_t kFolderTextSize = 260;

struct ParameterBlock {
  uint32_t showDialog;  // run: show the main dialog at the next start
  uint16_t blockMarker;  // run: 1 from creation
  GlobalsRecord* globalsRecord;  // run: the globals of the current call
  int32_t dialogFocus;  // run: two dialog state words
  uint32_t dialogFocusState;
  uint8_t previewDragging;
  uint8_t previewZoomChanged;
  int16_t previewViewRect[4];
  uint8_t canPreview;
  uint8_t previewDisabled;
  float legacyValues[6];
  uint32_t dialogCommandState;
  int32_t transferWord;  // run: scratch word of the settings reader and writer
  int32_t glue;          // GlueMode 1..62
  int32_t previewScale;  // run: sampling divisor of the current render
  int32_t runMode;       // run: RunModeHost, RunModePreview or RunModeExport
  int32_t autoPreview;
  int32_t previewPanX;  // run: pan offsets added to a preview request
  int32_t previewPanY;
  int32_t previewOffsetMarkers[2];
  int32_t version;
  int32_t legacySettingA;
  int32_t faceExportMode;
  int32_t psdSizeMode;
  int32_t psdWidth;
  int32_t psdHeight;
  uint8_t sourceLoaded;  // run: the source image holds the host image
  uint16_t tabRed;
  uint16_t tabGreen;
  uint16_t tabBlue;
  uint16_t backdropRed;
  uint16_t backdropGreen;
  uint16_t backdropBlue;
  uint16_t legacyColours[18];
  int32_t inputProjection;
  int32_t legacyIntsA[3];
  int32_t latitudeInteger;
  int32_t spinInteger;
  int32_t legacyIntsB[4];
  int32_t outputProjection;
  int32_t flip;
  int32_t hqprValue;
  int32_t grid;
  int32_t legacyIntC;
  int32_t longitudeInteger;
  int32_t tabsInteger;
  int32_t sharpeningInteger;
  int32_t legacyIntD;
  int32_t fovInteger;
  int32_t legacyIntsE[6];
  int32_t faces;
  int32_t legacyIntsF[3];
  int32_t brickLayers;
  int32_t legacySettingB;
  int32_t brickColorset;
  int32_t spherePlan;
  int32_t sphereStats;
  int32_t ldraw;
  int32_t brickDiffusion;
  int32_t brickPlates;
  int32_t cubeSide;
  int32_t faceSize;
  int32_t legacyIntG;
  float latitude;
  float longitude;
  float spin;
  float fov;
  float tabs;
  float sharpen;
  int32_t transparentGaps;
  int32_t indicatrix;
  int32_t edges;
  int32_t anamorphosis;
  int32_t keepTransparency;
  int32_t dehalo;
  int32_t grid2;
  int32_t previewQuality;
  uint8_t plainContext;
  int32_t customNetOutput;
  int32_t exportKind;
  char settingsFolder[kFolderTextSize];
  char exportFolder[kFolderTextSize];
  char presetFolder[kFolderTextSize];
  char settingsName[kFolderTextSize];
  char statusTexts[3][kFolderTextSize];
};

// Run modes of ParameterBlock::runMode.
constexpr int32_t RunModeHost = 0;     // final render into the host's output
constexpr int32_t RunModePreview = 1;  // preview render inside the dialog
constexpr int32_t RunModeExport = 2;   // export render into an off-screen target

constexpr const char* kDefaultSettingsName = "Orbalix 2 settings.q2q";

// The block in the filter record's parameters handle, read through the
// handle's master pointer; null when there is none yet. Do not keep the
// pointer across a call to the host.
ParameterBlock* GetParameterBlock(const FilterRecord* filterRecord);
ParameterBlock* GetParameterBlock(const GlobalsRecord* globals);

// The creation values of a new block (before SetDefaultSettings).
void SetParameterBlockCreationValues(ParameterBlock* block, GlobalsRecord* globals);
