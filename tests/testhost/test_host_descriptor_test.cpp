#include <gtest/gtest.h>

#include <cstring>

#include "platform/testhost/test_host.h"

namespace {

constexpr DescriptorKeyId kKeyA = MakeFourCC('K', 'e', 'y', 'A');
constexpr DescriptorKeyId kKeyB = MakeFourCC('K', 'e', 'y', 'B');
constexpr DescriptorKeyId kKeyC = MakeFourCC('K', 'e', 'y', 'C');
constexpr DescriptorKeyId kKeyD = MakeFourCC('K', 'e', 'y', 'D');
constexpr DescriptorKeyId kKeyE = MakeFourCC('K', 'e', 'y', 'E');

struct DescriptorFixture : ::testing::Test {
  TestDocument doc = MakeTestDocument(2, 2, 1, 8, false);
  TestHost host;
  void SetUp() override { InitTestHost(&host, &doc, {}); }
  void TearDown() override { ShutdownTestHost(&host); }
};

// What a filter writes through the write procs, it reads back through the
// read procs, key by key, in the order written.
TEST_F(DescriptorFixture, WrittenValuesReadBackThroughTheProcs) {
  WriteDescriptorProcs& w = host.writeProcs;
  DescriptorToken token = w.openWriteDescriptorProc();
  ASSERT_NE(token, nullptr);
  const double pi = 3.25;
  EXPECT_EQ(w.putIntegerProc(token, kKeyA, -42), kNoErr);
  EXPECT_EQ(w.putFloatProc(token, kKeyB, &pi), kNoErr);
  EXPECT_EQ(w.putBooleanProc(token, kKeyC, 1), kNoErr);
  EXPECT_EQ(w.putEnumeratedProc(token, kKeyD, MakeFourCC('I', 'n', 'p', 't'), MakeFourCC('E', 'q', 'u', 'i')),
            kNoErr);
  const unsigned char name[] = "\x05hello";
  EXPECT_EQ(w.putStringProc(token, kKeyE, name), kNoErr);
  HostHandleRef written = nullptr;
  EXPECT_EQ(w.closeWriteDescriptorProc(token, &written), kNoErr);
  ASSERT_NE(written, nullptr);

  ReadDescriptorProcs& r = host.readProcs;
  DescriptorKeyId keys[] = {kKeyA, kKeyB, 0};
  DescriptorToken rt = r.openReadDescriptorProc(written, keys);
  ASSERT_NE(rt, nullptr);
  DescriptorKeyId key = 0;
  DescriptorTypeId type = 0;
  int32_t flags = -1;
  ASSERT_TRUE(r.getKeyProc(rt, &key, &type, &flags));
  EXPECT_EQ(key, kKeyA);
  EXPECT_EQ(type, kDescTypeInteger);
  int32_t i = 0;
  EXPECT_EQ(r.getIntegerProc(rt, &i), kNoErr);
  EXPECT_EQ(i, -42);
  EXPECT_EQ(r.getPinnedIntegerProc(rt, -10, 10, &i), kNoErr);
  EXPECT_EQ(i, -10);
  ASSERT_TRUE(r.getKeyProc(rt, &key, &type, &flags));
  double d = 0;
  EXPECT_EQ(r.getFloatProc(rt, &d), kNoErr);
  EXPECT_EQ(d, 3.25);
  EXPECT_EQ(r.getIntegerProc(rt, &i), kDescWrongType);
  ASSERT_TRUE(r.getKeyProc(rt, &key, &type, &flags));
  HostBoolean b = 0;
  EXPECT_EQ(r.getBooleanProc(rt, &b), kNoErr);
  EXPECT_EQ(b, 1);
  ASSERT_TRUE(r.getKeyProc(rt, &key, &type, &flags));
  DescriptorEnumId e = 0;
  EXPECT_EQ(r.getEnumeratedProc(rt, &e), kNoErr);
  EXPECT_EQ(e, MakeFourCC('E', 'q', 'u', 'i'));
  ASSERT_TRUE(r.getKeyProc(rt, &key, &type, &flags));
  unsigned char text[256] = {};
  EXPECT_EQ(r.getStringProc(rt, text), kNoErr);
  EXPECT_EQ(text[0], 5);
  EXPECT_EQ(std::memcmp(text + 1, "hello", 5), 0);
  EXPECT_FALSE(r.getKeyProc(rt, &key, &type, &flags));
  EXPECT_EQ(r.closeReadDescriptorProc(rt), kNoErr);
  host.handleProcs.disposeProc(written);
}

TEST_F(DescriptorFixture, TheHostKeepsTheDescriptorItIsHanded) {
  SetTestHostDescriptor(&host, {DescriptorInteger(kKeyA, 7), DescriptorFloat(kKeyB, 0.5)}, 1);
  EXPECT_EQ(host.record.descriptorParameters->playInfo, 1);
  DescriptorList list;
  ASSERT_TRUE(GetTestHostDescriptor(&host, &list));
  ASSERT_EQ(list.size(), 2u);
  int32_t i = 0;
  double d = 0;
  ASSERT_TRUE(DescriptorEntryInteger(*FindDescriptorEntry(list, kKeyA), &i));
  ASSERT_TRUE(DescriptorEntryFloat(*FindDescriptorEntry(list, kKeyB), &d));
  EXPECT_EQ(i, 7);
  EXPECT_EQ(d, 0.5);
  EXPECT_EQ(FindDescriptorEntry(list, kKeyC), nullptr);
}

TEST(DescriptorBytes, TruncatedBytesAreRefused) {
  std::vector<uint8_t> bytes = SerialiseDescriptor({DescriptorText(kKeyA, "abc"), DescriptorBoolean(kKeyB, true)});
  DescriptorList list;
  ASSERT_TRUE(ParseDescriptor(bytes.data(), bytes.size(), &list));
  EXPECT_EQ(DescriptorEntryText(list[0]), "abc");
  EXPECT_FALSE(ParseDescriptor(bytes.data(), bytes.size() - 1, &list));
}

}  // namespace
