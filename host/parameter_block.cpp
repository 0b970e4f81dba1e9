#include "host/parameter_block.h"

#include "host/globals_record.h"
#include "host/text_utils.h"

ParameterBlock* GetParameterBlock(const FilterRecord* filterRecord) {
  if (!filterRecord || !filterRecord->parameters) return nullptr;
  return reinterpret_cast<ParameterBlock*>(*filterRecord->parameters);
}

ParameterBlock* GetParameterBlock(const GlobalsRecord* globals) {
  return globals ? GetParameterBlock(globals->filterRecord) : nullptr;
}

// The run fields and texts of a new block; the persisted settings follow from
// SetDefaultSettings.
void SetParameterBlockCreationValues(ParameterBlock* block, GlobalsRecord* globals) {
  block->canPreview = 0;
  block->blockMarker = 1;
  block->previewDisabled = 0;
  block->globalsRecord = globals;
  block->previewOffsetMarkers[0] = -1;
  block->previewOffsetMarkers[1] = -1;
  block->previewScale = 1;
  block->runMode = RunModeHost;
  block->autoPreview = 1;
  block->glue = 1;
  for (char* text : block->statusTexts) text[0] = 0;
  CopyText(block->settingsName, kDefaultSettingsName);
}
