// POSIX side of the settings-file stand-ins: file descriptors for handles,
// TMPDIR for the temporary folder, the XDG user directories for the desktop.
#include "platform/settings_os.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

OsFile OpenWith(const char* path, int flags) {
  if (path == nullptr || path[0] == '\0') return kInvalidOsFile;
  int fd;
  do {
    fd = open(path, flags | O_CLOEXEC, 0644);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kInvalidOsFile : OsFile(fd);
}

bool CopyText(const std::string& text, char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  if (text.size() + 1 > capacity) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

// The value of XDG_DESKTOP_DIR in a user-dirs.dirs file: a quoted path,
// absolute or starting with $HOME/. Empty when the file holds none.
std::string DesktopFromUserDirs(const std::string& file, const std::string& home) {
  FILE* f = std::fopen(file.c_str(), "r");
  if (f == nullptr) return {};
  std::string found;
  char line[1024];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    const char* key = "XDG_DESKTOP_DIR=\"";
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (std::strncmp(p, key, std::strlen(key)) != 0) continue;
    p += std::strlen(key);
    const char* end = std::strchr(p, '"');
    if (end == nullptr) continue;
    std::string value(p, end);
    if (value.rfind("$HOME", 0) == 0) {
      value = home + value.substr(5);
    } else if (value.empty() || value[0] != '/') {
      continue;  // only absolute or $HOME-relative paths are valid
    }
    found = value;
  }
  std::fclose(f);
  return found;
}

}  // namespace

OsFile OsOpenFileForWriting(const char* path) { return OpenWith(path, O_WRONLY | O_CREAT); }
OsFile OsCreateFileForWriting(const char* path) {
  if (path == nullptr || path[0] == '\0') return kInvalidOsFile;
  unlink(path);  // removes a link itself, not what it points to
  return OpenWith(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW);
}
OsFile OsOpenFileForReading(const char* path) {
  OsFile file = OpenWith(path, O_RDONLY);
  if (file == kInvalidOsFile) return file;
  struct stat st;
  if (fstat(int(file), &st) != 0 || !S_ISREG(st.st_mode)) {  // folders open but do not read
    close(int(file));
    return kInvalidOsFile;
  }
  return file;
}

void OsCloseFile(OsFile file) {
  if (file != kInvalidOsFile) close(int(file));
}

bool OsWriteFile(OsFile file, const void* data, uint32_t count, uint32_t* moved) {
  *moved = 0;
  if (file == kInvalidOsFile) return false;
  const char* p = static_cast<const char*>(data);
  while (*moved < count) {
    ssize_t n = write(int(file), p + *moved, count - *moved);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    *moved += uint32_t(n);
  }
  return true;
}

bool OsReadFile(OsFile file, void* data, uint32_t count, uint32_t* moved) {
  *moved = 0;
  if (file == kInvalidOsFile) return false;
  char* p = static_cast<char*>(data);
  while (*moved < count) {
    ssize_t n = read(int(file), p + *moved, count - *moved);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // end of file: a short but successful read
    *moved += uint32_t(n);
  }
  return true;
}

bool OsTruncateFileHere(OsFile file) {
  if (file == kInvalidOsFile) return false;
  off_t here = lseek(int(file), 0, SEEK_CUR);
  return here >= 0 && ftruncate(int(file), here) == 0;
}

bool OsReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }
bool OsRemoveFile(const char* path) { return unlink(path) == 0; }

bool OsMakeFolder(const char* path) {
  if (mkdir(path, 0755) == 0) return true;
  struct stat st;
  return errno == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

char OsPathSeparator() { return '/'; }

bool OsTempFolder(char* out, size_t capacity) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && tmp[0] != '\0') ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return CopyText(folder, out, capacity);
}

bool OsDesktopFolder(char* out, size_t capacity) {
  const char* homeText = std::getenv("HOME");
  if (homeText == nullptr || homeText[0] == '\0') {
    if (out != nullptr && capacity > 0) out[0] = '\0';
    return false;
  }
  std::string home = homeText;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string configHome = (config != nullptr && config[0] == '/') ? config : home + "/.config";
  std::string desktop = DesktopFromUserDirs(configHome + "/user-dirs.dirs", home);
  if (desktop.empty()) desktop = home + "/Desktop";
  while (desktop.size() > 1 && desktop.back() == '/') desktop.pop_back();
  return CopyText(desktop, out, capacity);
}
