#include "app/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/run_signals.h"
#include "platform/private_files.h"

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A hard link to the file at `target` under a new name beside it, so that it
// can be put back. Empty when none can be made (no file there, or a file
// system without hard links).
std::string KeepOldFile(const std::string& target) {
  struct stat st;
  if (lstat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  for (int attempt = 0; attempt < 64; ++attempt) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char tag[48];
    std::snprintf(tag, sizeof tag, "~old%d-%lx-%d", int(getpid()), static_cast<unsigned long>(now.tv_nsec), attempt);
    const std::string name = target + tag;
    // link() makes a new name and never writes through one that exists.
    if (link(target.c_str(), name.c_str()) == 0) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

void SyncFolder(const std::string& path) {
  const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool CheckOutputTarget(const std::string& target, std::string* error) {
  const std::string folder = FolderOf(target);
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    *error = "cannot write " + target + ": the folder " + folder + " is missing or not writable";
    return false;
  }
  struct stat st;
  if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    *error = "cannot write " + target + ": a folder has that name";
    return false;
  }
  return true;
}

bool BeginOutput(const std::string& target, PendingOutput* output, std::string* error) {
  *output = PendingOutput{};
  output->target = target;
  struct stat st;
  output->mode = lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? (st.st_mode & 01777) : NewFileMode();
  std::vector<char> scratch(target.size() + 32);
  HeldSignals held;
  HoldStopSignals(&held);
  const OsFile file = OsCreatePrivateScratchFile(target.c_str(), scratch.data(), scratch.size());
  const int saved = errno;
  if (file != kInvalidOsFile) {
    output->scratch = scratch.data();
    output->fd = int(file);
    output->slot = RegisterScratchFile(output->scratch.c_str());
  }
  ReleaseStopSignals(held);
  if (file == kInvalidOsFile) {
    *error = "cannot write " + target + ": cannot create a new file beside it: " + std::strerror(saved);
    return false;
  }
  return true;
}

bool FinishOutput(PendingOutput* output, std::string* error) {
  bool ok = true;
  if (fsync(output->fd) != 0 || fchmod(output->fd, output->mode) != 0) {
    *error = "cannot write " + output->target + ": " + std::strerror(errno);
    ok = false;
  }
  if (close(output->fd) != 0 && ok) {
    *error = "cannot write " + output->target + ": " + std::strerror(errno);
    ok = false;
  }
  output->fd = -1;
  return ok;
}

void DiscardOutput(PendingOutput* output) {
  if (output->fd >= 0) close(output->fd);
  output->fd = -1;
  if (!output->scratch.empty()) unlink(output->scratch.c_str());
  output->scratch.clear();
  UnregisterScratchFile(output->slot);
  output->slot = -1;
}

bool CommitOutputs(const std::vector<PendingOutput*>& outputs, std::string* error) {
  struct Placed {
    std::string kept;  // the old file's second name, or empty
    bool hadFile;
  };
  std::vector<Placed> placed;
  size_t i = 0;
  for (; i < outputs.size(); ++i) {
    PendingOutput& output = *outputs[i];
    struct stat st;
    const bool hadFile = lstat(output.target.c_str(), &st) == 0;
    const std::string kept = KeepOldFile(output.target);
    if (std::rename(output.scratch.c_str(), output.target.c_str()) != 0) {
      *error = "cannot write " + output.target + ": " + std::strerror(errno);
      if (!kept.empty()) unlink(kept.c_str());
      break;
    }
    placed.push_back(Placed{kept, hadFile});
    output.scratch.clear();
  }
  const bool ok = i == outputs.size();
  for (size_t j = 0; j < placed.size(); ++j) {
    const std::string& target = outputs[j]->target;
    if (!ok) {
      // Put back what was there: the old file, or no file.
      if (!placed[j].kept.empty()) {
        std::rename(placed[j].kept.c_str(), target.c_str());
      } else if (!placed[j].hadFile) {
        unlink(target.c_str());
      }
    } else if (!placed[j].kept.empty()) {
      unlink(placed[j].kept.c_str());
    }
    SyncFolder(target);
  }
  for (PendingOutput* output : outputs) DiscardOutput(output);
  return ok;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code ea, eb;
  const std::filesystem::path pa = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
  const std::filesystem::path pb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
  if (ea || eb) return std::filesystem::absolute(a).lexically_normal() == std::filesystem::absolute(b).lexically_normal();
  return pa == pb;
}
