// The library start-up routine of the Windows plug-in: it keeps the module
// instance for the dialogs and makes the linker keep the entry point, which
// the module definition file exports undecorated.
#include <cstdint>

#include "host/host_suites.h"
#include "host/plugin_main.h"
#include "ui/win32/win32_view.h"

extern "C" __attribute__((used)) void (*const gOrbalixEntryPoint)(int16_t, FilterRecord*, intptr_t*, int16_t*) =
    PluginMain;

extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void* reserved) {
  // The dialogs are the module's own resources, shown by the Windows view.
  if (reason == 1) InstallWin32WindowSystem(instance);  // DLL_PROCESS_ATTACH
  return KeepModuleInstance(instance, uint32_t(reason), reserved);
}
