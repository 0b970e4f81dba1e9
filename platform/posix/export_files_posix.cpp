// POSIX side of the export files: fchmod to the target's mode or to the
// mode of a new file under the process's umask, fsync before the rename.
#include "platform/export_files.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The mode a file created now with 0666 would get. The umask can only be
// read by setting it; the plug-in and the program run on one thread.
mode_t NewFileMode() {
  const mode_t mask = umask(022);
  umask(mask);
  return mode_t(0666) & ~mask;
}

}  // namespace

bool OsShareScratchFile(OsFile file, const char* targetPath) {
  if (file == kInvalidOsFile) return false;
  mode_t mode = NewFileMode();
  struct stat st;
  // lstat: a link planted at the target is replaced, not followed.
  if (targetPath != nullptr && lstat(targetPath, &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 07777;
  return fchmod(int(file), mode) == 0;
}

bool OsFlushFileToDisk(OsFile file) {
  if (file == kInvalidOsFile) return false;
  int result;
  do {
    result = fsync(int(file));
  } while (result != 0 && errno == EINTR);
  // File systems that cannot sync (EINVAL) have stored what write() took.
  return result == 0 || errno == EINVAL;
}

