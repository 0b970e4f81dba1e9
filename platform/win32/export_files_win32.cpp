// Windows side of the export files: a new file inherits the folder's access
// rules, so there is nothing to copy; FlushFileBuffers before the rename.
#include "platform/export_files.h"

#include <windows.h>

bool OsShareScratchFile(OsFile file, const char* /*targetPath*/) { return file != kInvalidOsFile; }

bool OsFlushFileToDisk(OsFile file) {
  if (file == kInvalidOsFile) return false;
  return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) != 0;
}

