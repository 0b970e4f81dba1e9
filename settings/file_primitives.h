// Typed file primitives over plain file handles: big- and little-endian
// values, strings, raw blocks, skipping, truncating, a 400-byte buffered
// writer and the temporary and desktop folder paths. Every primitive reports
// a small result code and never throws.
#pragma once

#include <cstdint>

#include "platform/settings_os.h"

using FileHandle = OsFile;
constexpr FileHandle kNoFile = kInvalidOsFile;

// Result codes of the file primitives.
constexpr int16_t kFileOk = 0;
constexpr int16_t kFileCannotOpen = 99;  // also: a null text given to a string writer
constexpr int16_t kFileWriteFailed = -20;
constexpr int16_t kFileReadFailed = -19;  // the system call failed, or the file ended first
constexpr int16_t kPathNullSubfolder = 396;
constexpr int16_t kPathNullFolderCopy = 398;

constexpr int kMaxPathBytes = 260;  // paths hold at most 259 characters and their terminator

// Mode 1 opens for writing (created when missing, kept as it is otherwise);
// any other mode opens an existing file for reading. 99 leaves *handleOut as
// it was.
int16_t OpenFileSpec(const char* path, FileHandle* handleOut, int16_t mode);
void CloseFileHandle(FileHandle handle);
int16_t TruncateFileHere(FileHandle handle);

// Typed values. A read that gets fewer bytes than the value's width answers
// -19 and leaves the destination as it was.
int16_t WriteInt32BE(int32_t value, FileHandle handle);
int16_t ReadInt32BE(int32_t* dest, FileHandle handle);
int16_t WriteFloat32BE(float value, FileHandle handle);
int16_t ReadFloat32BE(float* dest, FileHandle handle);
int16_t WriteInt32LE(int32_t value, FileHandle handle);
int16_t WriteFloat32LE(float value, FileHandle handle);
int16_t WriteUInt16BE(uint16_t value, FileHandle handle);
int16_t WriteByte(uint8_t value, FileHandle handle);
int16_t WriteZeroBytes(int16_t count, FileHandle handle);
int16_t WriteCString(const char* text, FileHandle handle);
// One call each; *countInOut becomes the number of bytes moved. A read that
// moves fewer bytes than asked answers -19.
int16_t WriteBlock(FileHandle handle, int32_t* countInOut, const void* buffer);
int16_t ReadBlock(FileHandle handle, int32_t* countInOut, void* buffer);
// Reads and discards: whole 256-byte reads while more than 256 remain, then
// the rest one byte at a time. Answers the status of the last read.
int16_t SkipBytes(int32_t count, FileHandle handle);

uint32_t SwapBytes32(uint32_t value);
uint16_t SwapBytes16(uint16_t value);

// A 400-byte output buffer, the pending count and the file, in that order.
struct BufferedWriter {
  uint8_t buffer[400];
  int32_t pending;
  FileHandle handle;
};

void InitBufferedWriter(BufferedWriter* writer, FileHandle handle);
void BufferedPutByte(uint8_t value, BufferedWriter* writer);
// Low byte first; callers that want big-endian swap the value first.
void BufferedPutUInt16(uint16_t value, BufferedWriter* writer);
void BufferedPutUInt32(uint32_t value, BufferedWriter* writer);
void FlushBufferedWriter(BufferedWriter* writer);

// The temporary folder (with its final separator) followed by `name` when
// not null. A null `out` answers 1, else 0. `out` holds kMaxPathBytes bytes.
int16_t TempFolderPath(char* out, const char* name);
// The desktop folder, a separator and `name`. `out` holds kMaxPathBytes bytes.
void DesktopFolderPath(char* out, const char* name);
