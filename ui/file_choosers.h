// The file and colour choosers of the dialogs: the system's open and save
// dialogs chosen by a file kind, and the colour picker (the host's when it
// offers one, else the system's).
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

struct GlobalsRecord;

// File kinds: the filter and default extension of a chooser.
constexpr int32_t kFileKindBitmap = 0;
constexpr int32_t kFileKindSettings = 1;  // ".q2q"; its open dialog shows the file's thumbnail
constexpr int32_t kFileKindPsd = 2;
constexpr int32_t kFileKindHtml = 3;
constexpr int32_t kFileKindLdraw = 4;
constexpr int32_t kFileKindAll = 5;
constexpr int32_t kFileKindObj = 6;

struct FileKindFilter {
  const char* text;
  const char* pattern;
};
FileKindFilter GetFileKindFilter(int32_t kind);
// The default extension of a kind ("" for "*.*").
const char* FileKindExtension(int32_t kind);

// 1 when the user chose a file, 0 on cancel or while another chooser is up.
// path (kMaxPathLength + 1 bytes) holds the proposed name and receives the
// chosen path; fileTitle (may be null) the bare name; folder (may be null)
// is the initial folder and receives the chosen one, with its separator.
int32_t ShowSaveFileDialog(char* path, char* fileTitle, char* folder, int32_t kind, const char* title);
// The same for opening; path starts empty. For settings files the globals
// serve the chooser's thumbnail panel.
int32_t ShowOpenFileDialog(char* path, char* fileTitle, char* folder, int32_t kind, const char* title,
                           GlobalsRecord* globals);

// The picture of the settings file at `path` scaled into width x height
// rows of red, green, blue over the thumbnail's background ramp: only the
// ramp for a null path, a path without ".q2q" (any case) or a file without
// a picture. 1 when the file's picture was read.
uint8_t ShowPresetThumbnail(const char* path, int32_t width, int32_t height, uint8_t* rgb);

// The host's colour-services request (56 bytes).
struct ColourServicesRequest {
  int32_t infoSize;
  int16_t selector;     // 0: choose a colour
  int16_t sourceSpace;  // 0: RGB
  int16_t resultSpace;
  uint8_t resultGamutInfoValid;
  uint8_t resultInGamut;
  void* reservedSourceSpaceInfo;
  void* reservedResultSpaceInfo;
  int16_t colourComponents[4];
  void* reserved;
  const uint8_t* pickerPrompt;  // a length-prefixed text
};
static_assert(sizeof(ColourServicesRequest) == 56);

// Chooses a colour (three 16-bit components); false when the user cancelled
// the chooser, whichever it was. result is written only on true.
bool PickColour(GlobalsRecord* globals, const char* title, const uint16_t colour[3], uint16_t result[3]);

// The click of a colour button (7, 8): true when the colour changed.
bool ChooseControlColour(MainDialog* dialog, int32_t id);
