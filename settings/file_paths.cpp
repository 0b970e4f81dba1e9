#include "settings/file_paths.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "host/text_utils.h"

namespace {

// Both separators are taken: the program's own paths are Windows paths, and
// the paths of the system it runs on may use '/'.
size_t FolderLength(const char* path) {
  const char* back = std::strrchr(path, '\\');
  const char* forward = std::strrchr(path, '/');
  const char* last = back > forward ? back : forward;
  return last == nullptr ? 0 : size_t(last - path) + 1;
}

char SeparatorOf(const char* path) {
  size_t n = FolderLength(path);
  return n > 0 ? path[n - 1] : OsPathSeparator();
}

void SetPath(FileSpec* out, const std::string& text) {
  if (text.size() > size_t(kMaxPathLength) - 1) {
    out->path[0] = '\0';  // does not fit: no path rather than a cut one
    return;
  }
  std::memcpy(out->path, text.c_str(), text.size() + 1);
}

}  // namespace

int16_t OpenFileSpec(const FileSpec* fileSpec, FileHandle* handleOut, int16_t mode) {
  if (fileSpec == nullptr) return kFileCannotOpen;
  return OpenFileSpec(fileSpec->path, handleOut, mode);
}

int16_t MakeSubfolder(const FileSpec* fileSpec, const char* name, FileSpec* out) {
  if (fileSpec == nullptr || name == nullptr || out == nullptr) return kPathNullSubfolder;
  std::string path = std::string(fileSpec->path) + name + SeparatorOf(fileSpec->path);
  SetPath(out, path);
  if (out->path[0] == '\0') return kFileCannotOpen;
  std::string folder = path.substr(0, path.size() - 1);
  return OsMakeFolder(folder.c_str()) ? kFileOk : kFileCannotOpen;
}

int16_t CopyFileSpecFolder(const FileSpec* source, FileSpec* dest) {
  if (source == nullptr || dest == nullptr) return kPathNullFolderCopy;
  SetPath(dest, std::string(source->path, FolderLength(source->path)));
  return kFileOk;
}

void FileSpecFileName(const FileSpec* fileSpec, char* buffer) {
  if (fileSpec == nullptr || buffer == nullptr) return;
  const char* name = fileSpec->path + FolderLength(fileSpec->path);
  std::snprintf(buffer, size_t(kMaxPathLength) + 1, "%s", name);
}

void FileSpecInSameFolder(const FileSpec* fileSpec, const char* name, FileSpec* out) {
  if (fileSpec == nullptr || name == nullptr || out == nullptr) return;
  SetPath(out, std::string(fileSpec->path, FolderLength(fileSpec->path)) + name);
}

void BuildExportFileName(const FileSpec* source, FileSpec* out, int32_t index, int32_t count,
                         const char* newExtension, int32_t makeSafe, const char* suffix, bool spaced) {
  if (source == nullptr || out == nullptr) return;
  bool hasSuffix = suffix != nullptr && suffix[0] != '\0';
  bool hasExtension = newExtension != nullptr && newExtension[0] != '\0';
  if (!hasSuffix && count < 2 && !hasExtension) {
    if (out != source) SetPath(out, source->path);
    return;
  }
  size_t folderLength = FolderLength(source->path);
  std::string folder(source->path, folderLength);
  std::string name(source->path + folderLength);
  std::string extension;
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) {
    extension = name.substr(dot);
    name.erase(dot);
  }
  if (hasExtension) extension = newExtension;
  if (makeSafe == 1) {
    char safe[kMaxPathLength + 1];
    std::snprintf(safe, sizeof safe, "%s", name.c_str());
    MakeSafeFileName(safe);
    name = safe;
  }
  std::string middle;
  if (hasSuffix) {
    middle = std::string(spaced ? " " : "") + suffix;
  } else if (count >= 2) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", int(index));
    middle = std::string(spaced ? " " : "") + digits;
  }
  SetPath(out, folder + name + middle + extension);
}

void BuildSiblingFileName(const char* newExtension, FileSpec* out, const FileSpec* source, int32_t makeSafe) {
  BuildExportFileName(source, out, 0, 0, newExtension, makeSafe, nullptr, true);
}
