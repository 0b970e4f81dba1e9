#include "ui/dialog_resource_script.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ui/dialog_geometry.h"

namespace {

// Window style bits as the resource compiler takes them.
constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kBorder = 0x00800000;
constexpr uint32_t kVScroll = 0x00200000;

// The main dialog's client pixels per dialog unit: 865 x 644 pixels for
// 546 x 391 units at the dialog font.
constexpr int32_t kMainWidthPixels = 865;
constexpr int32_t kMainHeightPixels = 644;
constexpr int32_t kMainWidthUnits = 546;
constexpr int32_t kMainHeightUnits = 391;

bool IsNamed(const DialogTemplate& t, const char* name) { return std::strcmp(t.name, name) == 0; }

TemplateItemBox MainItemBox(int32_t id) {
  const ItemRect r = ComputeControlLayout(id);
  auto ux = [](int32_t px) { return (px * kMainWidthUnits + kMainWidthPixels / 2) / kMainWidthPixels; };
  auto uy = [](int32_t py) { return (py * kMainHeightUnits + kMainHeightPixels / 2) / kMainHeightPixels; };
  return TemplateItemBox{ux(r.left), uy(r.top), ux(r.right) - ux(r.left), uy(r.bottom) - uy(r.top)};
}

// The small dialogs: a picture at the top left, texts beside or below it,
// buttons along the bottom right.
TemplateItemBox SmallItemBox(const DialogTemplate& t, int32_t index) {
  const TemplateItem& item = t.items[index];
  const int32_t w = t.widthUnits;
  const int32_t h = t.heightUnits;
  if (IsNamed(t, "ABOUTBOX")) {
    switch (index) {
      case 0:
        return {0, 0, w, 62};  // the banner
      case 1:
        return {8, 66, 100, 100};  // the sphere
      case 2:
        return {120, 80, 21, 20};  // the plug-in's icon
      default:
        return {w - 158, h - 22, 150, 14};
    }
  }
  if (IsNamed(t, "KELMO_INFO_BOX")) return {0, 0, w, h};
  if (IsNamed(t, "CHOOSEPSDWITHSIZE")) {
    constexpr TemplateItemBox kBoxes[] = {{10, 8, 160, 10},  {10, 22, 160, 10}, {10, 36, 160, 10},
                                          {22, 54, 30, 8},   {56, 52, 50, 12},  {22, 72, 30, 8},
                                          {56, 70, 50, 12},  {66, 92, 50, 14},  {122, 92, 50, 14}};
    return kBoxes[index];
  }
  if (IsNamed(t, "CHOOSECUBE")) {
    constexpr TemplateItemBox kBoxes[] = {{10, 8, 160, 34}, {10, 48, 60, 12}, {66, 72, 50, 14}, {122, 72, 50, 14}};
    return kBoxes[index];
  }
  if (IsNamed(t, "CHOOSEEXPORTFACES")) {
    constexpr TemplateItemBox kBoxes[] = {{10, 8, 180, 10},  {10, 22, 180, 10}, {10, 36, 180, 10},
                                          {10, 56, 120, 8},  {132, 54, 50, 12}, {86, 90, 50, 14},
                                          {142, 90, 50, 14}};
    return kBoxes[index];
  }
  if (IsNamed(t, "CHOOSEPSDLEGO")) {
    constexpr int32_t kFirstColour = 4;
    constexpr int32_t kColourItems = 24;  // a picture and its checkbox per colour
    if (index >= kFirstColour && index < kFirstColour + kColourItems) {
      // Two columns of six colours: the checkbox, and its colour's picture right of it.
      const int32_t colour = (index - kFirstColour) / 2;
      const int32_t x = 10 + (colour / 6) * 60;
      const int32_t y = 38 + (colour % 6) * 14;
      const bool picture = (index - kFirstColour) % 2 == 0;
      return picture ? TemplateItemBox{x + 14, y, 24, 10} : TemplateItemBox{x, y, 12, 10};
    }
    constexpr TemplateItemBox kBoxes[] = {{10, 8, 90, 8},     {104, 6, 40, 12},   {152, 6, 60, 12},
                                          {10, 26, 100, 8},   {10, 126, 100, 10}, {130, 26, 80, 8},
                                          {130, 38, 80, 10},  {130, 52, 80, 10},  {130, 66, 80, 10},
                                          {110, 144, 50, 14}, {164, 144, 50, 14}};
    return kBoxes[index < kFirstColour ? index : index - kColourItems];
  }
  if (IsNamed(t, kThumbnailPanelTemplate))
    return item.id == 1119 ? TemplateItemBox{0, 0, 300, 119} : TemplateItemBox{330, 20, 87, 80};
  if (IsNamed(t, kProgressTemplate)) return item.id == 3 ? TemplateItemBox{8, 8, w - 16, 10} : TemplateItemBox{8, 26, w - 16, 10};
  // Alerts.
  switch (item.itemClass) {
    case ItemClass::Picture:
      return {10, 10, 21, 20};
    case ItemClass::Button:
    case ItemClass::DefaultButton:
      return {w - 60, h - 22, 50, 14};
    default:
      return {42, 10, w - 52, h - 38};
  }
}

const char* ClassName(ItemClass c) {
  switch (c) {
    case ItemClass::Edit:
      return "Edit";
    case ItemClass::Button:
    case ItemClass::DefaultButton:
    case ItemClass::OwnerDrawButton:
    case ItemClass::CheckBox:
    case ItemClass::RadioButton:
      return "Button";
    case ItemClass::ComboBox:
      return "ComboBox";
    default:
      return "Static";
  }
}

uint32_t ItemStyle(const TemplateItem& item, bool mainDialog) {
  uint32_t style = kChild | kVisible;
  switch (item.itemClass) {
    case ItemClass::Static:
      // SS_LEFT; the main dialog's statics are drawn on by the dialog and
      // let the mouse through to it.
      (void)mainDialog;
      return style;  // SS_LEFT
    case ItemClass::Picture:
      // SS_BITMAP, or SS_ICON with SS_REALSIZEIMAGE: icons at their own size.
      return style | (item.resourceId == 148 || item.resourceId == 136 ? 0x3 | 0x800 : 0xE);
    case ItemClass::Edit:
      return style | kTabStop | kBorder | 0x80;  // ES_AUTOHSCROLL
    case ItemClass::Button:
      return style | kTabStop;  // BS_PUSHBUTTON
    case ItemClass::DefaultButton:
      return style | kTabStop | 0x1;  // BS_DEFPUSHBUTTON
    case ItemClass::OwnerDrawButton:
      return style | kTabStop | 0xB;  // BS_OWNERDRAW
    case ItemClass::CheckBox:
      return style | kTabStop | 0x3;  // BS_AUTOCHECKBOX
    case ItemClass::RadioButton:
      return style | kTabStop | 0x9;  // BS_AUTORADIOBUTTON
    case ItemClass::ComboBox:
      return style | kTabStop | kVScroll | 0x3;  // CBS_DROPDOWNLIST
  }
  return style;
}

std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '"') out += '"';
    if (*p == '\n') {
      out += "\\n";
      continue;
    }
    out += *p;
  }
  return out + "\"";
}

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  *out += line;
}

}  // namespace

TemplateItemBox TemplateItemBoxAt(const DialogTemplate& t, int32_t index) {
  if (index < 0 || index >= t.itemCount) return TemplateItemBox{0, 0, 0, 0};
  if (IsNamed(t, kMainDialogTemplate)) return MainItemBox(t.items[index].id);
  return SmallItemBox(t, index);
}

std::string DialogResourceScript() {
  std::string out =
      "// The dialogs of the plug-in, written by tools/gen_dialog_script from the\n"
      "// template tables of ui/dialog_templates.cpp: do not edit, run the tool.\n\n";
  for (int32_t k = 0; k < DialogTemplateCount(); ++k) {
    const DialogTemplate& t = *DialogTemplateAt(k);
    const bool mainDialog = IsNamed(t, kMainDialogTemplate);
    if (IsNamed(t, kThumbnailPanelTemplate)) {
      // A child of the system's file dialog: DS_SETFONT | DS_3DLOOK |
      // DS_CONTROL | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, no caption.
      Append(&out, "%s DIALOGEX 0, 0, %d, %d\nSTYLE 0x%08X\nFONT 8, \"MS Shell Dlg\"\nBEGIN\n", t.name,
             t.widthUnits, t.heightUnits, 0x40u | 0x4u | 0x400u | 0x40000000u | 0x10000000u | 0x04000000u);
    } else {
      // DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION, WS_SYSMENU when asked.
      const uint32_t style = 0x40 | 0x80 | 0x80000000u | 0x00C00000u | (t.systemMenu ? 0x00080000u : 0u);
      Append(&out, "%s DIALOGEX 0, 0, %d, %d\nSTYLE 0x%08X\nCAPTION %s\nFONT 8, \"MS Shell Dlg\"\nBEGIN\n",
             t.name, t.widthUnits, t.heightUnits, style, Quoted(t.title).c_str());
    }
    for (int32_t i = 0; i < t.itemCount; ++i) {
      const TemplateItem& item = t.items[i];
      const TemplateItemBox b = TemplateItemBoxAt(t, i);
      const std::string text =
          item.itemClass == ItemClass::Picture ? std::to_string(item.resourceId) : Quoted(item.text);
      uint32_t style = ItemStyle(item, mainDialog);
      // SS_OWNERDRAW: the chooser's hook paints the thumbnail into it.
      if (IsNamed(t, kThumbnailPanelTemplate) && item.id == kThumbnailPanelPicture) style |= 0xD;
      Append(&out, "  CONTROL %s, %d, %s, 0x%08X, %d, %d, %d, %d\n", text.c_str(), item.id,
             Quoted(ClassName(item.itemClass)).c_str(), style, b.x, b.y, b.width,
             item.itemClass == ItemClass::ComboBox ? b.height + 120 : b.height);
    }
    out += "END\n\n";
  }
  return out;
}
