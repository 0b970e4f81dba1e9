// A global heap over the big-block allocator (the heap for small blocks, a
// huge-page mapping for large ones). Each block is one allocation: a header, then the
// data, so the handle of a data pointer is found by stepping back over the
// header. Blocks never move; a lock count is kept only to answer the unlock
// call as Windows does.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/big_blocks.h"
#include "platform/global_heap_os.h"

namespace {

constexpr uint32_t kBlockMagic = 0x47424C4Bu;  // marks a live block
constexpr uint32_t kFreedMagic = 0x46524545u;  // marks a freed block (caught on reuse)

struct alignas(16) BlockHeader {
  uint32_t magic;
  uint32_t lockCount;
  uint64_t size;
};
static_assert(sizeof(BlockHeader) == 16);

BlockHeader* HeaderOf(GlobalBlock block) {
  auto* header = static_cast<BlockHeader*>(block);
  return header && header->magic == kBlockMagic ? header : nullptr;
}

}  // namespace

GlobalBlock OsGlobalAlloc(uint32_t flags, uint64_t size) {
  if (size > (uint64_t(1) << 48)) return nullptr;
  const size_t total = sizeof(BlockHeader) + static_cast<size_t>(size);
  void* memory = (flags & kGlobalZeroInit) ? AllocZeroedBigBlock(total) : AllocBigBlock(total);
  if (!memory) return nullptr;
  auto* header = static_cast<BlockHeader*>(memory);
  header->magic = kBlockMagic;
  header->lockCount = 0;
  header->size = size;
  return header;
}

void* OsGlobalLock(GlobalBlock block) {
  BlockHeader* header = HeaderOf(block);
  if (!header) return nullptr;
  ++header->lockCount;
  return header + 1;
}

bool OsGlobalUnlock(GlobalBlock block) {
  BlockHeader* header = HeaderOf(block);
  if (!header || header->lockCount == 0) return false;
  return --header->lockCount != 0;
}

GlobalBlock OsGlobalHandle(const void* pointer) {
  auto* header = reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(pointer))) - 1;
  return header->magic == kBlockMagic ? header : nullptr;
}

GlobalBlock OsGlobalFree(GlobalBlock block) {
  BlockHeader* header = HeaderOf(block);
  if (!header) return block;
  header->magic = kFreedMagic;
  FreeBigBlock(header, sizeof(BlockHeader) + static_cast<size_t>(header->size));
  return nullptr;
}
