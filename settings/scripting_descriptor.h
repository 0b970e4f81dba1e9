// The settings in the host's scripting descriptor: written under their keys
// when a run finishes, read back when the next one starts, so that a recorded
// action replays the filter with or without the dialog.
#pragma once

#include <cstdint>

#include "host/host_records.h"

struct GlobalsRecord;

constexpr int32_t kDescriptorKeyCount = 42;

// The keys handed to the host when a descriptor is opened for reading, in
// order and zero-terminated (kDescriptorKeyCount keys, then 0).
DescriptorKeyId* DescriptorKeyList();

// Hosts with these signatures get no descriptor traffic.
bool HostLacksDescriptors(const GlobalsRecord* globals);
// The host's read token for its descriptor with the key list, or null.
DescriptorToken OpenReadDescriptorWithKeys(GlobalsRecord* globals, DescriptorKeyId* keyList);
// Whether there is a descriptor to read. The token opened to find out is
// closed again; the descriptor itself stays for ReadSettingsDescriptor.
bool OpenSettingsDescriptor(GlobalsRecord* globals);
// Defaults, then every key the descriptor holds, then the float upgrade and
// the play information. Answers 0 for hosts without descriptors, 1 when the
// host offers no descriptor parameters, else whether the dialog is to be
// shown (which it also stores in showDialog).
int32_t ReadSettingsDescriptor(GlobalsRecord* globals);
// Mode 0 puts every key through the write token; any other mode writes the
// settings-file stream to the file handle carried in `file`. Sets the
// version to 47 first.
int16_t WriteSettingsRecord(GlobalsRecord* globals, void* file, int16_t mode, DescriptorToken writeToken);
