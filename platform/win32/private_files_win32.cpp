// Windows side of the private files: reparse points (symbolic links and
// junctions) are opened as themselves and refused, the scratch file is made
// with CREATE_NEW, and MoveFileEx replaces the target's own entry.
#include "platform/private_files.h"

#include <cstdio>
#include <cstring>

#include <windows.h>

OsFile OsOpenPrivateFileForReading(const char* path) {
  if (path == nullptr || path[0] == '\0') return kInvalidOsFile;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kInvalidOsFile;
  BY_HANDLE_FILE_INFORMATION info;
  const DWORD refused = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
  if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & refused) != 0 ||
      GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return kInvalidOsFile;
  }
  return OsFile(h);
}

OsFile OsCreatePrivateScratchFile(const char* path, char* scratchPath, size_t capacity) {
  if (path == nullptr || path[0] == '\0' || scratchPath == nullptr) return kInvalidOsFile;
  static uint32_t counter = 0;
  const size_t n = std::strlen(path);
  if (n + 18 > capacity || n + 18 > MAX_PATH) return kInvalidOsFile;
  for (int attempt = 0; attempt < 64; ++attempt) {
    uint32_t tag = (GetCurrentProcessId() << 16) ^ GetTickCount() ^ (++counter * 2654435761u);
    std::snprintf(scratchPath, capacity, "%s~%08lx", path, static_cast<unsigned long>(tag));
    // CREATE_NEW fails on any existing name, a link included.
    HANDLE h = CreateFileA(scratchPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return OsFile(h);
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  scratchPath[0] = '\0';
  return kInvalidOsFile;
}

bool OsCommitPrivateScratchFile(const char* scratchPath, const char* path) {
  if (scratchPath == nullptr || scratchPath[0] == '\0' || path == nullptr) return false;
  if (MoveFileExA(scratchPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileA(scratchPath);
  return false;
}
