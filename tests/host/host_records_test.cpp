#include <gtest/gtest.h>

#include "host/host_records.h"

// The layout is pinned by static_asserts in the header; this checks the few
// values a host compares against at run time.
TEST(HostRecords, FourCharCodesAreBigEndianPacked) {
  EXPECT_EQ(MakeFourCC('P', 'a', 'r', 'm'), 0x5061726Du);
  EXPECT_EQ(sizeof(FilterRecord), 500u);
}
