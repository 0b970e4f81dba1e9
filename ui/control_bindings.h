// The bindings between the main dialog's controls and the settings of the
// parameter block, and the enabling of controls by the chosen output.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

struct FilterRecord;

// Settings into the controls, and the controls back into the settings.
// Integer settings read the control's number truncated toward zero; the six
// angles and amounts are read as they stand. Either direction ends by
// enabling the controls for the output projection.
void WriteSettingsToControls(MainDialog* dialog);
void ReadControlsToSettings(MainDialog* dialog);
constexpr int32_t kSettingsToControls = 0;
constexpr int32_t kControlsToSettings = 1;
void ExchangeSettingsWithControls(MainDialog* dialog, int32_t direction);

// What the enabling needs to know of an output projection.
struct OutputFacts {
  uint8_t netOutput;
  uint8_t netOfSolid;
  uint8_t sphericon;
  uint8_t curveNet;
  uint8_t shapeHasNet;
  uint8_t multiView;
};
OutputFacts GatherOutputFacts(int32_t output);

// Which controls apply to an output: field of view, tabs, the faces export
// ("F&acet") and the "Faces" checkbox.
struct OutputApplicability {
  uint8_t fov;
  uint8_t tabs;
  uint8_t facet;
  uint8_t faces;
};
OutputApplicability ComputeOutputApplicability(int32_t output, const OutputFacts& facts);

// Glue modes do not apply to floating-point documents.
bool IsFloatDocument(const FilterRecord* filterRecord);

// Stores the output's applicability in the enable table and applies it: the
// tabs and FOV sliders, edits and labels, the faces checkbox and its label,
// the "F&acet" entry, and the glue controls (off for floating-point documents).
void EnableControlsForOutput(MainDialog* dialog, int32_t output);
// Push buttons, the zoom buttons and checkboxes take their native enabled
// state from the enable table; every other control is redrawn.
void EnableControlsByKind(MainDialog* dialog, int32_t id);
// For floating-point documents the glue combo, its label and its cycle button
// are disabled.
void EnableHighBitControls(MainDialog* dialog);
