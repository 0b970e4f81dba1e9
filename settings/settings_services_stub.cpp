// The settings services in their least form: defaults and snapshots on the
// parameter block the globals reach.
#include "settings/settings_services_stub.h"

#include "host/globals_record.h"

void SetDefaultSettings(GlobalsRecord* globals) { SetDefaultSettings(GetParameterBlock(globals)); }

void CopySettingsSnapshot(SettingsSnapshot* snapshot, GlobalsRecord* globals, uint8_t direction) {
  CopySettingsSnapshot(snapshot, GetParameterBlock(globals), direction);
}
