// Windows keeps large blocks on the ordinary heap.
#include <cstdlib>

#include "platform/big_blocks.h"

void* AllocBigBlock(size_t bytes) { return std::malloc(bytes > 0 ? bytes : 1); }

void* AllocZeroedBigBlock(size_t bytes) { return std::calloc(1, bytes > 0 ? bytes : 1); }

void FreeBigBlock(void* block, size_t /*bytes*/) { std::free(block); }

bool BigBlocksUseHugePages() { return false; }

// Pages come at first touch.
void PrepareBlockPages(void* /*start*/, size_t /*bytes*/) {}
