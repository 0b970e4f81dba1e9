#include "host/rect_path.h"

#include <algorithm>
#include <cstring>

#include "host/text_utils.h"

namespace {

int16_t ClampToInt16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// Index of the last '.' of the last path element, or -1.
int32_t ExtensionDot(const char* path, int32_t length) {
  for (int32_t i = length - 1; i >= 0; --i) {
    if (path[i] == '.') return i;
    if (path[i] == '\\' || path[i] == '/') return -1;
  }
  return -1;
}

int32_t LastBackslash(const char* path, int32_t length) {
  for (int32_t i = length - 1; i >= 0; --i) {
    if (path[i] == '\\') return i;
  }
  return -1;
}

void CopyPart(char* dest, size_t capacity, const char* src, size_t n) {
  if (!dest || capacity == 0) return;
  n = std::min(n, capacity - 1);
  std::memmove(dest, src, n);
  dest[n] = 0;
}

}  // namespace

void SetRect16(Rect* rect, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (!rect) return;
  rect->top = top;
  rect->left = left;
  rect->bottom = bottom;
  rect->right = right;
}

bool IsRectEmpty16(const Rect* rect) { return !rect || rect->right <= rect->left || rect->bottom <= rect->top; }

void CopyRect16(Rect* dest, const Rect* src) {
  if (dest && src) *dest = *src;
}

void CopyRectTo(const Rect* src, Rect* dest) { CopyRect16(dest, src); }

void CopyRectToAlt(const Rect* src, Rect* dest) { CopyRect16(dest, src); }

void ClipRect(Rect* rect, const Rect* bounds) {
  if (!rect || !bounds) return;
  if (rect->left < bounds->left) rect->left = bounds->left;
  if (rect->top < bounds->top) rect->top = bounds->top;
  if (rect->right > bounds->right) rect->right = bounds->right;
  if (rect->bottom > bounds->bottom) rect->bottom = bounds->bottom;
}

bool EqualRects(const Rect* a, const Rect* b) {
  if (!a || !b) return a == b;
  return a->top == b->top && a->left == b->left && a->bottom == b->bottom && a->right == b->right;
}

void ScaleRect(Rect* rect, int32_t m, int32_t d) {
  if (!rect) return;
  if (d == 0) d = 1;
  // Products are taken in 64 bits so that no factor can overflow; the quotient
  // truncates toward zero as 32-bit division does.
  auto scale = [m, d](int16_t v) { return ClampToInt16(int64_t(v) * m / d); };
  rect->top = scale(rect->top);
  rect->left = scale(rect->left);
  rect->bottom = scale(rect->bottom);
  rect->right = scale(rect->right);
}

void InsetRect16(Rect* rect, int16_t dx, int16_t dy) {
  if (!rect) return;
  rect->left = static_cast<int16_t>(rect->left + dx);
  rect->right = static_cast<int16_t>(rect->right - dx);
  rect->top = static_cast<int16_t>(rect->top + dy);
  rect->bottom = static_cast<int16_t>(rect->bottom - dy);
}

void OffsetRect16(Rect* rect, int16_t dx, int16_t dy) {
  if (!rect) return;
  rect->left = static_cast<int16_t>(rect->left + dx);
  rect->right = static_cast<int16_t>(rect->right + dx);
  rect->top = static_cast<int16_t>(rect->top + dy);
  rect->bottom = static_cast<int16_t>(rect->bottom + dy);
}

void StripExtension(char* path) {
  if (!path) return;
  const int32_t dot = ExtensionDot(path, TextLength(path));
  if (dot >= 0) path[dot] = 0;
}

void GetExtension(char* dest, size_t capacity, const char* path) {
  if (!dest || capacity == 0) return;
  dest[0] = 0;
  if (!path) return;
  const int32_t length = TextLength(path);
  if (length < 2) return;
  const int32_t dot = ExtensionDot(path, length);
  if (dot >= 0) CopyPart(dest, capacity, path + dot, size_t(length - dot));
}

void FileNamePart(char* dest, size_t capacity, const char* path) {
  if (!dest || capacity == 0) return;
  dest[0] = 0;
  if (!path) return;
  const int32_t length = TextLength(path);
  const int32_t slash = LastBackslash(path, length);
  CopyPart(dest, capacity, path + slash + 1, size_t(length - slash - 1));
}

void FolderPart(char* dest, size_t capacity, const char* path) {
  if (!dest || capacity == 0) return;
  dest[0] = 0;
  if (!path) return;
  const int32_t slash = LastBackslash(path, TextLength(path));
  if (slash >= 0) CopyPart(dest, capacity, path, size_t(slash + 1));
}

void SetFileSpecName(FileSpec* spec, const char* src, int32_t n) {
  if (!spec || !src) return;
  // At most n bytes, never past the source's terminator nor the path's room.
  const size_t limit = size_t(std::clamp<int32_t>(n, 0, kMaxPathLength));
  size_t count = 0;
  while (count < limit && src[count]) ++count;
  std::memmove(spec->path, src, count);
  spec->path[count] = 0;
}

void JoinFileSpecPath(FileSpec* spec, const char* folder, const char* name, int32_t limit) {
  if (!spec || !folder || !name) return;
  limit = std::min(limit, kMaxPathLength);
  const int32_t folderLength = TextLength(folder);
  const int32_t nameLength = TextLength(name);
  if (folderLength + nameLength + 1 > limit) {
    spec->path[0] = 0;
    return;
  }
  char joined[kMaxPathLength + 1];
  std::memcpy(joined, folder, size_t(folderLength));
  int32_t length = folderLength;
  if (folderLength > 0 && folder[folderLength - 1] != '\\' && folder[folderLength - 1] != '/') joined[length++] = '\\';
  std::memcpy(joined + length, name, size_t(nameLength));
  length += nameLength;
  joined[length] = 0;
  std::memcpy(spec->path, joined, size_t(length + 1));
}
