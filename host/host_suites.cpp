#include "host/host_suites.h"

#include <cstdlib>
#include <cstring>

#include "host/host_memory.h"

bool AdvanceStateAvailable(AdvanceStateProc advanceState) { return advanceState != nullptr; }

bool DisplayPixelsAvailable(DisplayPixelsProc displayPixels) { return displayPixels != nullptr; }

namespace {

template <typename Procs>
bool AllProcsPresent(const Procs* procs) {
  // Every entry after the version and count words is a procedure pointer.
  const auto* first = reinterpret_cast<const char*>(procs) + 8;
  const size_t count = (sizeof(Procs) - 8) / sizeof(void*);
  for (size_t i = 0; i < count; ++i) {
    void* entry = nullptr;
    std::memcpy(&entry, first + i * sizeof(void*), sizeof(void*));
    if (!entry) return false;
  }
  return true;
}

}  // namespace

bool DescriptorParametersAvailable(const PIDescriptorParameters* dp, bool* newerOut) {
  if (!dp) return false;
  bool newer = dp->descriptorParametersVersion > 0;
  const ReadDescriptorProcs* read = dp->readDescriptorProcs;
  const WriteDescriptorProcs* write = dp->writeDescriptorProcs;
  if (read && read->readDescriptorProcsVersion > 0) newer = true;
  if (write && write->writeDescriptorProcsVersion > 0) newer = true;
  if (newer) {
    if (newerOut) *newerOut = true;
    return false;
  }
  if (dp->descriptorParametersVersion != 0 || !read || !write) return false;
  if (read->readDescriptorProcsVersion != 0 || read->numReadDescriptorProcs < 18) return false;
  if (write->writeDescriptorProcsVersion != 0 || write->numWriteDescriptorProcs < 16) return false;
  return AllProcsPresent(read) && AllProcsPresent(write);
}

HostError CloseReadDescriptor(PIDescriptorParameters* dp, const HandleProcs* handleProcs, DescriptorToken* token) {
  HostError result = dp->readDescriptorProcs->closeReadDescriptorProc(*token);
  if (dp->descriptor) DisposeHostHandle(handleProcs, dp->descriptor);
  dp->descriptor = nullptr;
  *token = nullptr;
  return result;
}

HostError CloseWriteDescriptor(PIDescriptorParameters* dp, const HandleProcs* handleProcs, DescriptorToken* token) {
  if (dp->descriptor) DisposeHostHandle(handleProcs, dp->descriptor);
  dp->descriptor = nullptr;
  HostHandleRef fresh = nullptr;
  dp->writeDescriptorProcs->closeWriteDescriptorProc(*token, &fresh);
  dp->descriptor = fresh;
  dp->recordInfo = 0;
  *token = nullptr;
  return kNoErr;
}

bool PlayInfoShowsDialog(const PIDescriptorParameters* dp) { return dp && dp->playInfo == 1; }

// --- module instance -------------------------------------------------------------

static void* gModuleInstance = nullptr;

int32_t KeepModuleInstance(void* instance, uint32_t /*reason*/, void* /*reserved*/) {
  gModuleInstance = instance;
  return 1;
}

void* GetModuleInstance(void* pluginRef) {
  if (!pluginRef) return gModuleInstance;
  void* instance = nullptr;
  try {
    const auto* access = static_cast<const HostAccessSuite*>(AcquireSuite(GetSuiteHolder(kAccessSuiteHolder)));
    void* accessRef = nullptr;
    if (access && access->getPluginAccess(pluginRef, &accessRef) == 0 &&
        access->getLibraryInstance(accessRef, &instance) != 0) {
      instance = nullptr;
    }
  } catch (uint32_t) {
    instance = nullptr;
  }
  gModuleInstance = instance;
  return instance;
}

// --- suite holders ------------------------------------------------------------------

namespace {

SuiteHolder gSuiteHolders[kSuiteHolderCount] = {
    {nullptr, 3, "df135115-c769-11d0-8079-00c04fd7ec47", 0},
    {nullptr, 2, "bc1e4d70-f953-11d0-8d9f-00c04fd5f7ee", 0},
    {nullptr, 3, "df135117-c769-11d0-8079-00c04fd7ec47", 0},
    {nullptr, 2, "df135116-c769-11d0-8079-00c04fd7ec47", 0},
    {nullptr, 1, "61e608b0-40fd-11d1-8da3-00c04fd5f7ee", 0},
    {nullptr, 1, "Photoshop UIHooks Suite for Plug-ins", 0},
    {nullptr, 2, "Photoshop Handle Suite for Plug-ins", 0},
    {nullptr, 1, "AS ZString Suite", 0},
    {nullptr, 3, "SP Access Suite", 0},
    {nullptr, 4, "Photoshop GetFileList Suite for Plug-ins", 0},
    {nullptr, 1, "Photoshop Buffer Suite for Plug-ins", 0},
    {nullptr, 3, "Photoshop ChannelPorts Suite for Plug-ins", 0},
    {nullptr, 5, "SP Runtime Suite", 0},
    {nullptr, 1, "Photoshop Property Suite for Plug-ins", 0},
    {nullptr, 1, "Photoshop Alias Utility Suite", 0},
    {nullptr, 3, "Photoshop Resource Suite for Plug-ins", 0},
};

HostBasicSuite* gHostBasicSuite = nullptr;

// Registered with the runtime's exit list when the library loads.
const bool gSuiteReleaseRegistered = [] {
  std::atexit(ReleaseAllSuiteHolders);
  return true;
}();

}  // namespace

SuiteHolder* GetSuiteHolder(int32_t index) {
  return index >= 0 && index < kSuiteHolderCount ? &gSuiteHolders[index] : nullptr;
}

HostBasicSuite*& HostBasicSuitePointer() { return gHostBasicSuite; }

void AcquireSuiteOrThrow(SuiteHolder* holder) {
  if (!gHostBasicSuite) throw kSuiteErrorParm;
  const void* suite = nullptr;
  int32_t error = gHostBasicSuite->acquireSuite(holder->name, int32_t(holder->version), &suite);
  holder->suite = suite;
  holder->error = uint32_t(error);
  if (error != 0) throw uint32_t(error);
}

const void* AcquireSuite(SuiteHolder* holder) {
  if (!holder->suite) AcquireSuiteOrThrow(holder);
  return holder->suite;
}

void ReleaseSuiteHolder(SuiteHolder* holder) {
  if (holder->suite && holder->name && gHostBasicSuite) {
    gHostBasicSuite->releaseSuite(holder->name, int32_t(holder->version));
    holder->suite = nullptr;
  }
}

void ReleaseAllSuiteHolders() {
  (void)gSuiteReleaseRegistered;
  for (SuiteHolder& holder : gSuiteHolders) ReleaseSuiteHolder(&holder);
}
