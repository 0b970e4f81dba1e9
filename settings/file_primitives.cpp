#include "settings/file_primitives.h"

#include <cstring>

namespace {

int16_t WriteBytes(const void* bytes, uint32_t count, FileHandle handle) {
  uint32_t moved = 0;
  return OsWriteFile(handle, bytes, count, &moved) && moved == count ? kFileOk : kFileWriteFailed;
}

// A short read is a failure: the caller's destination is then left alone.
int16_t ReadBytes(void* bytes, uint32_t count, FileHandle handle) {
  uint32_t moved = 0;
  return OsReadFile(handle, bytes, count, &moved) && moved == count ? kFileOk : kFileReadFailed;
}

void PutBE32(uint32_t value, uint8_t* out) {
  out[0] = uint8_t(value >> 24);
  out[1] = uint8_t(value >> 16);
  out[2] = uint8_t(value >> 8);
  out[3] = uint8_t(value);
}

void PutLE32(uint32_t value, uint8_t* out) {
  out[0] = uint8_t(value);
  out[1] = uint8_t(value >> 8);
  out[2] = uint8_t(value >> 16);
  out[3] = uint8_t(value >> 24);
}

uint32_t GetBE32(const uint8_t* in) {
  return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | uint32_t(in[3]);
}

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

// `folder` + `name` into `out`, empty when it does not fit.
void JoinInto(char* out, const char* folder, const char* name) {
  size_t a = std::strlen(folder);
  size_t b = name != nullptr ? std::strlen(name) : 0;
  if (a + b + 1 > size_t(kMaxPathBytes)) {
    out[0] = '\0';
    return;
  }
  std::memcpy(out, folder, a);
  if (b > 0) std::memcpy(out + a, name, b);
  out[a + b] = '\0';
}

}  // namespace

int16_t OpenFileSpec(const char* path, FileHandle* handleOut, int16_t mode) {
  FileHandle handle = mode == 1 ? OsOpenFileForWriting(path) : OsOpenFileForReading(path);
  if (handle == kNoFile) return kFileCannotOpen;
  *handleOut = handle;
  return kFileOk;
}

void CloseFileHandle(FileHandle handle) { OsCloseFile(handle); }

int16_t TruncateFileHere(FileHandle handle) {
  OsTruncateFileHere(handle);
  return kFileOk;
}

int16_t WriteInt32BE(int32_t value, FileHandle handle) {
  uint8_t b[4];
  PutBE32(uint32_t(value), b);
  return WriteBytes(b, 4, handle);
}

int16_t ReadInt32BE(int32_t* dest, FileHandle handle) {
  uint8_t b[4];
  int16_t status = ReadBytes(b, 4, handle);
  if (status == kFileOk) *dest = int32_t(GetBE32(b));
  return status;
}

int16_t WriteFloat32BE(float value, FileHandle handle) {
  uint8_t b[4];
  PutBE32(FloatBits(value), b);
  return WriteBytes(b, 4, handle);
}

int16_t ReadFloat32BE(float* dest, FileHandle handle) {
  uint8_t b[4];
  int16_t status = ReadBytes(b, 4, handle);
  if (status == kFileOk) {
    uint32_t bits = GetBE32(b);
    std::memcpy(dest, &bits, 4);
  }
  return status;
}

int16_t WriteInt32LE(int32_t value, FileHandle handle) {
  uint8_t b[4];
  PutLE32(uint32_t(value), b);
  return WriteBytes(b, 4, handle);
}

int16_t WriteFloat32LE(float value, FileHandle handle) {
  uint8_t b[4];
  PutLE32(FloatBits(value), b);
  return WriteBytes(b, 4, handle);
}

int16_t WriteUInt16BE(uint16_t value, FileHandle handle) {
  uint8_t b[2] = {uint8_t(value >> 8), uint8_t(value)};
  return WriteBytes(b, 2, handle);
}

int16_t WriteByte(uint8_t value, FileHandle handle) { return WriteBytes(&value, 1, handle); }

int16_t WriteZeroBytes(int16_t count, FileHandle handle) {
  int16_t status = kFileOk;
  for (int16_t i = 0; i < count; ++i) status = WriteByte(0, handle);
  return status;
}

int16_t WriteCString(const char* text, FileHandle handle) {
  if (text == nullptr) return kFileCannotOpen;
  return WriteBytes(text, uint32_t(std::strlen(text)), handle);
}

int16_t WriteBlock(FileHandle handle, int32_t* countInOut, const void* buffer) {
  if (*countInOut < 0) {
    *countInOut = 0;
    return kFileWriteFailed;
  }
  uint32_t moved = 0;
  bool ok = OsWriteFile(handle, buffer, uint32_t(*countInOut), &moved);
  bool complete = ok && moved == uint32_t(*countInOut);
  *countInOut = int32_t(moved);
  return complete ? kFileOk : kFileWriteFailed;
}

int16_t ReadBlock(FileHandle handle, int32_t* countInOut, void* buffer) {
  if (*countInOut < 0) {
    *countInOut = 0;
    return kFileReadFailed;
  }
  uint32_t moved = 0;
  bool ok = OsReadFile(handle, buffer, uint32_t(*countInOut), &moved);
  bool complete = ok && moved == uint32_t(*countInOut);
  *countInOut = int32_t(moved);
  return complete ? kFileOk : kFileReadFailed;
}

int16_t SkipBytes(int32_t count, FileHandle handle) {
  int16_t status = kFileOk;
  uint8_t scratch[256];
  while (count > 256) {
    status = ReadBytes(scratch, 256, handle);
    if (status != kFileOk) return status;  // the file ended: no point reading on
    count -= 256;
  }
  while (count > 0) {
    status = ReadBytes(scratch, 1, handle);
    if (status != kFileOk) return status;
    --count;
  }
  return status;
}

uint32_t SwapBytes32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

uint16_t SwapBytes16(uint16_t value) { return uint16_t((value >> 8) | (value << 8)); }

void InitBufferedWriter(BufferedWriter* writer, FileHandle handle) {
  writer->handle = handle;
  writer->pending = 0;
}

void BufferedPutByte(uint8_t value, BufferedWriter* writer) {
  writer->buffer[writer->pending++] = value;
  if (writer->pending == int32_t(sizeof writer->buffer)) FlushBufferedWriter(writer);
}

void BufferedPutUInt16(uint16_t value, BufferedWriter* writer) {
  BufferedPutByte(uint8_t(value), writer);
  BufferedPutByte(uint8_t(value >> 8), writer);
}

void BufferedPutUInt32(uint32_t value, BufferedWriter* writer) {
  for (int shift = 0; shift < 32; shift += 8) BufferedPutByte(uint8_t(value >> shift), writer);
}

void FlushBufferedWriter(BufferedWriter* writer) {
  if (writer->pending > 0) {
    uint32_t moved = 0;
    OsWriteFile(writer->handle, writer->buffer, uint32_t(writer->pending), &moved);
  }
  writer->pending = 0;
}

int16_t TempFolderPath(char* out, const char* name) {
  if (out == nullptr) return 1;
  char folder[kMaxPathBytes];
  if (!OsTempFolder(folder, sizeof folder)) {
    std::strcpy(folder, OsPathSeparator() == '\\' ? "C:\\Windows\\Temp\\" : "/tmp/");
  }
  JoinInto(out, folder, name);
  return 0;
}

void DesktopFolderPath(char* out, const char* name) {
  if (out == nullptr) return;
  char folder[kMaxPathBytes];
  if (!OsDesktopFolder(folder, sizeof folder - 1)) {
    std::strcpy(folder, OsPathSeparator() == '\\' ? "C:" : "");
  }
  size_t n = std::strlen(folder);
  folder[n] = OsPathSeparator();
  folder[n + 1] = '\0';
  JoinInto(out, folder, name);
}
