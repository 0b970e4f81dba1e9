// POSIX side of the private files: O_NOFOLLOW and an owner check for reads,
// O_CREAT | O_EXCL for the scratch file, rename for the commit.
#include "platform/private_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OsFile OsOpenPrivateFileForReading(const char* path) {
  if (path == nullptr || path[0] == '\0') return kInvalidOsFile;
  // Non-blocking, so that a planted pipe cannot hold the open.
  int fd;
  do {
    fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidOsFile;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd);
    return kInvalidOsFile;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return OsFile(fd);
}

OsFile OsCreatePrivateScratchFile(const char* path, char* scratchPath, size_t capacity) {
  if (path == nullptr || path[0] == '\0' || scratchPath == nullptr) return kInvalidOsFile;
  const size_t n = std::strlen(path);
  if (n + 8 > capacity) return kInvalidOsFile;
  std::memcpy(scratchPath, path, n);
  std::memcpy(scratchPath + n, "~XXXXXX", 8);
  // mkstemp creates with O_EXCL: an existing name, a link included, is never opened.
  int fd = mkstemp(scratchPath);
  if (fd < 0) {
    scratchPath[0] = '\0';
    return kInvalidOsFile;
  }
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  return OsFile(fd);
}

bool OsCommitPrivateScratchFile(const char* scratchPath, const char* path) {
  if (scratchPath == nullptr || scratchPath[0] == '\0' || path == nullptr) return false;
  // rename replaces the directory entry of `path`; a link there is not followed.
  if (std::rename(scratchPath, path) == 0) return true;
  unlink(scratchPath);
  return false;
}
