// A byte vector for whole images that leaves new bytes as they come from the
// allocator: resizing an image buffer that a decoder or a renderer is about
// to write in full costs no pass over the memory (and, for large images, no
// page faults before the pixels arrive). `assign(n, value)` and
// `resize(n, value)` still fill. The memory comes from the big-block
// allocator (huge pages for large buffers where the system has them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/big_blocks.h"

template <typename T>
struct NoFillAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = NoFillAllocator<U>;
  };
  NoFillAllocator() = default;
  template <typename U>
  NoFillAllocator(const NoFillAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    void* block = AllocBigBlock(n * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* p, size_t n) noexcept { FreeBigBlock(p, n * sizeof(T)); }

  // Construction without arguments default-initialises (no zero fill).
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

template <typename T, typename U>
bool operator==(const NoFillAllocator<T>&, const NoFillAllocator<U>&) noexcept {
  return true;
}

using PixelBytes = std::vector<uint8_t, NoFillAllocator<uint8_t>>;
