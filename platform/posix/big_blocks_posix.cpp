#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/big_blocks.h"

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers see heap blocks only (bounds, leaks, races).
constexpr bool kOwnMappings = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kOwnMappings = false;
#else
constexpr bool kOwnMappings = true;
#endif
#else
constexpr bool kOwnMappings = true;
#endif

bool OwnMapping(size_t bytes) { return kOwnMappings && bytes >= kHugePage; }

size_t MappedLength(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

// A mapping of `length` bytes at a 2 MB boundary: one 2 MB larger is mapped
// and the ends outside the aligned part are given back.
void* MapAligned(size_t length) {
  void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) {
    // Without the room to align: an unaligned mapping still serves.
    raw = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return raw == MAP_FAILED ? nullptr : raw;
  }
  const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
  const size_t head = aligned - start;
  if (head > 0) munmap(raw, head);
  const size_t tail = kHugePage - head;
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + length), tail);
  void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  // Refused where huge pages are off or unknown: the mapping stays usable.
  madvise(block, length, MADV_HUGEPAGE);
#endif
  return block;
}

}  // namespace

void* AllocBigBlock(size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (OwnMapping(bytes)) {
    if (bytes > SIZE_MAX - 2 * kHugePage) return nullptr;
    return MapAligned(MappedLength(bytes));
  }
  return std::malloc(bytes);
}

void* AllocZeroedBigBlock(size_t bytes) {
  if (bytes == 0) bytes = 1;
  // A fresh mapping reads as zero already.
  if (OwnMapping(bytes)) return AllocBigBlock(bytes);
  return std::calloc(1, bytes);
}

void FreeBigBlock(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes == 0) bytes = 1;
  if (OwnMapping(bytes)) {
    munmap(block, MappedLength(bytes));
    return;
  }
  std::free(block);
}

bool BigBlocksUseHugePages() { return kOwnMappings; }

void PrepareBlockPages(void* start, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  if (start == nullptr || bytes == 0) return;
  // Whole pages around the range; a kernel without the request refuses it
  // and the pages come at first touch as before.
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t first = reinterpret_cast<uintptr_t>(start) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(start) + bytes + page - 1) & ~(page - 1);
  madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
  (void)start;
  (void)bytes;
#endif
}
