// Windows side of the settings-file stand-ins: kernel32 file handles, the
// system's temporary folder and the shell's desktop folder.
#include "platform/settings_os.h"

#include <cstring>

#include <windows.h>
#include <shlobj.h>

namespace {

OsFile FromHandle(HANDLE h) { return h == INVALID_HANDLE_VALUE ? kInvalidOsFile : OsFile(h); }
HANDLE ToHandle(OsFile f) { return reinterpret_cast<HANDLE>(f); }

OsFile OpenWith(const char* path, DWORD access, DWORD share, DWORD disposition) {
  if (path == nullptr || path[0] == '\0') return kInvalidOsFile;
  return FromHandle(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

OsFile OsOpenFileForWriting(const char* path) { return OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS); }
OsFile OsCreateFileForWriting(const char* path) {
  if (path == nullptr || path[0] == '\0') return kInvalidOsFile;
  DeleteFileA(path);  // a link is deleted itself, not its target
  return OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
}
OsFile OsOpenFileForReading(const char* path) { return OpenWith(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING); }

void OsCloseFile(OsFile file) {
  if (file != kInvalidOsFile) CloseHandle(ToHandle(file));
}

bool OsWriteFile(OsFile file, const void* data, uint32_t count, uint32_t* moved) {
  *moved = 0;
  if (file == kInvalidOsFile) return false;
  DWORD n = 0;
  BOOL ok = WriteFile(ToHandle(file), data, count, &n, nullptr);
  *moved = n;
  return ok != 0;
}

bool OsReadFile(OsFile file, void* data, uint32_t count, uint32_t* moved) {
  *moved = 0;
  if (file == kInvalidOsFile) return false;
  DWORD n = 0;
  BOOL ok = ReadFile(ToHandle(file), data, count, &n, nullptr);
  *moved = n;
  return ok != 0;
}

bool OsTruncateFileHere(OsFile file) { return file != kInvalidOsFile && SetEndOfFile(ToHandle(file)) != 0; }

bool OsReplaceFile(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
bool OsRemoveFile(const char* path) { return DeleteFileA(path) != 0; }

bool OsMakeFolder(const char* path) {
  if (CreateDirectoryA(path, nullptr) != 0) return true;
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

char OsPathSeparator() { return '\\'; }

bool OsTempFolder(char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer || n + 1 > capacity) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, buffer, n + 1);
  return true;
}

bool OsDesktopFolder(char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  char buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_DESKTOPDIRECTORY, FALSE) ||
      std::strlen(buffer) + 1 > capacity) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, buffer, std::strlen(buffer) + 1);
  return true;
}
