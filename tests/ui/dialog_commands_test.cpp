// The main dialog's commands in a filter run through the test host: typing
// and the preview timer, the auto-preview rules, the choice cycles, undo and
// reset, the dice, OK and Cancel, and the commands that must change nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "dialog_run_fixture.h"
#include "settings/random_settings.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "ui/control_bindings.h"
#include "ui/control_values.h"

namespace {

constexpr int32_t kLatitudeEdit = 86;
constexpr int32_t kLatitudeSlider = 37;
constexpr int32_t kFlip = 48;

void ExpectSameSettings(const SettingsSnapshot& a, const SettingsSnapshot& b) {
  const auto* x = reinterpret_cast<const uint8_t*>(&a.settings);
  const auto* y = reinterpret_cast<const uint8_t*>(&b.settings);
  for (size_t k = 0; k < sizeof(ParameterBlock); ++k) EXPECT_EQ(x[k], y[k]) << "byte " << k;
}

std::unique_ptr<SettingsSnapshot> SnapshotOf(ParameterBlock* block) {
  auto snapshot = std::make_unique<SettingsSnapshot>();
  std::memset(static_cast<void*>(snapshot.get()), 0, sizeof(SettingsSnapshot));
  StoreSettingsSnapshot(snapshot.get(), block);
  return snapshot;
}

TEST(DialogTyping, AnOutOfRangeValueMovesTheSliderAtOnceAndIsRewrittenByTheTimer) {
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    DialogRun::ForgetRenders();
    const int32_t undoIndex = r.Globals()->undoIndex;
    ASSERT_TRUE(StandInType(d, kLatitudeEdit, "500"));
    // At once: the slider at its maximum, the edit as typed, nothing rendered.
    EXPECT_EQ(GetControlValue(r.Dialog(), kLatitudeSlider), 90);
    EXPECT_EQ(DialogRun::Text(d, kLatitudeEdit), "500");
    EXPECT_TRUE(StandInTimerRunning(d, kPreviewTimerId));
    AdvanceStandInClock(kPreviewDelayMs - 1);
    EXPECT_EQ(DialogRun::Renders(), 0);
    EXPECT_EQ(DialogRun::Text(d, kLatitudeEdit), "500");
    AdvanceStandInClock(1);
    EXPECT_EQ(DialogRun::Text(d, kLatitudeEdit), "90");
    EXPECT_EQ(r.Block()->latitude, 90.0f);
    EXPECT_EQ(DialogRun::Renders(), 1);
    EXPECT_FALSE(StandInTimerRunning(d, kPreviewTimerId));
    // One snapshot, in memory: the other slot now, holding the new value.
    EXPECT_NE(r.Globals()->undoIndex, undoIndex);
    const SettingsSnapshot& slot = r.Globals()->workRecord->undoSlots.slots[r.Globals()->undoIndex];
    EXPECT_EQ(slot.settings.latitude, 90.0f);
    EXPECT_EQ(slot.onFile, 0);
    // Nothing more happens while nothing is typed.
    AdvanceStandInClock(5 * kPreviewDelayMs);
    EXPECT_EQ(DialogRun::Renders(), 1);
  });
  r.steps.push_back([&](StandInDialog* d) {
    // Two keystrokes inside the delay: one render, a second after the last.
    DialogRun::ForgetRenders();
    StandInType(d, kLatitudeEdit, "1");
    AdvanceStandInClock(600);
    StandInType(d, kLatitudeEdit, "12");
    AdvanceStandInClock(kPreviewDelayMs - 1);
    EXPECT_EQ(DialogRun::Renders(), 0);
    EXPECT_EQ(GetControlValue(r.Dialog(), kLatitudeSlider), 12);
    AdvanceStandInClock(1);
    EXPECT_EQ(DialogRun::Renders(), 1);
    EXPECT_EQ(r.Block()->latitude, 12.0f);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  EXPECT_EQ(r.nextStep, r.steps.size());
  EXPECT_EQ(r.Block()->latitude, 12.0f);
}

TEST(DialogTyping, TheProgramsOwnWritesNeitherArmNorStopTheTimer) {
  DialogRun r;
  r.NewDocument(64, 32);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    MainDialog* dialog = DialogRun::Dialog();
    WriteControlValue(dialog, kLatitudeSlider, 20);  // the edit echoes the write
    EXPECT_FALSE(StandInTimerRunning(d, kPreviewTimerId));
    StandInType(d, 91, "45");  // longitude typed
    EXPECT_TRUE(StandInTimerRunning(d, kPreviewTimerId));
    SetEditNumber(dialog, kLatitudeEdit, 33);  // a write elsewhere leaves the typed value's timer alone
    EXPECT_TRUE(StandInTimerRunning(d, kPreviewTimerId));
    DialogRun::ForgetRenders();
    AdvanceStandInClock(kPreviewDelayMs);
    EXPECT_EQ(DialogRun::Renders(), 1);
    EXPECT_EQ(r.Block()->longitude, 45.0f);
    // A timer that nobody armed (a late or foreign one) is ignored.
    SendStandInEvent(d, MakeTimerEvent(kPreviewTimerId));
    SendStandInEvent(d, MakeTimerEvent(4711));
    EXPECT_EQ(DialogRun::Renders(), 1);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
}

TEST(DialogPreviewRules, WhatRendersWithAndWithoutAutoPreview) {
  const std::string saved = DialogRun::TemporaryFile("saved view.q2q");
  struct Case {
    const char* what;
    bool autoPreview;
    std::function<void(StandInDialog*)> act;
    int32_t renders;
  } cases[] = {
      {"checkbox, auto", true, [](StandInDialog* d) { StandInClick(d, kFlip); }, 1},
      {"checkbox, no auto", false, [](StandInDialog* d) { StandInClick(d, kFlip); }, 0},
      {"list pick, auto", true, [](StandInDialog* d) { StandInPickChoice(d, kIdInputCombo, 3); }, 1},
      {"list pick, no auto", false, [](StandInDialog* d) { StandInPickChoice(d, kIdInputCombo, 3); }, 0},
      {"cycle, no auto", false, [](StandInDialog* d) { StandInClick(d, kIdGlueCycle); }, 0},
      {"cycle, auto", true, [](StandInDialog* d) { StandInClick(d, kIdGlueCycle); }, 1},
      {"typed, no auto (the timer)", false,
       [](StandInDialog* d) {
         StandInType(d, kLatitudeEdit, "7");
         AdvanceStandInClock(kPreviewDelayMs);
       },
       1},
      {"zoom, no auto", false, [](StandInDialog* d) { StandInClick(d, kIdZoomText); }, 1},
      {"save, auto", true,
       [&](StandInDialog* d) {
         QueueStandInFileAnswer(true, saved.c_str());
         StandInClick(d, 26);
       },
       0},
      {"load, no auto", false,
       [&](StandInDialog* d) {
         QueueStandInFileAnswer(true, saved.c_str());
         StandInClick(d, 35);
       },
       1},
      {"auto preview turned on", false, [](StandInDialog* d) { StandInClick(d, kIdAutoPreview); }, 1},
      // Auto preview was on when the box was clicked.
      {"auto preview turned off", true, [](StandInDialog* d) { StandInClick(d, kIdAutoPreview); }, 1},
  };
  for (const Case& c : cases) {
    DialogRun r;
    if (std::string(c.what) == "load, no auto") {
      // The file to load: saved by the case before.
      ASSERT_TRUE(std::filesystem::exists(saved)) << c.what;
    }
    r.NewDocument(1200, 600);  // zoomed out: the zoom text has something to do
    r.OpenHost();
    r.steps.push_back([&](StandInDialog* d) {
      if (!c.autoPreview) StandInClick(d, kIdAutoPreview);
      DialogRun::ForgetRenders();
      c.act(d);
      EXPECT_EQ(DialogRun::Renders(), c.renders) << c.what;
    });
    EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr) << c.what;
  }
  // Saving wrote the file and the status line took its name.
  SettingsThumbnail thumbnail{};
  ParameterBlock block{};
  EXPECT_EQ(LoadSettingsFile(&block, &thumbnail, saved.c_str()), 0);
}

TEST(DialogCycles, ChoiceButtonsStepTheirSettingAndWrap) {
  struct Case {
    int32_t button;
    int32_t list;
    int32_t ParameterBlock::*field;
    int32_t from;
    int32_t to;
  } cases[] = {
      {kIdGlueCycle, kIdGlueCombo, &ParameterBlock::glue, 61, 62},
      {kIdGlueCycle, kIdGlueCombo, &ParameterBlock::glue, 62, 1},
      {94, kIdOutputCombo, &ParameterBlock::outputProjection, 255, 1},
      {94, kIdOutputCombo, &ParameterBlock::outputProjection, 1, 2},
      {97, kIdInputCombo, &ParameterBlock::inputProjection, 29, 1},
      {97, kIdInputCombo, &ParameterBlock::inputProjection, 3, 4},
      {110, kIdQualityCombo, &ParameterBlock::previewQuality, 3, 1},
      {13, kIdGridCombo, &ParameterBlock::grid2, 7, 1},
      {13, kIdGridCombo, &ParameterBlock::grid2, 4, 5},
  };
  DialogRun r;
  r.NewDocument(64, 32);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    StandInClick(d, kIdAutoPreview);  // no renders: the cycles are what is looked at
    for (const Case& c : cases) {
      r.Block()->*c.field = c.from;
      WriteSettingsToControls(DialogRun::Dialog());
      ASSERT_TRUE(StandInClick(d, c.button));
      EXPECT_EQ(r.Block()->*c.field, c.to) << c.button << " from " << c.from;
      EXPECT_EQ(FindStandInItem(d, c.list)->selection, c.to - 1) << c.button << " from " << c.from;
    }
    // Forwards through the whole list and back to where it began.
    r.Block()->glue = 5;
    WriteSettingsToControls(DialogRun::Dialog());
    for (int32_t k = 0; k < 62; ++k) StandInClick(d, kIdGlueCycle);
    EXPECT_EQ(r.Block()->glue, 5);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
}

TEST(DialogEnd, CancelRestoresEverySettingAndEndsWithUserCancel) {
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  std::unique_ptr<SettingsSnapshot> opened;
  // The settings the dialog opened with (before its controls read them back).
  r.steps.push_back([&](StandInDialog*) { opened = std::make_unique<SettingsSnapshot>(r.Dialog()->openedSettings); });
  r.steps.push_back([&](StandInDialog* d) {
    StandInType(d, kLatitudeEdit, "-45");
    AdvanceStandInClock(kPreviewDelayMs);
    StandInClick(d, kFlip);
    StandInPickChoice(d, kIdOutputCombo, 15);
    StandInClick(d, 72);                       // dice
    StandInClick(d, 9);                        // little planet
    DialogRun::ClickWithMouse(d, kMemoryDotIds[3]);  // stored
    StandInClick(d, 75);                       // reset
    DialogRun::ClickWithMouse(d, kMemoryDotIds[0]);  // the opening settings loaded ...
    StandInClick(d, kIdGlueCycle);                   // ... and changed again
    QueueStandInColourAnswer(true, RgbColour{1, 2, 3});
  });
  EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
  EXPECT_EQ(r.Globals()->dialogOutcome, kDialogOutcomeCancel);
  EXPECT_EQ(r.report.continueCalls, 0);
  const auto after = SnapshotOf(r.Block());
  ExpectSameSettings(*opened, *after);
}

TEST(DialogEnd, OkEndsWithNoErrorAndTheRenderFollows) {
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  const TestDocument before = r.doc;
  r.steps.push_back([&](StandInDialog* d) {
    StandInPickChoice(d, kIdOutputCombo, 15);  // output 16
    StandInType(d, kLatitudeEdit, "-90");
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  EXPECT_EQ(r.Globals()->dialogOutcome, kDialogOutcomeOk);
  EXPECT_EQ(r.Block()->outputProjection, 16);
  EXPECT_EQ(r.Block()->latitude, -90.0f);
  EXPECT_GT(r.report.continueCalls, 0);
  EXPECT_NE(std::memcmp(before.pixels.data(), r.doc.pixels.data(), r.doc.pixels.size()), 0);
}

TEST(DialogUndo, UndoAlternatesTheLastTwoSnapshotsAndResetZeroesTheAngles) {
  DialogRun r;
  r.NewDocument(64, 32);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    StandInType(d, kLatitudeEdit, "30");
    AdvanceStandInClock(kPreviewDelayMs);
    StandInType(d, kLatitudeEdit, "60");
    AdvanceStandInClock(kPreviewDelayMs);
    ASSERT_EQ(r.Block()->latitude, 60.0f);
    StandInClick(d, 74);
    EXPECT_EQ(r.Block()->latitude, 30.0f);
    EXPECT_EQ(DialogRun::Text(d, kLatitudeEdit), "30");
    EXPECT_EQ(GetControlValue(DialogRun::Dialog(), kLatitudeSlider), 30);
    StandInClick(d, 74);
    EXPECT_EQ(r.Block()->latitude, 60.0f);
    // Reset: the three angles, nothing else.
    StandInType(d, 91, "-100");
    StandInType(d, 85, "15.5");
    StandInType(d, 104, "77");
    StandInClick(d, 75);
    EXPECT_EQ(r.Block()->latitude, 0.0f);
    EXPECT_EQ(r.Block()->longitude, 0.0f);
    EXPECT_EQ(r.Block()->spin, 0.0f);
    EXPECT_EQ(r.Block()->latitudeInteger, 0);
    EXPECT_EQ(r.Block()->fov, 77.0f);  // typed before the reset, not lost by it
    EXPECT_EQ(DialogRun::Text(d, 91), "0");
    EXPECT_FALSE(StandInTimerRunning(d, kPreviewTimerId));
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
}

TEST(DialogDice, TheSameSeedGivesTheSameSettingsTwice) {
  for (int32_t button : {72, 46}) {
    DialogRun r;
    r.NewDocument(64, 32);
    r.OpenHost();
    r.steps.push_back([&](StandInDialog* d) {
      float first[3];
      for (int32_t round = 0; round < 2; ++round) {
        SeedRandomGenerator(1234);
        StandInClick(d, button);
        const float now[3] = {r.Block()->latitude, r.Block()->longitude, r.Block()->spin};
        if (round == 0) {
          std::memcpy(first, now, sizeof(first));
          EXPECT_FALSE(now[0] == 0 && now[1] == 0 && now[2] == 0) << button;
        } else {
          EXPECT_EQ(std::memcmp(first, now, sizeof(first)), 0) << button;
        }
        EXPECT_EQ(std::string(r.Block()->settingsName), "random settings.q2q") << button;
        EXPECT_EQ(GetControlValue(DialogRun::Dialog(), kLatitudeSlider), int32_t(now[0])) << button;
        StandInClick(d, 75);
      }
    });
    EXPECT_EQ(r.Run(kIdOk), kNoErr);
  }
}

TEST(DialogFaults, ACancelInsideANestedDialogIsNotOverwrittenByTheOuterCommand) {
  DialogRun r;
  r.NewDocument(64, 32);
  r.OpenHost();
  std::unique_ptr<SettingsSnapshot> opened;
  StandInDialog* main = nullptr;
  r.steps.push_back([&](StandInDialog* d) {
    main = d;
    opened = std::make_unique<SettingsSnapshot>(r.Dialog()->openedSettings);
    StandInType(d, kLatitudeEdit, "55");  // typed, not yet committed
    StandInClick(d, kFlip);
    // While the about box runs, the user cancels the main dialog.
    SetStandInDriver("ABOUTBOX", [&](StandInDialog* about) {
      StandInClick(main, kIdCancel);
      StandInClick(about, 5);
      return true;
    });
    StandInClick(d, kIdAboutIcon);
  });
  EXPECT_EQ(r.Run(kIdOk), kUserCanceledErr);
  EXPECT_EQ(r.Globals()->dialogOutcome, kDialogOutcomeCancel);
  const auto after = SnapshotOf(r.Block());
  ExpectSameSettings(*opened, *after);
  EXPECT_EQ(r.report.continueCalls, 0);
}

TEST(DialogFaults, PopupCommandsWithoutAnItemChangeNothing) {
  DialogRun r;
  r.NewDocument(64, 32);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    DialogRun::ForgetRenders();
    const ParameterBlock before = *r.Block();
    for (int32_t id : {2356, 2399, 2400, 5000}) SendStandInEvent(d, MakeCommandEvent(id, kNotifyClicked));
    EXPECT_EQ(std::memcmp(&before, r.Block(), sizeof(ParameterBlock)), 0);
    EXPECT_EQ(DialogRun::Renders(), 0);
    // A registered item: glue mode 5 (entry 4), shown in its list and previewed.
    SendStandInEvent(d, MakeCommandEvent(2004, kNotifyClicked));
    EXPECT_EQ(r.Block()->glue, 5);
    EXPECT_EQ(FindStandInItem(d, kIdGlueCombo)->selection, 4);
    EXPECT_EQ(DialogRun::Renders(), 1);
    // Output 255 is the last item of the outputs (entry 2345).
    SendStandInEvent(d, MakeCommandEvent(2345, kNotifyClicked));
    EXPECT_EQ(r.Block()->outputProjection, 255);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
}

TEST(DialogFaults, CancellingTheColourChooserKeepsTheColour) {
  // The test host's picker cancels; without host colour services the
  // system's chooser is asked, and cancelled too, then confirmed.
  for (bool hostPicker : {true, false}) {
    DialogRun r;
    r.NewDocument(64, 32);
    r.OpenHost();
    if (!hostPicker) r.host.record.colorServices = nullptr;
    r.steps.push_back([&](StandInDialog* d) {
      DialogRun::ForgetRenders();
      const uint16_t tab[3] = {r.Block()->tabRed, r.Block()->tabGreen, r.Block()->tabBlue};
      QueueStandInColourAnswer(false, RgbColour{0, 0, 0});
      StandInClick(d, kIdTabColour);
      EXPECT_EQ(r.Block()->tabRed, tab[0]) << hostPicker;
      EXPECT_EQ(r.Block()->tabGreen, tab[1]) << hostPicker;
      EXPECT_EQ(r.Block()->tabBlue, tab[2]) << hostPicker;
      EXPECT_EQ(DialogRun::Renders(), 0) << hostPicker;
      if (hostPicker) {
        EXPECT_EQ(r.host.colorServicesCalls, 1);
        EXPECT_TRUE(GetStandInWorld().colourRequests.empty());
        return;
      }
      ASSERT_EQ(GetStandInWorld().colourRequests.size(), 1u);
      EXPECT_EQ(GetStandInWorld().colourRequests[0].title, "Choose the tab color.");
      QueueStandInColourAnswer(true, RgbColour{0x10, 0x20, 0x30});
      StandInClick(d, kIdBackdropColour);
      EXPECT_EQ(GetStandInWorld().colourRequests[1].title, "Choose the backdrop color.");
      EXPECT_EQ(r.Block()->backdropRed, 0x1000);
      EXPECT_EQ(r.Block()->backdropBlue, 0x3000);
      EXPECT_EQ(DialogRun::Renders(), 1);
    });
    EXPECT_EQ(r.Run(kIdOk), kNoErr);
  }
}

}  // namespace
