// The control table and the layout of the main dialog, against transcriptions
// of their own: every id's kind, partner, range, icon and label, and every
// layout rectangle (read from a copy of the layout data kept beside the test).
#include "ui/control_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ui/dialog_geometry.h"
#include "ui/dialog_templates.h"
#include "ui/ui_texts.h"

namespace {

std::string ReadData(const char* name) {
  std::ifstream in(std::string(ORBALIX_SOURCE_DIR) + "/tests/ui/data/" + name);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// "id: left, top, right, bottom; ..." as kept in the data file.
std::map<int32_t, ItemRect> ParseLayout(const std::string& text) {
  std::map<int32_t, ItemRect> rects;
  std::stringstream s(text);
  std::string entry;
  while (std::getline(s, entry, ';')) {
    int id = 0, l = 0, t = 0, r = 0, b = 0;
    if (std::sscanf(entry.c_str(), " %d: %d, %d, %d, %d", &id, &l, &t, &r, &b) == 5) rects[id] = ItemRect{l, t, r, b};
  }
  return rects;
}

struct SliderCase {
  int32_t slider;
  int32_t edit;
  int32_t minimum;
  int32_t maximum;
};
constexpr SliderCase kSliders[] = {
    {37, 86, -90, 90}, {57, 91, -180, 180}, {39, 85, -180, 180}, {103, 104, 0, 180}, {59, 92, 0, 100}, {61, 93, 0, 100},
};

struct ButtonCase {
  int32_t id;
  const char* text;
  int32_t icon;
};
constexpr ButtonCase kBitmapButtons[] = {
    {9, "Little Planet", 247},
    {13, "A", 231},
    {15, "Z", 236},
    {26, "&Save", 241},
    {32, "+", 5},
    {33, "-", 169},
    {35, "&Load", 240},
    {40, "PSD with size", 232},
    {46, "C&onstrained", 229},
    {64, "L&ego", 230},
    {65, "Cu&be", 233},
    {72, "&Dice", 237},
    {74, "&Undo", 242},
    {75, "r&eset", 225},
    {81, "B", 231},
    {83, "F&acet", 234},
    {94, "A", 231},
    {97, "B", 231},
    {99, "A", 235},
    {110, "A", 231},
};

struct LabelCase {
  int32_t id;
  const char* text;
  int32_t alignment;  // 1 left, 0 right, 2 centred
};
constexpr LabelCase kLabels[] = {
    {36, "Latitude", 0},
    {56, "Longitude", 0},
    {38, "Spin", 0},
    {102, "FOV", 0},
    {58, "Tabs", 0},
    {82, "Sharpen", 0},
    {60, "Tab color", 0},
    {62, "Background color", 0},
    {53, "Preview", 0},
    {41, "Grid", 0},
    {22, "Input", 0},
    {50, "Output", 0},
    {70, "Glue", 0},
    {31, "Auto preview", 1},
    {49, "Flip", 1},
    {54, "Faces", 1},
    {116, "Transparent gaps", 1},
    {23, "Indicatrix", 1},
    {117, "Edges ", 1},
    {79, "Anamorph", 1},
    {84, "De-halo", 1},
};

const int32_t kCheckboxes[] = {30, 48, 105, 90, 71, 118, 28, 4};
const int32_t kCombos[] = {52, 21, 12, 51, 73};
const int32_t kDots[] = {10, 47, 113, 112, 111, 108, 80, 78, 27, 6,  29, 20, 68,
                         66, 42, 87,  77,  44,  24,  88, 95, 89, 19, 14, 16};

// Every id 0..199 and the kind it must report.
std::map<int32_t, int32_t> ExpectedKinds() {
  std::map<int32_t, int32_t> kinds;
  for (const SliderCase& s : kSliders) {
    kinds[s.slider] = kKindSlider;
    kinds[s.edit] = kKindSliderEdit;
  }
  for (const ButtonCase& b : kBitmapButtons) kinds[b.id] = kKindBitmapButton;
  for (const LabelCase& l : kLabels) kinds[l.id] = kKindLabel;
  for (int32_t id : kCheckboxes) kinds[id] = kKindCheckbox;
  for (int32_t id : kCombos) kinds[id] = kKindCombo;
  for (int32_t id : kDots) kinds[id] = kKindMemoryDot;
  kinds[2] = kinds[3] = kKindPushButton;
  kinds[7] = kinds[8] = kKindColour;
  kinds[25] = kKindIcon;
  kinds[98] = kKindDotThumbnail;
  kinds[76] = kKindLabel;
  return kinds;
}

TEST(ControlTable, EveryIdHasItsKind) {
  const std::map<int32_t, int32_t> kinds = ExpectedKinds();
  for (int32_t id = -3; id < 260; ++id) {
    const auto it = kinds.find(id);
    EXPECT_EQ(GetControlKind(id), it == kinds.end() ? kKindNone : it->second) << "id " << id;
  }
  EXPECT_EQ(GetControlKind(kIdPreview), kKindNone);
  EXPECT_EQ(GetControlKind(kIdZoomText), kKindNone);
  EXPECT_EQ(GetControlKind(65535), kKindNone);
}

TEST(ControlTable, SliderPairsShareOneEntryWithTheirRange) {
  for (const SliderCase& s : kSliders) {
    for (int32_t id : {s.slider, s.edit}) {
      const ControlDescriptor d = GetControlDescriptor(id);
      EXPECT_EQ(d.kind, kKindSlider) << id;
      EXPECT_EQ(d.mainId, s.slider) << id;
      EXPECT_EQ(d.editId, s.edit) << id;
      EXPECT_EQ(d.minimum, s.minimum) << id;
      EXPECT_EQ(d.maximum, s.maximum) << id;
      EXPECT_EQ(d.trackBitmap, 177) << id;
      EXPECT_EQ(d.icon, -1) << id;
    }
  }
}

TEST(ControlTable, ButtonsCarryTheirIconsAndTemplateTexts) {
  for (const ButtonCase& b : kBitmapButtons) {
    const ControlDescriptor d = GetControlDescriptor(b.id);
    EXPECT_EQ(d.icon, b.icon) << b.id;
    EXPECT_EQ(d.editId, kNoControl) << b.id;
    EXPECT_STREQ(ControlTemplateText(b.id), b.text) << b.id;
  }
  EXPECT_STREQ(ControlTemplateText(kIdOk), "&OK");
  EXPECT_STREQ(ControlTemplateText(kIdCancel), "&Cancel");
  EXPECT_EQ(GetControlDescriptor(kIdTabColour).label, 35);
  EXPECT_EQ(GetControlDescriptor(kIdBackdropColour).label, 36);
  EXPECT_STREQ(GetUiLabel(GetControlDescriptor(kIdTabColour).label), "Choose the tab color.");
  EXPECT_STREQ(GetUiLabel(GetControlDescriptor(kIdBackdropColour).label), "Choose the backdrop color.");
}

TEST(ControlTable, LabelsDrawTheirTextsWithTheirAlignment) {
  for (const LabelCase& l : kLabels) {
    const ControlDescriptor d = GetControlDescriptor(l.id);
    EXPECT_STREQ(GetUiLabel(d.label), l.text) << l.id;
    EXPECT_EQ(d.minimum, l.alignment) << l.id;
  }
}

TEST(ControlTable, DefaultsForIdsWithoutEntry) {
  for (int32_t id : {0, 1, 5, 17, 18, 34, 119, 150, 199, 2000, -1}) {
    const ControlDescriptor d = GetControlDescriptor(id);
    EXPECT_EQ(d.editId, kNoControl);
    EXPECT_EQ(d.mainId, kNoControl);
    EXPECT_EQ(d.kind, kKindNone);
    EXPECT_EQ(d.trackBitmap, -1);
    EXPECT_EQ(d.spareBitmaps[0], -1);
    EXPECT_EQ(d.spareBitmaps[1], -1);
    EXPECT_EQ(d.icon, -1);
    EXPECT_EQ(d.label, 0);
    EXPECT_EQ(d.minimum, 0);
    EXPECT_EQ(d.maximum, 100);
  }
}

TEST(ControlTable, KindPredicates) {
  for (int32_t kind = -1; kind < 30; ++kind) {
    EXPECT_EQ(IsComboKind(kind), kind == 11 || kind == 12 || kind == 13) << kind;
    EXPECT_EQ(IsPressAndHoldKind(kind), kind == 0 || kind == 18 || kind == 25 || kind == 26) << kind;
  }
  for (int32_t i = 0; i < kDotCount; ++i) {
    EXPECT_EQ(kMemoryDotIds[i], kDots[i]);
    EXPECT_EQ(MemoryDotIndex(kDots[i]), i);
  }
  EXPECT_EQ(MemoryDotIndex(98), -1);
}

TEST(UiLabels, MatchTheLabelTable) {
  // "N "text"" entries, and one "29 and 30 "Pano"".
  const std::string data = ReadData("ui_labels.txt");
  ASSERT_FALSE(data.empty());
  std::map<int32_t, std::string> labels;
  size_t at = 0;
  while (at < data.size() && data[at] != ';') {
    int32_t first = 0;
    int32_t last = 0;
    while (at < data.size() && !std::isdigit(static_cast<unsigned char>(data[at]))) ++at;
    while (std::isdigit(static_cast<unsigned char>(data[at]))) first = first * 10 + (data[at++] - '0');
    last = first;
    if (data.compare(at, 5, " and ") == 0) {
      at += 5;
      last = 0;
      while (std::isdigit(static_cast<unsigned char>(data[at]))) last = last * 10 + (data[at++] - '0');
    }
    const size_t open = data.find('"', at);
    const size_t close = data.find('"', open + 1);
    for (int32_t i = first; i <= last; ++i) labels[i] = data.substr(open + 1, close - open - 1);
    at = close + 1;
  }
  ASSERT_EQ(labels.size(), 44u);
  for (int32_t i = -2; i < 50; ++i) {
    const auto it = labels.find(i);
    EXPECT_EQ(GetUiLabel(i), it == labels.end() ? std::string("-undef string-") : it->second) << i;
  }
}

TEST(MainLayout, EveryEntryMatchesTheLayoutData) {
  const std::map<int32_t, ItemRect> rects = ParseLayout(ReadData("main_layout.txt"));
  ASSERT_EQ(rects.size(), 101u);
  for (int32_t id = -1; id <= 130; ++id) {
    ItemRect r{};
    const auto it = rects.find(id);
    ASSERT_EQ(GetLayoutEntry(id, &r), it != rects.end()) << id;
    if (it == rects.end()) continue;
    EXPECT_EQ(r.left, it->second.left) << id;
    EXPECT_EQ(r.top, it->second.top) << id;
    EXPECT_EQ(r.right, it->second.right) << id;
    EXPECT_EQ(r.bottom, it->second.bottom) << id;
  }
}

TEST(MainLayout, AgreesWithTheControlTableAndTheSizesNamedElsewhere) {
  // Every control of the table has a place, and every place a control (the
  // preview and the zoom text have no table entry).
  for (int32_t id = 1; id < kControlIdCount; ++id) {
    ItemRect r{};
    const bool placed = GetLayoutEntry(id, &r);
    const bool known = GetControlKind(id) != kKindNone || id == kIdPreview || id == kIdZoomText;
    EXPECT_EQ(placed, known) << id;
  }
  ItemRect r{};
  ASSERT_TRUE(GetLayoutEntry(0, &r));
  EXPECT_EQ(r.right - r.left, 865);
  EXPECT_EQ(r.bottom - r.top, 644);
  ASSERT_TRUE(GetLayoutEntry(kIdPreview, &r));  // a 516 x 488 preview
  EXPECT_EQ(r.right - r.left, 516);
  EXPECT_EQ(r.bottom - r.top, 488);
  ASSERT_TRUE(GetLayoutEntry(kIdDotThumbnail, &r));  // an 88-pixel thumbnail 4 pixels inside its frame
  EXPECT_EQ(r.right - r.left, 88 + 2 * 4);
  for (const SliderCase& s : kSliders) {  // sliders are 240 x 12
    ASSERT_TRUE(GetLayoutEntry(s.slider, &r));
    EXPECT_EQ(r.right - r.left, 240) << s.slider;
    EXPECT_EQ(r.bottom - r.top, 12) << s.slider;
  }
  for (int32_t dot : kDots) {  // every dot lies inside the client area
    ASSERT_TRUE(GetLayoutEntry(dot, &r));
    EXPECT_GT(r.right, r.left);
    EXPECT_LE(r.right, 865);
    EXPECT_LE(r.bottom, 644);
  }
}

struct LayoutCase {
  const char* what;
  int32_t id;
  ItemRect expected;
};

TEST(MainLayout, ControlRectanglesAllowForEachKind) {
  const LayoutCase cases[] = {
      {"push button 2 up and left", kIdOk, {786, 602, 846, 628}},
      {"bitmap button 2 up and left", 9, {56, 510, 116, 536}},
      {"zoom-in bitmap button", kIdZoomIn, {689, 501, 704, 516}},
      {"zoom text 2 up", kIdZoomText, {648, 500, 683, 516}},
      {"combo 19 taller", kIdGlueCombo, {61, 473, 176, 509}},
      {"slider as it stands", 37, {61, 20, 301, 32}},
      {"edit as it stands", 86, {310, 18, 333, 34}},
      {"checkbox as it stands", 30, {732, 503, 746, 517}},
      {"colour button as it stands", 7, {61, 217, 81, 237}},
      {"memory dot as it stands", 10, {330, 494, 342, 506}},
      {"client size", 0, {0, 0, 865, 644}},
      {"no entry", 1, {0, 0, 0, 0}},
      {"past the table", 119, {0, 0, 0, 0}},
      {"negative", -4, {0, 0, 0, 0}},
  };
  for (const LayoutCase& c : cases) {
    const ItemRect r = ComputeControlLayout(c.id);
    EXPECT_EQ(r.left, c.expected.left) << c.what;
    EXPECT_EQ(r.top, c.expected.top) << c.what;
    EXPECT_EQ(r.right, c.expected.right) << c.what;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.what;
  }
}

TEST(MainDialogTemplate, HoldsEveryPlacedControlWithItsNativeClass) {
  const DialogTemplate* t = FindDialogTemplate(kMainDialogTemplate);
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->title, "Orbalix 2");
  EXPECT_EQ(t->widthUnits, 546);
  EXPECT_EQ(t->heightUnits, 391);
  std::set<int32_t> ids;
  for (int32_t i = 0; i < t->itemCount; ++i) {
    const TemplateItem& item = t->items[i];
    ids.insert(item.id);
    const int32_t kind = GetControlKind(item.id);
    const ItemClass expected = kind == kKindSliderEdit                                ? ItemClass::Edit
                               : kind == kKindCheckbox                                ? ItemClass::CheckBox
                               : kind == kKindCombo                                   ? ItemClass::ComboBox
                               : kind == kKindColour                                  ? ItemClass::OwnerDrawButton
                               : item.id == kIdOk                                     ? ItemClass::DefaultButton
                               : kind == kKindPushButton || kind == kKindBitmapButton ? ItemClass::Button
                                                                                      : ItemClass::Static;
    EXPECT_EQ(item.itemClass, expected) << item.id;
  }
  EXPECT_EQ(ids.size(), 100u);  // the layout's entries less the client size
  EXPECT_EQ(FindDialogTemplate("NO_SUCH_TEMPLATE"), nullptr);
}

}  // namespace
