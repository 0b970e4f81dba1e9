// File specifications for the file primitives: opening a FileSpec, folders
// and names next to a file, and the names of export files.
#pragma once

#include <cstdint>

#include "host/rect_path.h"
#include "settings/file_primitives.h"

// OpenFileSpec on the path of a file specification.
int16_t OpenFileSpec(const FileSpec* fileSpec, FileHandle* handleOut, int16_t mode);

// out = the folder path of `fileSpec` (ending in a separator) + name + a
// separator; the folder is created (an existing one is no failure). Null
// arguments answer 396; a folder that cannot be made answers 99.
int16_t MakeSubfolder(const FileSpec* fileSpec, const char* name, FileSpec* out);
// dest = the folder part of the source path, its last separator included.
// Null arguments answer 398.
int16_t CopyFileSpecFolder(const FileSpec* source, FileSpec* dest);
// The file name after the last separator; `buffer` holds kMaxPathLength + 1 bytes.
void FileSpecFileName(const FileSpec* fileSpec, char* buffer);
// out = the folder of `fileSpec` joined with `name`; empty when too long.
void FileSpecInSameFolder(const FileSpec* fileSpec, const char* name, FileSpec* out);

// The name of an export file made from `source`: another extension, a
// suffix or a three-digit index, the name made safe when `makeSafe` is 1.
void BuildExportFileName(const FileSpec* source, FileSpec* out, int32_t index, int32_t count,
                         const char* newExtension, int32_t makeSafe, const char* suffix, bool spaced);
// The same folder and name with another extension.
void BuildSiblingFileName(const char* newExtension, FileSpec* out, const FileSpec* source, int32_t makeSafe);
