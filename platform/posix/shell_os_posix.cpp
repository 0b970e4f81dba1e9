// POSIX side of the shell services. There is no desktop shell to ask here:
// the orbalix program reports where it wrote a page instead.
#include "platform/shell_os.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

void OsUtcNow(UtcDateTime* out) {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  out->year = parts.tm_year + 1900;
  out->month = parts.tm_mon + 1;
  out->day = parts.tm_mday;
  out->hour = parts.tm_hour;
  out->minute = parts.tm_min;
  out->second = parts.tm_sec;
}

bool OsListFolder(const char* folder, FolderEntryProc visit, void* context) {
  if (folder == nullptr || visit == nullptr) return false;
  DIR* dir = opendir(folder[0] != 0 ? folder : ".");
  if (dir == nullptr) return false;
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat info{};
    const std::string path = base + entry->d_name;
    const bool known = stat(path.c_str(), &info) == 0;
    const bool isFolder = known && S_ISDIR(info.st_mode);
    const bool readOnly = !known || access(path.c_str(), W_OK) != 0;
    if (!visit(context, entry->d_name, isFolder, readOnly)) break;
  }
  closedir(dir);
  return true;
}

bool OsRenameNoReplace(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return false;
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: a hard link fails when `to` exists.
  if (link(from, to) != 0) return false;
  if (unlink(from) != 0) {
    unlink(to);
    return false;
  }
  return true;
}

bool OsOpenInShell(const char* /*path*/) { return false; }
