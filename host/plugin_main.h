// The plug-in's one entry point and the selector dispatcher behind it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"

struct GlobalsRecord;

extern "C" void PluginMain(int16_t selector, FilterRecord* filterRecord, intptr_t* data, int16_t* result);

void DispatchSelector(int16_t selector, FilterRecord* filterRecord, intptr_t* data, int16_t* result);

using GlobalsInitialiser = void (*)(GlobalsRecord* globals);
GlobalsRecord* LockOrCreateGlobals(int16_t* result, FilterRecord* filterRecord, const HandleProcs* handleProcs,
                                   size_t size, intptr_t* data, GlobalsInitialiser initialiser);
void InitGlobalsNoop(GlobalsRecord* globals);
void EnsureParameterBlock(GlobalsRecord* globals);
