// The memory dots: one settings file per dot in the temporary folder, and the
// memory-dot map that records which of the 25 dots are marked (taken).
#pragma once

#include <cstdint>

#include "host/rect_path.h"
#include "settings/file_primitives.h"

struct GlobalsRecord;

constexpr const char* kMemoryDotMapName = "Orbalix 2 memdot map 2";
constexpr int32_t kMemoryDotMapVersion = 47;
// Dot 25 is a scratch slot beyond the 25 dots of the dialog.
constexpr int32_t kScratchMemoryDot = 25;

// The temporary-folder path of dot `dot`, the same for reading and writing.
void MemoryDotFilePath(FileSpec* fileSpec, int32_t dot, bool forWriting);
int16_t SaveMemoryDotSettings(GlobalsRecord* globals, int32_t dot);
int16_t LoadMemoryDotSettings(GlobalsRecord* globals, int32_t dot);

// The 25 marks as big-endian int32, dot 0 first. The read takes the marks
// over only when all 25 were read.
int16_t WriteMemoryDotStates(GlobalsRecord* globals, FileHandle handle);
int16_t ReadMemoryDotStates(GlobalsRecord* globals, FileHandle handle);

// The map: version 47, then the marks. Saved when a run ends, but only by a
// run that loaded it (a run refused before that holds no marks to save);
// loading answers 99 and keeps the marks when there is no map.
void SaveMemoryDotMap(GlobalsRecord* globals);
int16_t LoadMemoryDotMap(GlobalsRecord* globals);
