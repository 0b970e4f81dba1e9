#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/big_blocks.h"
#include "platform/pixel_bytes.h"

namespace {

constexpr size_t kMiB = size_t(1) << 20;

// Sizes on both sides of the point where blocks get mappings of their own.
constexpr size_t kSizes[] = {0, 1, 4095, 2 * kMiB - 1, 2 * kMiB, 2 * kMiB + 1, 5 * kMiB + 3};

// Every block is writable over its whole length, holds what was written
// while other blocks come and go, and a zeroed one reads zero throughout.
TEST(BigBlocks, BlocksOfEverySizeKeepTheirBytesAndZeroedOnesReadZero) {
  for (size_t size : kSizes) {
    SCOPED_TRACE(size);
    const size_t length = size > 0 ? size : 1;
    auto* block = static_cast<uint8_t*>(AllocBigBlock(size));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    for (size_t i = 0; i < length; ++i) block[i] = uint8_t(i * 7 + 1);
    auto* zeroed = static_cast<uint8_t*>(AllocZeroedBigBlock(size));
    ASSERT_NE(zeroed, nullptr);
    size_t nonZero = 0;
    for (size_t i = 0; i < length; ++i) nonZero += zeroed[i] != 0;
    EXPECT_EQ(nonZero, 0u);
    std::memset(zeroed, 0xA5, length);
    size_t wrong = 0;
    for (size_t i = 0; i < length; ++i) wrong += block[i] != uint8_t(i * 7 + 1);
    EXPECT_EQ(wrong, 0u);
    FreeBigBlock(zeroed, size);
    FreeBigBlock(block, size);
  }
  FreeBigBlock(nullptr, 10);
}

// A pixel vector that grows across the mapping threshold keeps its bytes.
TEST(BigBlocks, PixelBytesGrowAcrossTheThresholdKeepingTheirBytes) {
  PixelBytes bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i);
  bytes.resize(3 * kMiB);
  bytes.back() = 9;
  bytes.resize(7 * kMiB);
  for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(bytes[i], uint8_t(i));
  EXPECT_EQ(bytes[3 * kMiB - 1], 9);
  bytes.assign(3 * kMiB, 4);
  EXPECT_EQ(bytes[3 * kMiB - 1], 4);
}

// Backing pages ahead of use (unaligned ranges, half-written blocks, zeroed
// blocks, the heap's small blocks) changes no byte.
TEST(BigBlocks, PreparingPagesKeepsEveryByte) {
  for (size_t size : kSizes) {
    SCOPED_TRACE(size);
    const size_t length = size > 0 ? size : 1;
    auto* block = static_cast<uint8_t*>(AllocBigBlock(size));
    auto* zeroed = static_cast<uint8_t*>(AllocZeroedBigBlock(size));
    ASSERT_NE(block, nullptr);
    ASSERT_NE(zeroed, nullptr);
    const size_t half = length / 2;
    for (size_t i = 0; i < half; ++i) block[i] = uint8_t(i * 13 + 5);
    PrepareBlockPages(block + length / 3, length - length / 3);
    PrepareBlockPages(block, half);
    PrepareBlockPages(zeroed + 1, length - 1);
    PrepareBlockPages(nullptr, 0);
    size_t wrong = 0, nonZero = 0;
    for (size_t i = 0; i < half; ++i) wrong += block[i] != uint8_t(i * 13 + 5);
    for (size_t i = 0; i < length; ++i) nonZero += zeroed[i] != 0;
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(nonZero, 0u);
    for (size_t i = half; i < length; ++i) block[i] = 3;  // still writable
    FreeBigBlock(zeroed, size);
    FreeBigBlock(block, size);
  }
}

}  // namespace
