// Windows side of the shell services: GetSystemTime, FindFirstFileA,
// MoveFileA (which never replaces a file) and ShellExecuteA "open".
#include "platform/shell_os.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

void OsUtcNow(UtcDateTime* out) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  out->year = now.wYear;
  out->month = now.wMonth;
  out->day = now.wDay;
  out->hour = now.wHour;
  out->minute = now.wMinute;
  out->second = now.wSecond;
}

bool OsListFolder(const char* folder, FolderEntryProc visit, void* context) {
  if (folder == nullptr || visit == nullptr) return false;
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool readOnly = (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!visit(context, entry.cFileName, isFolder, readOnly)) break;
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return true;
}

bool OsRenameNoReplace(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return false;
  return MoveFileA(from, to) != 0;
}

bool OsOpenInShell(const char* path) {
  if (path == nullptr) return false;
  const HINSTANCE result = ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}
