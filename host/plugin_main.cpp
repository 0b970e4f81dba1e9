#include "host/plugin_main.h"

#include <cstring>

#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/host_suites.h"
#include "host/phase_handlers.h"
#include "settings/settings_services_stub.h"
#include "ui/dialog_services.h"

extern "C" void PluginMain(int16_t selector, FilterRecord* filterRecord, intptr_t* data, int16_t* result) {
  DispatchSelector(selector, filterRecord, data, result);
}

static HostHandleRef DataHandle(const intptr_t* data) { return reinterpret_cast<HostHandleRef>(*data); }

void DispatchSelector(int16_t selector, FilterRecord* filterRecord, intptr_t* data, int16_t* result) {
  GetDialogModuleState().moduleInstance = GetModuleInstance(nullptr);
  if (selector == kSelectorAbout) {
    GetDialogModuleState().aboutBoxOpen = 0;
    ShowAboutBox();
    return;
  }
  if (!result) return;
  if (!filterRecord || !data) {
    *result = kFilterBadParameters;
    return;
  }

  const bool noGlobalsYet = *data == 0;
  GlobalsRecord* globals =
      LockOrCreateGlobals(result, filterRecord, filterRecord->handleProcs, sizeof(GlobalsRecord), data, InitGlobalsNoop);
  if (!globals) {
    *result = kMemFullErr;
    return;
  }
  if (selector == kSelectorParameters) globals->firstRunFlag = noGlobalsYet ? 1 : 0;

  EnsureParameterBlock(globals);
  if (*result == kNoErr) {
    RefreshGlobalsPointers(globals);
    switch (selector) {
      case kSelectorParameters:
        HandleParametersSelector(globals);
        break;
      case kSelectorPrepare:
        HandlePrepareSelector(globals);
        break;
      case kSelectorStart:
        HandleStartSelector(globals);
        break;
      case kSelectorContinue:
        HandleContinueSelector(globals);
        break;
      case kSelectorFinish:
        HandleFinishSelector(globals);
        break;
      default:
        *result = kFilterBadParameters;
        break;
    }
  }
  // The handler's outcome never skips the unlock.
  if (*data) UnlockHostHandle(filterRecord->handleProcs, DataHandle(data));
}

GlobalsRecord* LockOrCreateGlobals(int16_t* result, FilterRecord* filterRecord, const HandleProcs* handleProcs,
                                   size_t size, intptr_t* data, GlobalsInitialiser initialiser) {
  if (*data != 0) {
    char* block = LockHostHandle(handleProcs, DataHandle(data), true);
    if (!block) return nullptr;
    auto* globals = reinterpret_cast<GlobalsRecord*>(block);
    globals->resultPtr = result;
    *result = kNoErr;
    globals->filterRecord = filterRecord;
    return globals;
  }
  HostHandleRef handle = NewHostHandle(handleProcs, int32_t(size));
  if (!handle) return nullptr;
  char* block = LockHostHandle(handleProcs, handle, true);
  if (!block) {
    DisposeHostHandle(handleProcs, handle);
    return nullptr;
  }
  // A host's new handle need not be cleared: start the record from zero so
  // that no slot or flag holds left-over bytes.
  std::memset(block, 0, size);
  auto* globals = reinterpret_cast<GlobalsRecord*>(block);
  globals->resultPtr = result;
  *result = kNoErr;
  globals->filterRecord = filterRecord;
  initialiser(globals);
  *data = reinterpret_cast<intptr_t>(handle);
  return globals;
}

void InitGlobalsNoop(GlobalsRecord* /*globals*/) {}

void EnsureParameterBlock(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  if (fr->parameters) return;
  fr->parameters = NewHostHandle(fr->handleProcs, int32_t(sizeof(ParameterBlock)));
  if (!fr->parameters) {
    SetResult(globals, kMemFullErr);
    return;
  }
  ResetBufferSlots(globals);
  GetDialogModuleState().mainDialogWindow = nullptr;
  globals->spareBufferA = nullptr;
  globals->spareBufferB = nullptr;
  // Fields without a creation value start at zero rather than as the host's
  // allocator left them.
  ParameterBlock* block = GetParameterBlock(fr);
  std::memset(block, 0, sizeof(ParameterBlock));
  SetParameterBlockCreationValues(block, globals);
  SetDefaultSettings(globals);
}
