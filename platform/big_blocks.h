// Memory for large buffers (whole images, tiles of a level, encoded files).
// On POSIX a block of 2 MB or more gets a mapping of its own, 2 MB aligned and
// marked for transparent huge pages, so that its first touch takes one page
// fault per 2 MB instead of one per 4 KB where the kernel allows huge pages;
// it goes back to the system as soon as it is freed. Smaller blocks, the
// sanitizer builds and Windows use the ordinary heap.
#pragma once

#include <cstddef>

// Uninitialised memory of `bytes` (at least 1), aligned for any type;
// nullptr when there is none.
void* AllocBigBlock(size_t bytes);
// Memory that reads as zero.
void* AllocZeroedBigBlock(size_t bytes);
// Frees a block of AllocBigBlock or AllocZeroedBigBlock; `bytes` is the size
// it was asked with.
void FreeBigBlock(void* block, size_t bytes);
// Whether large blocks get huge-page mappings here (false on Windows and in
// the sanitizer builds).
bool BigBlocksUseHugePages();
// Has the system back the pages of [start, start + bytes) with memory now,
// as the first write to each would, keeping every byte already there. A
// fresh page costs the kernel a clearing at its first touch; threads that
// prepare parts of a block side by side share that work instead of leaving
// it to whichever thread touches the page first. Does nothing where the
// system has no such request.
void PrepareBlockPages(void* start, size_t bytes);
