// The export commands that the dialog's buttons and sub-dialogs start and
// that need more than one PSD document: the faces of a polyhedron (3-D
// geometry, images of the faces, the map of faces), the brick sphere's plan,
// statistics page and LDraw model, and the HTML pages of the memory dots and
// of a folder of presets. Each asks for its files with the choosers, runs
// the long work in the progress dialog and answers 0 when it ran, 199 when
// a chooser or the work was cancelled (or another such command runs), or
// the export's failure.
#pragma once

#include <cstdint>

struct GlobalsRecord;

constexpr const char* kSaveHtmlTitle = "Save an HTML page";
constexpr const char* kSaveObjTitle = "Save a Wavefront .obj file";
constexpr const char* kSaveLDrawTitle = "Save an LDRAW file";
constexpr const char* kChooseSourceFolderTitle = "Choose any file in the source folder";

// The faces dialog's three exports.
int16_t ExportPolyFacesPsd(GlobalsRecord* globals);
int16_t ExportObjWithDialog(GlobalsRecord* globals);
int16_t ExportFaceMapWithDialog(GlobalsRecord* globals);

// The brick sphere: the plan (when spherePlan), the statistics page (when
// sphereStats) and the LDraw model (when ldraw), each asked for in turn. A
// plan whose chooser or export was cancelled or failed skips the page but
// still offers the model.
int16_t ExportBrickSphere(GlobalsRecord* globals);
int16_t ExportSphereStatistics(GlobalsRecord* globals);
int16_t ExportLDrawWithDialog(GlobalsRecord* globals);

// The open chooser "Choose any file in the source folder" for settings
// files, starting in presetFolder; the chosen file's folder becomes the
// new presetFolder. False when cancelled.
bool ChooseSourceFolderFile(GlobalsRecord* globals);

// The pages, shown in the browser once written. The presets page is refused
// while it runs already.
int16_t ExportMemoryDotsPage(GlobalsRecord* globals);
int16_t ExportPresetsPage(GlobalsRecord* globals);
// True while the presets page is being made: the main dialog's OK and
// Cancel wait for it.
bool PresetFolderOperationRunning();
