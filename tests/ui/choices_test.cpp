// The names in the choice lists, the lists as the dialog fills them, and the
// popup item map behind them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "projection/names.h"
#include "ui/choice_popups.h"
#include "ui/control_values.h"
#include "ui/ui_texts.h"

namespace {

const std::vector<std::string> kInputNames = {"equirectangular",
                                              "mirror ball",
                                              "polar",
                                              "orthographic",
                                              "cylindrical",
                                              "ellipsoid",
                                              "Mollweide",
                                              "circular 180",
                                              "full-frame 180",
                                              "one cube face",
                                              "tiling cube face",
                                              "gores: 12",
                                              "half-equi",
                                              "Nicolosi",
                                              "stereographic",
                                              "quarter-equi",
                                              "Robinson",
                                              "mylar",
                                              "gores: 12 radial",
                                              "Mercator",
                                              "Lagrange",
                                              "Winkel Tripel",
                                              "Hammer",
                                              "equal-area cylinder",
                                              "gores: 6",
                                              "zenith & nadir",
                                              "horizontal cross",
                                              "vertical cross",
                                              "soccer"};

TEST(ChoiceNames, EachListNamesItsValues) {
  for (int32_t v = 1; v <= 29; ++v) EXPECT_EQ(GetChoiceName(kIdInputCombo, v), kInputNames[v - 1]) << v;
  const char* grids[] = {"none", "5'", "6'", "10'", "15'", "30'", "45'"};
  for (int32_t v = 1; v <= 7; ++v) EXPECT_STREQ(GetChoiceName(kIdGridCombo, v), grids[v - 1]);
  EXPECT_STREQ(GetChoiceName(kIdQualityCombo, 1), "good");
  EXPECT_STREQ(GetChoiceName(kIdQualityCombo, 2), "better");
  EXPECT_STREQ(GetChoiceName(kIdQualityCombo, 3), "best");
  for (int32_t v : {1, 95, 255}) EXPECT_STREQ(GetChoiceName(kIdOutputCombo, v), OutputProjectionName(v));
  // Outside each list, and any other control: "*".
  EXPECT_STREQ(GetChoiceName(kIdGridCombo, 8), "*");
  EXPECT_STREQ(GetChoiceName(kIdGridCombo, 0), "*");
  EXPECT_STREQ(GetChoiceName(kIdInputCombo, 30), "*");
  EXPECT_STREQ(GetChoiceName(kIdQualityCombo, -1), "*");
  EXPECT_STREQ(GetChoiceName(kIdGlueCombo, 1), "*");
  EXPECT_STREQ(GetChoiceName(99, 1), "*");
}

TEST(ChoiceLists, AreFilledInOrderWithOneCommandPerItem) {
  DialogSession s;
  s.Open();
  const PopupItemMap& map = s.dialog->popups;
  ASSERT_EQ(map.last, 355);  // 356 items fit the 400 entries
  struct List {
    int32_t id;
    int32_t first;
    int32_t count;
  } lists[] = {{kIdGlueCombo, 0, 62},
               {kIdInputCombo, 62, 29},
               {kIdOutputCombo, 91, 255},
               {kIdGridCombo, 346, 7},
               {kIdQualityCombo, 353, 3}};
  for (const List& list : lists) {
    const StandInItem& item = s.Item(list.id);
    ASSERT_EQ(int32_t(item.choices.size()), list.count) << list.id;
    for (int32_t k = 0; k < list.count; ++k) {
      const int32_t entry = list.first + k;
      EXPECT_EQ(map.commandIds[entry], 2000 + entry);
      EXPECT_EQ(map.controlIds[entry], list.id);
      EXPECT_EQ(map.values[entry], k + 1);
      const char* name = list.id == kIdGlueCombo ? GlueModeName(k + 1) : GetChoiceName(list.id, k + 1);
      EXPECT_EQ(item.choices[k], name) << list.id << " item " << k;
    }
  }
  EXPECT_EQ(map.commandIds[356], 0);
  EXPECT_EQ(map.controlIds[356], 1);
}

TEST(PopupCommands, KnownItemsSetTheirControlAndUnknownOnesNothing) {
  DialogSession s;
  s.Open();
  MainDialog* d = s.dialog.get();
  EXPECT_EQ(ApplyPopupCommand(d, 2000 + 62 + 4), kIdInputCombo);
  EXPECT_EQ(GetControlValue(d, kIdInputCombo), 5);
  EXPECT_EQ(ApplyPopupCommand(d, 2355), kIdQualityCombo);
  EXPECT_EQ(GetControlValue(d, kIdQualityCombo), 3);
  const DialogControls before = d->controls;
  for (int32_t command : {1999, 2356, 2399, 2400, 5000, -2000}) {
    EXPECT_EQ(ApplyPopupCommand(d, command), -1) << command;
  }
  EXPECT_EQ(std::memcmp(&before, &d->controls, sizeof(before)), 0);
}

TEST(PopupCommands, ThroughTheDialogTheSettingFollows) {
  DialogSession s;
  s.Open();
  SendStandInEvent(s.window, MakeCommandEvent(2000 + 91 + 44, kNotifyClicked));  // output 45
  EXPECT_EQ(s.block.outputProjection, 45);
  EXPECT_EQ(s.Item(kIdOutputCombo).selection, 44);
  const ParameterBlock before = s.block;
  SendStandInEvent(s.window, MakeCommandEvent(2356, kNotifyClicked));  // no such item: the glue stays
  EXPECT_EQ(std::memcmp(&before, &s.block, sizeof(before)), 0);
  EXPECT_EQ(s.block.glue, 1);
}

TEST(PopupMap, RefusesEntriesPastItsSize) {
  PopupItemMap map;
  ResetPopupItemMap(&map);
  for (int32_t i = 0; i < kPopupMapSize; ++i) ASSERT_TRUE(RegisterPopupItem(&map, 12, i));
  EXPECT_FALSE(RegisterPopupItem(&map, 12, 400));
  EXPECT_EQ(map.last, kPopupMapSize - 1);
}

}  // namespace
