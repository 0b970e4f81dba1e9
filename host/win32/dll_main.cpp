// The library start-up routine of the Windows plug-in: it keeps the module
// instance for the dialogs and makes the linker keep the entry point, which
// the module definition file exports undecorated.
#include <cstdint>

#include "host/host_suites.h"
#include "host/plugin_main.h"

extern "C" __attribute__((used)) void (*const gOrbalixEntryPoint)(int16_t, FilterRecord*, intptr_t*, int16_t*) =
    PluginMain;

extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void* reserved) {
  return KeepModuleInstance(instance, uint32_t(reason), reserved);
}
