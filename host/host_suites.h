// The thin layer over the host's callback sets beyond memory: presence tests,
// the scripting-descriptor open and close glue, the play information, the
// module instance and the holders of the host's named suites.
#pragma once

#include <cstdint>

#include "host/host_records.h"

bool AdvanceStateAvailable(AdvanceStateProc advanceState);
bool DisplayPixelsAvailable(DisplayPixelsProc displayPixels);
bool DescriptorParametersAvailable(const PIDescriptorParameters* descriptorParameters, bool* newerOut);
HostError CloseReadDescriptor(PIDescriptorParameters* descriptorParameters, const HandleProcs* handleProcs,
                              DescriptorToken* token);
HostError CloseWriteDescriptor(PIDescriptorParameters* descriptorParameters, const HandleProcs* handleProcs,
                               DescriptorToken* token);
bool PlayInfoShowsDialog(const PIDescriptorParameters* descriptorParameters);

// The library's instance handle, kept by the library start-up routine.
int32_t KeepModuleInstance(void* instance, uint32_t reason, void* reserved);
void* GetModuleInstance(void* pluginRef);

// The host's basic suite: acquire (first slot) and release (second slot).
struct HostBasicSuite {
  int32_t (*acquireSuite)(const char* name, int32_t version, const void** suite);
  int32_t (*releaseSuite)(const char* name, int32_t version);
};

// The part of the host's access suite that the module instance needs.
struct HostAccessSuite {
  int32_t (*getPluginAccess)(void* pluginRef, void** access);
  int32_t (*getLibraryInstance)(void* access, void** instance);
};

struct SuiteHolder {
  const void* suite;  // null until acquired
  uint32_t version;
  const char* name;
  uint32_t error;  // the last acquisition error
};

constexpr int32_t kSuiteHolderCount = 16;
constexpr int32_t kAccessSuiteHolder = 8;  // "SP Access Suite"
constexpr uint32_t kSuiteErrorParm = MakeFourCC('P', 'a', 'r', 'm');

SuiteHolder* GetSuiteHolder(int32_t index);
// The host's basic suite; no phase of the filter protocol stores one.
HostBasicSuite*& HostBasicSuitePointer();
const void* AcquireSuite(SuiteHolder* holder);
// Raises the 32-bit error code (as a uint32_t exception) when the suite
// cannot be acquired.
void AcquireSuiteOrThrow(SuiteHolder* holder);
void ReleaseSuiteHolder(SuiteHolder* holder);
void ReleaseAllSuiteHolders();
