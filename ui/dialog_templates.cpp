#include "ui/dialog_templates.h"

#include <cstring>

#include "ui/control_table.h"
#include "ui/dialog_geometry.h"

namespace {

constexpr TemplateItem kRefusalNoAdvanceState[] = {
    {kStaticItemId, ItemClass::Picture, "", 148},
    {99, ItemClass::Static,
     "The filter cannot run because your paint program does not support enough of the Photoshop 3.0 plug-in "
     "standard.",
     -1},
    {1, ItemClass::DefaultButton, "Cancel", -1},
};

constexpr TemplateItem kRefusalMultichannel[] = {
    {kStaticItemId, ItemClass::Picture, "", 148},
    {99, ItemClass::Static, "The filter cannot handle multichannel images, only greyscale and RGB.", -1},
    {1, ItemClass::DefaultButton, "Cancel", -1},
};

constexpr TemplateItem kAboutBox[] = {
    {kStaticItemId, ItemClass::Picture, "", 127},
    {kStaticItemId, ItemClass::Picture, "", 192},
    {kStaticItemId, ItemClass::Picture, "", 136},
    {5, ItemClass::Button, "Visit Quarrelstone's website...", -1},
};

constexpr TemplateItem kInfoBox[] = {
    {kStaticItemId, ItemClass::Picture, "", 219},
};

constexpr TemplateItem kPsdSize[] = {
    {10, ItemClass::RadioButton, "Same size as input", -1},
    {11, ItemClass::RadioButton, "Same proportions as input", -1},
    {12, ItemClass::RadioButton, "Custom size in pixels:", -1},
    {kStaticItemId, ItemClass::Static, "width", -1},
    {3, ItemClass::Edit, "", -1},
    {kStaticItemId, ItemClass::Static, "height", -1},
    {4, ItemClass::Edit, "", -1},
    {1, ItemClass::DefaultButton, "&OK", -1},
    {2, ItemClass::Button, "&Cancel", -1},
};

constexpr TemplateItem kCubeMap[] = {
    {4, ItemClass::Static, "Exports a cube map as six Photoshop documents.\n\nOutput size in pixels:", -1},
    {3, ItemClass::Edit, "", -1},
    {1, ItemClass::DefaultButton, "&OK", -1},
    {2, ItemClass::Button, "&Cancel", -1},
};

constexpr TemplateItem kExportFaces[] = {
    {4, ItemClass::RadioButton, "Export images of all faces", -1},
    {5, ItemClass::RadioButton, "Export 3D geometry to .obj and .stl files", -1},
    {6, ItemClass::RadioButton, "Export equirectangular map of faces", -1},
    {999, ItemClass::Static, "Face/texture map size in pixels:", -1},
    {3, ItemClass::Edit, "", -1},
    {1, ItemClass::DefaultButton, "&OK", -1},
    {2, ItemClass::Button, "&Cancel", -1},
};

// The colour checkboxes 11..22, each beside a picture of its brick colour.
constexpr TemplateItem kBrickSphere[] = {
    {4, ItemClass::Static, "Sphere layers (3 to 150)", -1},
    {3, ItemClass::Edit, "", -1},
    {35, ItemClass::CheckBox, "Plates", -1},
    {5, ItemClass::Static, "Brick colors", -1},
    {kStaticItemId, ItemClass::Picture, "", 187},
    {11, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 176},
    {12, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 181},
    {13, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 182},
    {14, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 183},
    {15, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 184},
    {16, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 185},
    {17, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 186},
    {18, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 172},
    {19, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 173},
    {20, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 174},
    {21, ItemClass::CheckBox, "", -1},
    {kStaticItemId, ItemClass::Picture, "", 175},
    {22, ItemClass::CheckBox, "", -1},
    {6, ItemClass::CheckBox, "Diffuse colors", -1},
    {7, ItemClass::Static, "Results", -1},
    {8, ItemClass::CheckBox, "Sphere plan", -1},
    {9, ItemClass::CheckBox, "Sphere statistics", -1},
    {10, ItemClass::CheckBox, "LDraw file", -1},
    {1, ItemClass::DefaultButton, "OK", -1},
    {2, ItemClass::Button, "Cancel", -1},
};

// The panel that the settings file chooser shows beside its own controls:
// 1119 marks where the system's dialog goes, 123 takes the thumbnail.
constexpr TemplateItem kThumbnailPanel[] = {
    {1119, ItemClass::Static, "", -1},
    {kThumbnailPanelPicture, ItemClass::Static, "", -1},
};

constexpr TemplateItem kProgress[] = {
    {3, ItemClass::Static, "Rendering...", -1},
    {2, ItemClass::Static, "0%", -1},
};

// The main dialog's items follow from its control table and layout.
TemplateItem gMainItems[kLayoutIdCount];
int32_t gMainItemCount = 0;

const TemplateItem* MainItems() {
  if (gMainItemCount == 0) {
    for (int32_t id = 1; id < kLayoutIdCount; ++id) {
      ItemRect r;
      if (!GetLayoutEntry(id, &r)) continue;
      const char* text = id == kIdZoomText ? "100%" : ControlTemplateText(id);
      gMainItems[gMainItemCount++] = TemplateItem{id, MainDialogItemClass(id), text, -1};
    }
  }
  return gMainItems;
}

#define ORBALIX_ITEMS(a) a, int32_t(sizeof(a) / sizeof((a)[0]))

DialogTemplate gTemplates[] = {
    {kMainDialogTemplate, "Orbalix 2", 546, 391, 1, nullptr, 0},
    {"REFUSAL2", "Plug-in error", 260, 70, 1, ORBALIX_ITEMS(kRefusalNoAdvanceState)},
    {"REFUSAL3", "Plug-in error", 260, 70, 1, ORBALIX_ITEMS(kRefusalMultichannel)},
    {"ABOUTBOX", "About", 300, 200, 1, ORBALIX_ITEMS(kAboutBox)},
    {"KELMO_INFO_BOX", "Info", 400, 300, 1, ORBALIX_ITEMS(kInfoBox)},
    {kProgressTemplate, "Progress", 102, 50, 0, ORBALIX_ITEMS(kProgress)},
    {"CHOOSEPSDWITHSIZE", "Export PSD image", 180, 112, 1, ORBALIX_ITEMS(kPsdSize)},
    {"CHOOSECUBE", "Cube map", 180, 92, 1, ORBALIX_ITEMS(kCubeMap)},
    {"CHOOSEEXPORTFACES", "Export Polyhedron", 200, 112, 1, ORBALIX_ITEMS(kExportFaces)},
    {"CHOOSEPSDLEGO", "Brick sphere", 220, 164, 1, ORBALIX_ITEMS(kBrickSphere)},
    {kThumbnailPanelTemplate, "", 453, 131, 0, ORBALIX_ITEMS(kThumbnailPanel)},
};

#undef ORBALIX_ITEMS

}  // namespace

ItemClass MainDialogItemClass(int32_t id) {
  switch (GetControlKind(id)) {
    case kKindSliderEdit:
      return ItemClass::Edit;
    case kKindCheckbox:
      return ItemClass::CheckBox;
    case kKindPushButton:
      return id == kIdOk ? ItemClass::DefaultButton : ItemClass::Button;
    case kKindBitmapButton:
      return ItemClass::Button;
    case kKindColour:
      return ItemClass::OwnerDrawButton;
    case 11:
    case 12:
    case kKindCombo:
      return ItemClass::ComboBox;
    default:
      return ItemClass::Static;
  }
}

const DialogTemplate* FindDialogTemplate(const char* name) {
  if (!name) return nullptr;
  for (DialogTemplate& t : gTemplates) {
    if (std::strcmp(t.name, name) != 0) continue;
    if (!t.items) {
      t.items = MainItems();
      t.itemCount = gMainItemCount;
    }
    return &t;
  }
  return nullptr;
}

int32_t DialogTemplateCount() { return int32_t(sizeof(gTemplates) / sizeof(gTemplates[0])); }

const DialogTemplate* DialogTemplateAt(int32_t index) {
  if (index < 0 || index >= DialogTemplateCount()) return nullptr;
  return FindDialogTemplate(gTemplates[index].name);
}
