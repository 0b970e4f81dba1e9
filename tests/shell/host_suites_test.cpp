#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_suites.h"

namespace {

HostError CloseRead(DescriptorToken) { return -1715; }
DescriptorToken OpenWrite() { return reinterpret_cast<DescriptorToken>(0x10); }
char gFreshMaster[4];
char* gFreshMasterPointer = gFreshMaster;
HostError CloseWrite(DescriptorToken, HostHandleRef* out) {
  *out = &gFreshMasterPointer;
  return 0;
}

// Descriptor procs with every entry set to a harmless non-null value.
struct DescriptorProcsFixture {
  ReadDescriptorProcs read{};
  WriteDescriptorProcs write{};
  PIDescriptorParameters dp{};
  DescriptorProcsFixture() {
    auto fill = [](void* procs, size_t size) {
      auto* entries = reinterpret_cast<void**>(static_cast<char*>(procs) + 8);
      for (size_t i = 0; i < (size - 8) / sizeof(void*); ++i) entries[i] = reinterpret_cast<void*>(&CloseRead);
    };
    fill(&read, sizeof read);
    fill(&write, sizeof write);
    read.numReadDescriptorProcs = 18;
    write.numWriteDescriptorProcs = 16;
    read.closeReadDescriptorProc = CloseRead;
    write.openWriteDescriptorProc = OpenWrite;
    write.closeWriteDescriptorProc = CloseWrite;
    dp.readDescriptorProcs = &read;
    dp.writeDescriptorProcs = &write;
  }
};

TEST(DescriptorParametersAvailable, VersionsCountsAndNullEntries) {
  struct Case {
    const char* label;
    void (*change)(DescriptorProcsFixture&);
    bool available;
    bool newer;
  };
  const Case cases[] = {
      {"complete", [](DescriptorProcsFixture&) {}, true, false},
      {"descriptor version 1", [](DescriptorProcsFixture& f) { f.dp.descriptorParametersVersion = 1; }, false, true},
      {"read version 1", [](DescriptorProcsFixture& f) { f.read.readDescriptorProcsVersion = 1; }, false, true},
      {"write version 1", [](DescriptorProcsFixture& f) { f.write.writeDescriptorProcsVersion = 1; }, false, true},
      {"17 read procs", [](DescriptorProcsFixture& f) { f.read.numReadDescriptorProcs = 17; }, false, false},
      {"15 write procs", [](DescriptorProcsFixture& f) { f.write.numWriteDescriptorProcs = 15; }, false, false},
      {"null put", [](DescriptorProcsFixture& f) { f.write.putFloatProc = nullptr; }, false, false},
      {"null last get", [](DescriptorProcsFixture& f) { f.read.getPinnedUnitFloatProc = nullptr; }, false, false},
      {"no read procs", [](DescriptorProcsFixture& f) { f.dp.readDescriptorProcs = nullptr; }, false, false},
  };
  for (const Case& c : cases) {
    DescriptorProcsFixture f;
    c.change(f);
    bool newer = false;
    EXPECT_EQ(DescriptorParametersAvailable(&f.dp, &newer), c.available) << c.label;
    EXPECT_EQ(newer, c.newer) << c.label;
    EXPECT_EQ(DescriptorParametersAvailable(&f.dp, nullptr), c.available) << c.label;
  }
  EXPECT_FALSE(DescriptorParametersAvailable(nullptr, nullptr));
}

TEST(DescriptorGlue, CloseWriteHandsTheNewDescriptorOverAndCloseReadDropsTheOld) {
  DescriptorProcsFixture f;
  f.dp.recordInfo = 2;
  DescriptorToken token = OpenWrite();
  // No handle procs: a null descriptor needs no disposal.
  EXPECT_EQ(CloseWriteDescriptor(&f.dp, nullptr, &token), 0);
  EXPECT_EQ(f.dp.descriptor, &gFreshMasterPointer);
  EXPECT_EQ(f.dp.recordInfo, 0);
  EXPECT_EQ(token, nullptr);

  f.dp.descriptor = nullptr;
  token = reinterpret_cast<DescriptorToken>(0x20);
  EXPECT_EQ(CloseReadDescriptor(&f.dp, nullptr, &token), -1715);
  EXPECT_EQ(token, nullptr);
  EXPECT_EQ(f.dp.descriptor, nullptr);

  f.dp.playInfo = 1;
  EXPECT_TRUE(PlayInfoShowsDialog(&f.dp));
  f.dp.playInfo = 0;
  EXPECT_FALSE(PlayInfoShowsDialog(&f.dp));
  f.dp.playInfo = 2;
  EXPECT_FALSE(PlayInfoShowsDialog(&f.dp));
}

TEST(ModuleInstance, KeptForEveryReasonAndAnsweredForANullReference) {
  int instance = 0;
  for (uint32_t reason : {0u, 1u, 2u, 3u}) EXPECT_EQ(KeepModuleInstance(&instance, reason, nullptr), 1);
  EXPECT_EQ(GetModuleInstance(nullptr), &instance);
  // A non-null reference asks the host's access suite; without a basic suite
  // the answer is null, and it is stored.
  int ref = 0;
  EXPECT_EQ(GetModuleInstance(&ref), nullptr);
  EXPECT_EQ(GetModuleInstance(nullptr), nullptr);
}

std::vector<std::string> gAcquired, gReleased;
int32_t gAcquireAnswer = 0;
int gSuiteObject = 0;
int32_t FakeAcquire(const char* name, int32_t, const void** suite) {
  gAcquired.push_back(name);
  *suite = gAcquireAnswer == 0 ? &gSuiteObject : nullptr;
  return gAcquireAnswer;
}
int32_t FakeRelease(const char* name, int32_t) {
  gReleased.push_back(name);
  return 0;
}

TEST(SuiteHolders, AcquireThrowsTheErrorCodeAndReleaseOnlyWhatWasAcquired) {
  ASSERT_EQ(HostBasicSuitePointer(), nullptr);
  SuiteHolder* holder = GetSuiteHolder(kAccessSuiteHolder);
  ASSERT_NE(holder, nullptr);
  EXPECT_STREQ(holder->name, "SP Access Suite");
  EXPECT_EQ(holder->version, 3u);
  try {
    AcquireSuite(holder);
    ADD_FAILURE() << "no basic suite must raise";
  } catch (uint32_t code) {
    EXPECT_EQ(code, MakeFourCC('P', 'a', 'r', 'm'));
  }
  ReleaseAllSuiteHolders();  // nothing acquired: nothing released

  HostBasicSuite basic{FakeAcquire, FakeRelease};
  HostBasicSuitePointer() = &basic;
  gAcquireAnswer = -1;
  try {
    AcquireSuite(holder);
    ADD_FAILURE() << "a refused suite must raise";
  } catch (uint32_t code) {
    EXPECT_EQ(code, uint32_t(-1));
    EXPECT_EQ(holder->error, uint32_t(-1));
  }
  gAcquireAnswer = 0;
  EXPECT_EQ(AcquireSuite(holder), &gSuiteObject);
  EXPECT_EQ(AcquireSuite(holder), &gSuiteObject);  // held: not acquired again
  EXPECT_EQ(gAcquired.size(), 2u);
  ReleaseAllSuiteHolders();
  EXPECT_EQ(gReleased, std::vector<std::string>{"SP Access Suite"});
  EXPECT_EQ(holder->suite, nullptr);
  HostBasicSuitePointer() = nullptr;
  EXPECT_STREQ(GetSuiteHolder(15)->name, "Photoshop Resource Suite for Plug-ins");
  EXPECT_EQ(GetSuiteHolder(16), nullptr);
}

}  // namespace
