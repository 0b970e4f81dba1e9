#include "export/export_files.h"

#include <cstring>

#include "platform/export_files.h"
#include "platform/private_files.h"

const char* ExportResultText(int16_t result) {
  switch (result) {
    case kExportDone: return "";
    case kExportCannotOpen: return "the file cannot be created in that folder";
    case kExportNoMemory: return "not enough memory for the export image";
    case kExportCancelled: return "the export was cancelled";
    case kExportWriteFailed: return "the file could not be written completely (is the disk full?)";
    case kExportTooLarge:
      return "the document is larger than a PSD file can hold (at most 30000 pixels a side and 4 GB of layers)";
    case kExportBadSize: return "the export size must be at least 1 x 1 pixel";
    case kExportKindUnavailable: return "this kind of export is not available for the current output";
    case kExportRenderFailed: return "the image could not be rendered";
    case kExportCannotReplace: return "the finished file could not take the target's name (is a folder there?)";
    case kExportJpegTooLarge:
      return "the picture is larger than a JPEG file can hold (at most 32767 pixels a side and 268 million pixels)";
    case kExportPathTooLong: return "a file name made from the chosen one would be too long";
    default: return "the export failed";
  }
}

namespace {

ExportScratchWatch gScratchWatch = {nullptr, nullptr};

void ScratchGone(ExportFile* file) {
  if (file->watchSlot >= 0 && gScratchWatch.gone != nullptr) gScratchWatch.gone(file->watchSlot);
  file->watchSlot = -1;
}

}  // namespace

void SetExportScratchWatch(const ExportScratchWatch* watch) {
  gScratchWatch = watch != nullptr ? *watch : ExportScratchWatch{nullptr, nullptr};
}

void InitExportFileSet(ExportFileSet* set, bool discardWhenCancelled) {
  std::memset(set, 0, sizeof *set);
  for (ExportFile& file : set->files) {
    file.handle = kNoFile;
    file.watchSlot = -1;
  }
  set->discardWhenCancelled = discardWhenCancelled;
}

int16_t OpenExportFile(ExportFileSet* set, const char* target, FileHandle* handleOut) {
  *handleOut = kNoFile;
  if (set->count >= kMaxExportFiles || target == nullptr || target[0] == '\0') return kExportCannotOpen;
  const size_t length = std::strlen(target);
  if (length > size_t(kMaxPathLength)) return kExportCannotOpen;
  ExportFile& file = set->files[set->count];
  std::memset(&file, 0, sizeof file);
  file.watchSlot = -1;
  std::memcpy(file.target, target, length + 1);
  const OsFile handle = OsCreatePrivateScratchFile(target, file.scratch, sizeof file.scratch);
  if (handle == kInvalidOsFile) return kExportCannotOpen;
  if (gScratchWatch.made != nullptr) file.watchSlot = gScratchWatch.made(file.scratch);
  OsShareScratchFile(handle, target);
  file.handle = handle;
  set->count += 1;
  *handleOut = handle;
  return kExportDone;
}

int16_t CloseExportFile(ExportFileSet* set, FileHandle handle, bool written) {
  for (int32_t k = 0; k < set->count; ++k) {
    ExportFile& file = set->files[k];
    if (file.handle != handle || handle == kNoFile) continue;
    const bool stored = written && OsFlushFileToDisk(handle);
    OsCloseFile(handle);
    file.handle = kNoFile;
    if (stored) {
      file.complete = 1;
      return kExportDone;
    }
    OsRemoveFile(file.scratch);
    ScratchGone(&file);
    file.scratch[0] = '\0';
    return written ? kExportWriteFailed : kExportDone;
  }
  return kExportWriteFailed;
}

int16_t CommitExportFiles(ExportFileSet* set) {
  int16_t result = kExportDone;
  for (int32_t k = 0; k < set->count; ++k) {
    ExportFile& file = set->files[k];
    if (file.handle != kNoFile) CloseExportFile(set, file.handle, false);
    if (!file.complete || file.scratch[0] == '\0') continue;
    // After a failed rename the remaining scratch files are removed, not renamed.
    if (result != kExportDone || !OsCommitPrivateScratchFile(file.scratch, file.target)) {
      if (result == kExportDone) result = kExportCannotReplace;
      OsRemoveFile(file.scratch);
    }
    ScratchGone(&file);
    file.scratch[0] = '\0';
    file.complete = 0;
  }
  set->count = 0;
  return result;
}

void DiscardExportFiles(ExportFileSet* set) {
  for (int32_t k = 0; k < set->count; ++k) {
    ExportFile& file = set->files[k];
    if (file.handle != kNoFile) OsCloseFile(file.handle);
    file.handle = kNoFile;
    if (file.scratch[0] != '\0') OsRemoveFile(file.scratch);
    ScratchGone(&file);
    file.scratch[0] = '\0';
    file.complete = 0;
  }
  set->count = 0;
}
