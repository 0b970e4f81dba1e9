// The brick-sphere exports: the command that chains the plan document, the
// statistics page and the LDraw model, the two text writers and the date
// line that several exports print. Every file is written under a scratch
// name beside its target and renamed over it only when it is complete.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/rect_path.h"

struct BrickGrid;
struct GlobalsRecord;
struct TextOutput;

// "on %d %s %d at %02d:%02d:%02d" of the current UTC date and time (an
// unknown month number prints an empty name).
void FormatExportDate(char* text, size_t capacity);
const char* MonthName(int32_t month);  // "" outside 1..12

// The model: a comment line with the date, per layer its header and one
// part line per filled cell, and the closing "0"; lines end in CR LF.
void WriteLDrawFile(const BrickGrid* grid, TextOutput* out);
void WriteLDrawLayer(const BrickGrid* grid, int32_t layer, TextOutput* out);  // layer 1-based
void WriteLDrawCellLine(const BrickGrid* grid, int32_t i, int32_t j, int32_t z, TextOutput* out);

// The page of cell counts per colour, from the work record's statistics.
void WriteSphereStatisticsPage(GlobalsRecord* globals, TextOutput* out);

// Builds the brick sphere of the current settings and writes its model to
// `path`. 1 without memory for the cells (nothing written); else the
// export result (export/export_files.h).
int16_t ExportLDraw(GlobalsRecord* globals, const FileSpec* path);
// Writes the statistics page to `path` from the counts of the last grid.
int16_t ExportSphereStatisticsPage(GlobalsRecord* globals, const FileSpec* path);
// Builds a grid of the current settings only to count its cells into the
// work record's statistics. False without memory for the cells.
bool CountBrickSphere(GlobalsRecord* globals);

// The chain behind the brick-sphere dialog's OK, with the files already
// chosen (a null path: that result is not asked for). The plan is written
// first (a PSD, one layer per brick layer); when it fails or is cancelled
// only the model is still written. The statistics page counts a grid of its
// own when no plan was made. Answers the first failure, else 0.
struct BrickSphereFiles {
  const FileSpec* plan;
  const FileSpec* statistics;
  const FileSpec* ldraw;
};
int16_t ExportBrickSphereFiles(GlobalsRecord* globals, const BrickSphereFiles* files, uint8_t* cancel,
                               bool discardWhenCancelled);
