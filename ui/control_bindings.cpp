#include "ui/control_bindings.h"

#include <iterator>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "nets/nets_services_stub.h"
#include "projection/output_pixel.h"
#include "projection/output_shapes.h"
#include "ui/control_drawing.h"
#include "ui/control_values.h"
#include "ui/dialog_numbers.h"

namespace {

enum class BoundField : int32_t { Integer, Float, TabColour, BackdropColour, BothGrids };

struct Binding {
  int32_t id;
  BoundField field;
  int32_t ParameterBlock::*integer;
  float ParameterBlock::*real;
};

// In this order: the grid combo is bound a second time, last, so that it
// shows grid2, and reading it sets both grid fields.
constexpr Binding kBindings[] = {
    {30, BoundField::Integer, &ParameterBlock::autoPreview, nullptr},
    {48, BoundField::Integer, &ParameterBlock::flip, nullptr},
    {52, BoundField::Integer, &ParameterBlock::previewQuality, nullptr},
    {105, BoundField::Integer, &ParameterBlock::faces, nullptr},
    {90, BoundField::Integer, &ParameterBlock::transparentGaps, nullptr},
    {71, BoundField::Integer, &ParameterBlock::indicatrix, nullptr},
    {71, BoundField::Integer, &ParameterBlock::indicatrix, nullptr},
    {118, BoundField::Integer, &ParameterBlock::edges, nullptr},
    {28, BoundField::Integer, &ParameterBlock::anamorphosis, nullptr},
    {7, BoundField::TabColour, nullptr, nullptr},
    {8, BoundField::BackdropColour, nullptr, nullptr},
    {12, BoundField::Integer, &ParameterBlock::inputProjection, nullptr},
    {37, BoundField::Float, nullptr, &ParameterBlock::latitude},
    {57, BoundField::Float, nullptr, &ParameterBlock::longitude},
    {39, BoundField::Float, nullptr, &ParameterBlock::spin},
    {103, BoundField::Float, nullptr, &ParameterBlock::fov},
    {59, BoundField::Float, nullptr, &ParameterBlock::tabs},
    {61, BoundField::Float, nullptr, &ParameterBlock::sharpen},
    {51, BoundField::Integer, &ParameterBlock::outputProjection, nullptr},
    {21, BoundField::Integer, &ParameterBlock::grid, nullptr},
    {73, BoundField::Integer, &ParameterBlock::glue, nullptr},
    {4, BoundField::Integer, &ParameterBlock::dehalo, nullptr},
    {21, BoundField::BothGrids, &ParameterBlock::grid2, nullptr},
};

void ReadColour(const ParameterBlock* block, BoundField field, uint16_t colour[3]) {
  if (field == BoundField::TabColour) {
    colour[0] = block->tabRed;
    colour[1] = block->tabGreen;
    colour[2] = block->tabBlue;
  } else {
    colour[0] = block->backdropRed;
    colour[1] = block->backdropGreen;
    colour[2] = block->backdropBlue;
  }
}

void WriteColour(ParameterBlock* block, BoundField field, const uint16_t colour[3]) {
  if (field == BoundField::TabColour) {
    block->tabRed = colour[0];
    block->tabGreen = colour[1];
    block->tabBlue = colour[2];
  } else {
    block->backdropRed = colour[0];
    block->backdropGreen = colour[1];
    block->backdropBlue = colour[2];
  }
}

// The outputs whose tabs or field of view the first step of the rule names.
bool InList(int32_t output, const int32_t* list, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    if (list[i] == output) return true;
  }
  return false;
}

}  // namespace

void WriteSettingsToControls(MainDialog* dialog) { ExchangeSettingsWithControls(dialog, kSettingsToControls); }

void ReadControlsToSettings(MainDialog* dialog) { ExchangeSettingsWithControls(dialog, kControlsToSettings); }

void ExchangeSettingsWithControls(MainDialog* dialog, int32_t direction) {
  ParameterBlock* block = GetParameterBlock(dialog->globals);
  if (!block) return;
  for (const Binding& b : kBindings) {
    if (direction == kSettingsToControls) {
      switch (b.field) {
        case BoundField::Integer:
        case BoundField::BothGrids:
          WriteControlValue(dialog, b.id, float(block->*b.integer));
          break;
        case BoundField::Float:
          WriteControlValue(dialog, b.id, block->*b.real);
          break;
        case BoundField::TabColour:
        case BoundField::BackdropColour: {
          uint16_t colour[3];
          ReadColour(block, b.field, colour);
          SetControlColour(dialog, b.id, colour);
          RedrawControl(dialog, b.id);
          break;
        }
      }
    } else {
      switch (b.field) {
        case BoundField::Integer:
          block->*b.integer = TruncateToInt32(ReadControlValue(dialog, b.id));
          break;
        case BoundField::BothGrids: {
          const int32_t v = TruncateToInt32(ReadControlValue(dialog, b.id));
          block->grid = v;
          block->grid2 = v;
          break;
        }
        case BoundField::Float:
          block->*b.real = float(ReadControlValue(dialog, b.id));
          break;
        case BoundField::TabColour:
        case BoundField::BackdropColour: {
          uint16_t colour[3];
          GetControlColour(dialog, b.id, colour);
          WriteColour(block, b.field, colour);
          break;
        }
      }
    }
  }
  EnableControlsForOutput(dialog, block->outputProjection);
}

OutputFacts GatherOutputFacts(int32_t output) {
  OutputFacts f{};
  f.netOutput = IsNetOutput(output) ? 1 : 0;
  f.netOfSolid = IsNetOfSolid(output) ? 1 : 0;
  f.sphericon = IsSphericonOutput(output) ? 1 : 0;
  f.curveNet = IsCurveNetOutput(output) ? 1 : 0;
  f.shapeHasNet = OutputShapeHasNet(output) ? 1 : 0;
  f.multiView = IsMultiViewOutput(output) ? 1 : 0;
  return f;
}

OutputApplicability ComputeOutputApplicability(int32_t output, const OutputFacts& facts) {
  static constexpr int32_t kFovOutputs[] = {14, 15, 16, 18, 52, 56, 57, 58, 59, 60, 65, 66, 67, 68, 135, 136, 255};
  static constexpr int32_t kFovOnlyOutputs[] = {64, 73, 74, 82, 85, 88};
  static constexpr int32_t kNoFovOutputs[] = {83, 86, 87, 89, 90, 91, 94, 99, 137};
  static constexpr int32_t kNeitherOutputs[] = {70, 71, 72, 175, 176, 261, 1035, 10053};
  static constexpr int32_t kNoneForNetShapes[] = {159, 160, 172, 173};
  int32_t fov = 0;
  int32_t tabs = 0;
  // 1. Outputs named one by one.
  if (output == 36 || output == 37 || output == 1054) {
    tabs = 1;
  } else if (output == 38) {
    tabs = 1;
    fov = 1;
  } else if (output == 63) {
    fov = 1;
  } else if (InList(output, kFovOutputs, int32_t(std::size(kFovOutputs))) ||
             InList(output, kFovOnlyOutputs, int32_t(std::size(kFovOnlyOutputs)))) {
    fov = 1;
  } else if (InList(output, kNoFovOutputs, int32_t(std::size(kNoFovOutputs)))) {
    fov = 0;
  }
  // 2. Every net of a solid has tabs.
  if (facts.netOfSolid) tabs = 1;
  // 3. Outputs that take neither, and the range with tabs only.
  if (InList(output, kNeitherOutputs, int32_t(std::size(kNeitherOutputs)))) {
    fov = 0;
    tabs = 0;
  } else if (output >= 177 && output <= 198) {
    fov = 0;
    tabs = 1;
  }
  // 4. Sphericons, curve nets and nets drawn by an output shape take neither.
  if (facts.sphericon || facts.curveNet || facts.shapeHasNet ||
      InList(output, kNoneForNetShapes, int32_t(std::size(kNoneForNetShapes)))) {
    fov = 0;
    tabs = 0;
  }
  // 5. The multi-view sheets always have a field of view.
  if (facts.multiView) fov = 1;
  return OutputApplicability{uint8_t(fov), uint8_t(tabs), facts.netOfSolid, facts.netOutput};
}

bool IsFloatDocument(const FilterRecord* fr) {
  if (!fr) return false;
  return fr->imageMode == kImageModeRGB96 || fr->imageMode == kImageModeGray32 || fr->depth == 32;
}

void EnableControlsForOutput(MainDialog* dialog, int32_t output) {
  const OutputApplicability a = ComputeOutputApplicability(output, GatherOutputFacts(output));
  const bool glue = !IsFloatDocument(dialog->globals ? dialog->globals->filterRecord : nullptr);
  SetControlEnabled(dialog, 59, a.tabs);
  SetControlEnabled(dialog, 92, a.tabs);
  SetControlEnabled(dialog, 58, a.tabs);
  SetControlEnabled(dialog, 103, a.fov);
  SetControlEnabled(dialog, 104, a.fov);
  SetControlEnabled(dialog, 102, a.fov);
  SetControlEnabled(dialog, kIdGlueCombo, glue);
  SetControlEnabled(dialog, kIdGlueLabel, glue);
  SetControlEnabled(dialog, kIdGlueCycle, glue);
  SetControlEnabled(dialog, kIdFacet, a.facet);
  SetControlEnabled(dialog, kIdFaces, a.faces);
  SetControlEnabled(dialog, 54, a.faces);
  for (int32_t id : {59, 103, 92, 104, int32_t(kIdFacet), int32_t(kIdFaces)}) EnableControlsByKind(dialog, id);
  // The glue controls are native: they take their state at once.
  PortEnableItem(dialog->port, kIdGlueCombo, glue);
  PortEnableItem(dialog->port, kIdGlueCycle, glue);
  for (int32_t id : {58, 92, 102, 104, 54, int32_t(kIdGlueLabel)}) RedrawControl(dialog, id);
}

void EnableControlsByKind(MainDialog* dialog, int32_t id) {
  const int32_t kind = GetControlKind(id);
  if (kind == kKindPushButton || kind == kKindCheckbox || id == kIdZoomIn || id == kIdZoomOut) {
    PortEnableItem(dialog->port, id, IsControlEnabled(dialog, id));
  } else {
    RedrawControl(dialog, id);
  }
}

void EnableHighBitControls(MainDialog* dialog) {
  if (!IsFloatDocument(dialog->globals ? dialog->globals->filterRecord : nullptr)) return;
  SetControlEnabled(dialog, kIdGlueCombo, false);
  SetControlEnabled(dialog, kIdGlueLabel, false);
  SetControlEnabled(dialog, kIdGlueCycle, false);
  PortEnableItem(dialog->port, kIdGlueCombo, false);
  PortEnableItem(dialog->port, kIdGlueCycle, false);
  RedrawControl(dialog, kIdGlueLabel);
}
