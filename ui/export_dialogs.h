// The export sub-dialogs that collect an export's parameters and start it:
// the PSD document at a chosen size, the cube map, the faces of a polyhedron
// and the brick sphere. Each runs its own
// modal loop without an owner (the main dialog stays usable); a second
// request for an open one brings it to the front. The main dialog's OK and
// Cancel close any that remain open.
#pragma once

#include <cstdint>

#include "ui/dialog_port.h"

struct GlobalsRecord;

constexpr const char* kPsdSizeTemplate = "CHOOSEPSDWITHSIZE";
constexpr const char* kCubeMapTemplate = "CHOOSECUBE";
constexpr const char* kExportFacesTemplate = "CHOOSEEXPORTFACES";
constexpr const char* kBrickSphereTemplate = "CHOOSEPSDLEGO";

// Radio buttons of the PSD size dialog: psdSizeMode + 9.
constexpr int32_t kPsdSameSize = 10;
constexpr int32_t kPsdSameProportions = 11;
constexpr int32_t kPsdCustomSize = 12;
constexpr int32_t kMinExportSide = 2;
constexpr int32_t kMaxExportSide = 30000;

// Radio buttons of the faces dialog: faceExportMode + 4.
constexpr int32_t kFacesImages = 4;
constexpr int32_t kFacesGeometry = 5;
constexpr int32_t kFacesMap = 6;

// The brick-sphere dialog's checkboxes; colour checkbox k shows bit k - 11
// of brickColorset.
constexpr int32_t kBrickDiffuse = 6;
constexpr int32_t kBrickPlan = 8;
constexpr int32_t kBrickStatistics = 9;
constexpr int32_t kBrickLDraw = 10;
constexpr int32_t kBrickFirstColour = 11;
constexpr int32_t kBrickLastColour = 22;
constexpr int32_t kBrickPlates = 35;
constexpr int32_t kMinBrickLayers = 3;
constexpr int32_t kMaxBrickLayers = 150;

// True when the dialog ended with OK (the export then ran); false on Cancel
// or when the dialog was open already.
bool ShowPsdSizeDialog(GlobalsRecord* globals);
bool ShowCubeMapDialog(GlobalsRecord* globals);
// The PSD size and brick-sphere dialogs share one place: while either is
// open, a request for the other only brings the open one to the front.
bool ShowExportFacesDialog(GlobalsRecord* globals);
bool ShowBrickSphereDialog(GlobalsRecord* globals);

int32_t PsdSizeDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);
int32_t CubeMapDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);
int32_t ExportFacesDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);
int32_t BrickSphereDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);

// The other edit follows the typed one in the input's proportions; a zero
// reference size leaves it as it is.
void KeepSourceProportions(const DialogPort* port, int32_t inputWidth, int32_t inputHeight, bool byWidth);

// Closes every sub-dialog that is still open (the about and info boxes too).
void CloseChildWindows(GlobalsRecord* globals);

// The export entry points: set the export kind, ask for the file, run the
// export in the progress dialog. 0 when it ran to its end, 199 when the
// chooser was cancelled, the export was cancelled or another runs.
int16_t ExportPsdWithSize(GlobalsRecord* globals);
int16_t ExportCubeMapPsd(GlobalsRecord* globals);
int16_t SavePsdWithDialog(GlobalsRecord* globals, const char* defaultName);
