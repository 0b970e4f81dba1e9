// Operating-system stand-ins for the settings files: plain file handles,
// whole-file replacement and the two folders that settings live in (the
// temporary folder and the desktop). One implementation per platform, under
// platform/posix/ and platform/win32/.
#pragma once

#include <cstddef>
#include <cstdint>

// An open file. The invalid value stands for "no file".
using OsFile = intptr_t;
constexpr OsFile kInvalidOsFile = -1;

// Opens for writing: creates the file when missing, keeps the bytes of an
// existing one (no truncation) and starts writing at its first byte.
OsFile OsOpenFileForWriting(const char* path);
// Creates a new file for writing. Whatever stands at the path already (a
// stale file, or a link someone planted) is removed first, never followed:
// the file written is always one this call created.
OsFile OsCreateFileForWriting(const char* path);
// Opens an existing file for reading.
OsFile OsOpenFileForReading(const char* path);
void OsCloseFile(OsFile file);

// One system call each; the count actually moved is stored in *moved.
// False when the call itself fails.
bool OsWriteFile(OsFile file, const void* data, uint32_t count, uint32_t* moved);
bool OsReadFile(OsFile file, void* data, uint32_t count, uint32_t* moved);
// Sets the end of the file at the current position.
bool OsTruncateFileHere(OsFile file);

// Moves `from` over `to`, replacing `to` when it exists.
bool OsReplaceFile(const char* from, const char* to);
bool OsRemoveFile(const char* path);
// Creates a folder; an existing folder is no failure.
bool OsMakeFolder(const char* path);

// The platform's path separator ('\\' on Windows, '/' elsewhere).
char OsPathSeparator();
// The temporary folder with a final separator. False when the system gives
// none; `out` is then empty.
bool OsTempFolder(char* out, size_t capacity);
// The user's desktop folder without a final separator. False when the system
// gives none; `out` is then empty.
bool OsDesktopFolder(char* out, size_t capacity);
