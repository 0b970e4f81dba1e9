// The results of the export jobs and the files they write. Every document is
// written into a scratch file made exclusively beside its target; the job
// renames all of them over their targets at its end, or removes them all when
// a document failed (or, for callers that ask for it, when the export was
// cancelled), so a target is either replaced whole or left as it was.
#pragma once

#include <cstdint>

#include "host/rect_path.h"
#include "settings/file_primitives.h"

// Results of the export writers and jobs. 99, -99 and 199 are the ones the
// dialog's callers know; the others name failures that a caller may show.
constexpr int16_t kExportDone = 0;
constexpr int16_t kExportCannotOpen = kFileCannotOpen;  // 99: the file cannot be created beside its target
constexpr int16_t kExportNoMemory = -99;                // no memory for the export image or its buffers
constexpr int16_t kExportCancelled = 199;               // cancelled, or a refused dialog
constexpr int16_t kExportWriteFailed = kFileWriteFailed;  // -20: a write, the flush or the rename failed
constexpr int16_t kExportTooLarge = 101;          // beyond what the file format can hold
constexpr int16_t kExportBadSize = 102;           // a side below 1 pixel
constexpr int16_t kExportKindUnavailable = 103;   // a kind whose passes this build cannot render
constexpr int16_t kExportRenderFailed = 104;      // the render of a layer failed (no source, no memory)
constexpr int16_t kExportCannotReplace = 105;     // a finished file could not take its target's name
constexpr int16_t kExportJpegTooLarge = 106;      // a picture beyond what a JPEG file can hold
constexpr int16_t kExportPathTooLong = 107;       // a file name made from the user's would be too long

// A sentence for a result, for callers that show one ("" for kExportDone).
const char* ExportResultText(int16_t result);

constexpr int32_t kMaxExportFiles = 16;
constexpr int32_t kScratchPathBytes = kMaxPathLength + 32;

struct ExportFile {
  char target[kMaxPathLength + 1];
  char scratch[kScratchPathBytes];
  FileHandle handle;  // open while the document is written
  uint8_t complete;   // written to its end, flushed and closed
  int32_t watchSlot;  // what the scratch watch answered, -1 none
};

struct ExportFileSet {
  ExportFile files[kMaxExportFiles];
  int32_t count;
  // True: a cancelled export writes nothing (the orbalix program). False:
  // the cancelled document is still completed and kept (the dialog).
  bool discardWhenCancelled;
};

void InitExportFileSet(ExportFileSet* set, bool discardWhenCancelled);

// A program that may end from a signal handler (the orbalix program) is told
// of every scratch file while it exists, so that the handler can remove it.
// `made` answers a slot (or -1); `gone` gets that slot back.
struct ExportScratchWatch {
  int (*made)(const char* path);
  void (*gone)(int slot);
};
void SetExportScratchWatch(const ExportScratchWatch* watch);  // null: none

// Creates the scratch file of `target`. kExportCannotOpen when it cannot be
// made (or the set is full); *handleOut is then kNoFile.
int16_t OpenExportFile(ExportFileSet* set, const char* target, FileHandle* handleOut);
// Ends the document written through `handle`. With `written` the file is
// flushed to the disk and kept for the commit; a flush that fails answers
// kExportWriteFailed. Without it the scratch file is removed.
int16_t CloseExportFile(ExportFileSet* set, FileHandle handle, bool written);
// Renames every complete scratch file over its target; kExportCannotReplace
// when one cannot be renamed (the scratch files after it are removed).
int16_t CommitExportFiles(ExportFileSet* set);
// Removes every scratch file of the set; no target is touched.
void DiscardExportFiles(ExportFileSet* set);
