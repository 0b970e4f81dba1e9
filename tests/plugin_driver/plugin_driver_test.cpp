// Loads the built plug-in file as a host does and runs it through the test
// host, while a robot thread plays the user of its dialogs: the about box,
// the refusal alert, the main dialog (layout read back from the live
// windows, typing, ticking, picking, OK and Cancel), the GDI objects before
// and after, a screenshot for the golden image, and the progress dialog.
// Only the Windows build has the plug-in file; it runs under wine on a
// virtual X display.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/rect_path.h"
#include "platform/testhost/test_host.h"
#include "platform/testhost/test_host_descriptor.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"
#include "ui/dialog_templates.h"
#include "ui/progress_dialog.h"

#if defined(_WIN32) && defined(ORBALIX_PLUGIN_FILE)
#include <direct.h>

#include "tests/plugin_driver/dialog_robot.h"
#include "ui/win32/win32_view.h"
// The kernel32 calls a host makes to reach the entry point.
extern "C" __declspec(dllimport) void* __stdcall LoadLibraryA(const char* fileName);
extern "C" __declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* procName);
extern "C" __declspec(dllimport) int __stdcall FreeLibrary(void* module);
#define ORBALIX_CAN_LOAD_PLUGIN 1
#endif

namespace {

#ifdef ORBALIX_CAN_LOAD_PLUGIN

constexpr int16_t kUserCanceled = -128;

struct LoadedPlugin {
  void* module = nullptr;
  PluginEntryProc entry = nullptr;
  LoadedPlugin() {
    std::string path = ORBALIX_PLUGIN_FILE;
    module = LoadLibraryA(path.c_str());
    if (!module && !path.empty() && path[0] == '/') module = LoadLibraryA(("Z:" + path).c_str());
    if (module) entry = reinterpret_cast<PluginEntryProc>(GetProcAddress(module, "PluginMain"));
  }
  ~LoadedPlugin() {
    if (module) FreeLibrary(module);
  }
};

const LoadedPlugin& Plugin() {
  static LoadedPlugin plugin;
  return plugin;
}

double DescriptorDouble(const DescriptorList& list, FourCC key) {
  const DescriptorEntry* e = FindDescriptorEntry(list, key);
  double v = -12345.0;
  if (e && e->value.size() == sizeof(v)) std::memcpy(&v, e->value.data(), sizeof(v));
  return v;
}

int32_t DescriptorFlag(const DescriptorList& list, FourCC key) {
  const DescriptorEntry* e = FindDescriptorEntry(list, key);
  bool v = false;
  return e && DescriptorEntryBoolean(*e, &v) ? int32_t(v) : -1;
}

DescriptorEnumId DescriptorEnum(const DescriptorList& list, FourCC key) {
  const DescriptorEntry* e = FindDescriptorEntry(list, key);
  DescriptorTypeId type = 0;
  DescriptorEnumId v = 0;
  return e && DescriptorEntryEnumerated(*e, &type, &v) ? v : 0;
}

// A small world map as an equirectangular panorama: sky blue to sea green
// by latitude, warm land bands by longitude, and a 30-degree graticule, so
// that the preview shows a picture and not noise.
void FillWorldMap(TestDocument& doc) {
  for (int32_t y = 0; y < doc.height; ++y) {
    for (int32_t x = 0; x < doc.width; ++x) {
      const double lon = (x + 0.5) / doc.width * 360.0 - 180.0;
      const double lat = 90.0 - (y + 0.5) / doc.height * 180.0;
      const bool land = std::sin(lon * 0.05) * std::cos(lat * 0.07) > 0.35;
      const bool line = std::fabs(std::remainder(lon, 30.0)) < 0.8 || std::fabs(std::remainder(lat, 30.0)) < 0.8;
      double r = land ? 0.55 : 0.10;
      double g = land ? 0.45 + 0.2 * std::cos(lat * 0.03) : 0.35 + 0.3 * (lat + 90.0) / 180.0;
      double b = land ? 0.20 : 0.75;
      if (line) r = g = b = 0.95;
      SetDocumentSample(doc, x, y, 0, r * 255.0);
      SetDocumentSample(doc, x, y, 1, g * 255.0);
      SetDocumentSample(doc, x, y, 2, b * 255.0);
    }
  }
}

// The host's count as the robot's thread reads it while the host's runs.
int32_t DisplayCalls(const TestHost& host) { return *static_cast<const volatile int32_t*>(&host.displayPixelsCalls); }

// Opens the about box through the host's about call and answers the view's
// live GDI count while it is open.
int32_t LiveGdiObjectsInAboutBox(PluginEntryProc entry) {
  TestDocument doc = MakeTestDocument(4, 4, 3, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  int32_t live = -1;
  int32_t boxes = 0;
  {
    RobotRun robot([&] {
      const RobotWindow about = WaitForDialog("About");
      if (!about) return;
      boxes = CountDialogs("About");
      live = RobotLiveGdiObjects(about);
      RobotClose(about);
    });
    EXPECT_EQ(CallFilterSelector(&host, entry, kSelectorAbout), kNoErr);
  }
  EXPECT_EQ(boxes, 1);  // one about box
  EXPECT_EQ(host.data, 0);  // and no state
  ShutdownTestHost(&host);
  return live;
}

#endif

TEST(PluginDriver, LoadsThePluginAndRunsEveryPhase) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "the plug-in file is built and loaded by the Windows build only";
#else
  ASSERT_NE(Plugin().entry, nullptr) << ORBALIX_PLUGIN_FILE;
  const PluginEntryProc entry = Plugin().entry;

  TestDocument doc = MakeTestDocument(7, 5, 3, 8, false);
  FillDocumentPattern(doc, 11);
  SetDocumentFilterRect(doc, 1, 1, 6, 4);
  const TestDocument before = doc;
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  host.moveUnlockedHandles = true;

  // The host plays the action without the dialog.
  TestRunReport report;
  TestRunOptions options;
  EXPECT_EQ(RunFilterSelectors(&host, entry, options, &report), kNoErr);
  ASSERT_GE(report.selectors.size(), 5u);
  EXPECT_EQ(report.selectors[0], kSelectorParameters);
  EXPECT_EQ(report.selectors[1], kSelectorPrepare);
  EXPECT_EQ(report.selectors[2], kSelectorStart);
  EXPECT_EQ(report.selectors.back(), kSelectorFinish);
  EXPECT_GE(report.continueCalls, 1);
  EXPECT_GT(host.record.bufferSpace, 0);

  // Every row of the filter rectangle was asked for as a band.
  std::vector<int> rows;
  for (const TestRequest& r : host.requests) {
    if (r.outRect.bottom - r.outRect.top == 1 && r.outRect.left == 1 && r.outRect.right == 6 &&
        (rows.empty() || rows.back() != r.outRect.top)) {
      rows.push_back(r.outRect.top);
    }
  }
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3}));
  // The render writes inside the filter rectangle only.
  for (int32_t y = 0; y < doc.height; ++y) {
    for (int32_t x = 0; x < doc.width; ++x) {
      if (x >= 1 && x < 6 && y >= 1 && y < 4) continue;
      for (int16_t p = 0; p < 3; ++p) EXPECT_EQ(GetDocumentSample(doc, x, y, p), GetDocumentSample(before, x, y, p));
    }
  }

  DescriptorList recorded;
  ASSERT_TRUE(GetTestHostDescriptor(&host, &recorded));
  EXPECT_NE(FindDescriptorEntry(recorded, MakeFourCC('0', '0', '1', '4')), nullptr);

  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(LockedHandleCount(&host), 0);
  EXPECT_EQ(host.handleMisuse, 0);
  EXPECT_EQ(host.bufferMisuse, 0);
  ShutdownTestHost(&host);
#endif
}

TEST(PluginDialogs, RefusalAlertShowsItsText) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().entry, nullptr);
  TestDocument doc = MakeTestDocument(8, 8, 3, 8, false);
  TestHostOptions options;
  options.hasAdvanceState = false;
  TestHost host;
  InitTestHost(&host, &doc, options);
  std::string text;
  bool gone = false;
  TestRunReport report;
  {
    RobotRun robot([&] {
      const RobotWindow alert = WaitForDialog("Plug-in error");
      if (!alert) return;
      text = RobotItemText(alert, 99);
      RobotClick(alert, 1);
      gone = WaitForDialogGone(alert);
    });
    RunFilterSelectors(&host, Plugin().entry, TestRunOptions{}, &report);
  }
  EXPECT_EQ(text,
            "The filter cannot run because your paint program does not support enough of the Photoshop 3.0 plug-in "
            "standard.");
  EXPECT_TRUE(gone);
  EXPECT_EQ(report.continueCalls, 0);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  ShutdownTestHost(&host);
#endif
}

TEST(PluginDialogs, MainDialogLaysOutTakesInputAndEndsWithOkOrCancel) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().entry, nullptr);
  const PluginEntryProc entry = Plugin().entry;
  const int32_t systemBefore = ProcessGdiObjects();
  const int32_t liveBefore = LiveGdiObjectsInAboutBox(entry);

  struct Case {
    const char* what;
    int32_t endButton;
  };
  for (const Case& c : {Case{"OK", 3}, Case{"Cancel", 2}}) {
    SCOPED_TRACE(c.what);
    TestDocument doc = MakeTestDocument(480, 240, 3, 8, false);
    FillWorldMap(doc);
    const TestDocument before = doc;
    TestHost host;
    InitTestHost(&host, &doc, TestHostOptions{});
    SetTestHostDescriptor(&host, DescriptorList{}, 1);  // the action shows the dialog
    PaintWhatIsDisplayed(&host.record);
    const int32_t displaysBefore = DisplayCalls(host);
    int32_t displaysAfterOpen = -1;
    int32_t displaysAfterTyping = -1;

    std::vector<std::string> misplaced;
    RobotRect client{};
    int32_t liveOpen = -1;
    int32_t flipTicked = -1;
    bool typedPreviewEarly = true;
    bool dotRedrawn = false;
    RobotRect saveIcon{};
    RobotRect cycleIcon{};
    bool gone = false;
    TestRunReport report;
    {
      RobotRun robot([&] {
        const RobotWindow dialog = WaitForDialog("Orbalix 2");
        if (!dialog) return;
        client = RobotDialogClientSize(dialog);
        // Every control at its layout rectangle, read back from the windows
        // (a combo box's height is its list's, not the layout's).
        const DialogTemplate* t = FindDialogTemplate(kMainDialogTemplate);
        for (int32_t i = 0; t && i < t->itemCount; ++i) {
          const int32_t id = t->items[i].id;
          const ItemRect want = ComputeControlLayout(id);
          const RobotRect got = RobotItemClientRect(dialog, id);
          const bool combo = t->items[i].itemClass == ItemClass::ComboBox;
          if (got.left != want.left || got.top != want.top || got.right != want.right ||
              (!combo && got.bottom != want.bottom)) {
            misplaced.push_back(std::to_string(id) + ": " + std::to_string(got.left) + "," + std::to_string(got.top) +
                                "," + std::to_string(got.right) + "," + std::to_string(got.bottom));
          }
        }
        liveOpen = RobotLiveGdiObjects(dialog);
        saveIcon = RobotButtonIconSize(dialog, 26);
        cycleIcon = RobotButtonIconSize(dialog, 81);
        RobotClick(dialog, 30);  // auto preview off: only the typed value previews
        RobotSleep(300);
        displaysAfterOpen = DisplayCalls(host);
        RobotType(dialog, 86, "30");  // latitude
        RobotSleep(400);
        typedPreviewEarly = DisplayCalls(host) != displaysAfterOpen;
        RobotSleep(1300);  // the typed value previews about a second after the keystroke
        displaysAfterTyping = DisplayCalls(host);
        RobotClick(dialog, 30);  // auto preview on again
        RobotClick(dialog, 48);  // flip
        flipTicked = RobotCheckState(dialog, 48);
        RobotPick(dialog, 21, 3);  // grid: the fourth choice
        RobotSleep(500);
        // A click on the second memory dot stores the settings there: the
        // dot is drawn as the current one.
        const RobotRect dot = RobotItemClientRect(dialog, 47);
        const RobotShot dotBefore = RobotScreenshot(dialog, &dot);
        RobotMouseClick(dialog, (dot.left + dot.right) / 2, (dot.top + dot.bottom) / 2 + 2);
        RobotSleep(300);
        dotRedrawn = RobotScreenshot(dialog, &dot).rgb != dotBefore.rgb;
        if (c.endButton == 3) WriteShotBmp(RobotScreenshot(dialog), ORBALIX_SHOT_FILE);
        RobotClick(dialog, c.endButton);
        gone = WaitForDialogGone(dialog);
      });
      RunFilterSelectors(&host, entry, TestRunOptions{}, &report);
    }
    EXPECT_TRUE(gone);
    EXPECT_EQ(client.right, 865);
    EXPECT_EQ(client.bottom, 644);
    EXPECT_TRUE(misplaced.empty()) << ::testing::PrintToString(misplaced);
    EXPECT_GT(liveOpen, 0);  // the artwork is loaded while the dialog is open
    EXPECT_EQ(flipTicked, 1);
    EXPECT_TRUE(dotRedrawn);
    // Icons at their own sizes, not stretched to the system's icon size.
    EXPECT_EQ(saveIcon.right, 48);
    EXPECT_EQ(saveIcon.bottom, 16);
    EXPECT_EQ(cycleIcon.right, 8);
    EXPECT_EQ(cycleIcon.bottom, 8);
    // The dialog opened with a preview, and the typed value was previewed
    // after its delay, not at once.
    EXPECT_GT(displaysAfterOpen, displaysBefore);
    EXPECT_FALSE(typedPreviewEarly);
    EXPECT_GT(displaysAfterTyping, displaysAfterOpen);
    if (c.endButton == 3) {
      // OK: the render follows with the settings the controls held.
      EXPECT_GE(report.continueCalls, 1);
      bool changed = false;
      for (int32_t y = 0; y < doc.height && !changed; ++y) {
        for (int32_t x = 0; x < doc.width && !changed; ++x) {
          changed = GetDocumentSample(doc, x, y, 0) != GetDocumentSample(before, x, y, 0);
        }
      }
      EXPECT_TRUE(changed);
      DescriptorList recorded;
      ASSERT_TRUE(GetTestHostDescriptor(&host, &recorded));
      EXPECT_EQ(DescriptorDouble(recorded, MakeFourCC('0', '0', '3', '4')), 30.0);  // latitude
      EXPECT_EQ(DescriptorFlag(recorded, MakeFourCC('0', '0', '1', '1')), 1);       // flip
      // The grid's fourth choice, "10 degrees".
      EXPECT_EQ(DescriptorEnum(recorded, MakeFourCC('Q', 'g', 'k', 'y')), MakeFourCC('Q', 'g', 'r', '4'));
    } else {
      // Cancel: the user's cancel code from the start phase, and no render.
      ASSERT_GE(report.results.size(), 3u);
      EXPECT_EQ(report.results[2], kUserCanceled);
      EXPECT_EQ(report.continueCalls, 0);
    }
    EXPECT_EQ(LiveBufferCount(&host), 0);
    ShutdownTestHost(&host);
  }

  // Every GDI object the dialogs created was released.
  EXPECT_EQ(LiveGdiObjectsInAboutBox(entry), liveBefore);
  EXPECT_EQ(ProcessGdiObjects(), systemBefore);
#endif
}

TEST(PluginDialogs, PsdWithSizeAsksForAFileAndWritesItInTheProgressDialog) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().entry, nullptr);
  TestDocument doc = MakeTestDocument(96, 48, 3, 8, false);
  FillWorldMap(doc);
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  SetTestHostDescriptor(&host, DescriptorList{}, 1);
  // Where the export goes, as a Windows path of wine's drive Z:.
  std::string unixPath = std::string(ORBALIX_SHOT_FILE) + ".export.psd";
  std::remove(unixPath.c_str());
  std::string windowsPath = "Z:" + unixPath;
  for (char& c : windowsPath) c = c == '/' ? '\\' : c;
  bool sizeDialog = false;
  bool chooser = false;
  bool progress = false;
  TestRunReport report;
  {
    RobotRun robot([&] {
      const RobotWindow dialog = WaitForDialog("Orbalix 2");
      if (!dialog) return;
      PostClick(dialog, 40);  // "PSD with size": its dialog runs a loop of its own
      const RobotWindow size = WaitForDialog("Export PSD image");
      sizeDialog = size != 0;
      if (size) {
        RobotType(size, 3, "64");  // typing chooses a custom size
        RobotType(size, 4, "40");
        PostClick(size, 1);
        const RobotWindow save = WaitForDialog("Save a PSD file");
        chooser = save != 0;
        if (save) {
          RobotTypeFileName(save, windowsPath.c_str());
          PostClick(save, 1);
          const RobotWindow running = WaitForDialog("Progress");
          progress = running != 0;
          WaitForDialogGone(running);
        }
      }
      RobotSleep(300);
      RobotClick(dialog, 2);  // Cancel: the export stays written
      WaitForDialogGone(dialog);
    });
    RunFilterSelectors(&host, Plugin().entry, TestRunOptions{}, &report);
  }
  EXPECT_TRUE(sizeDialog);
  EXPECT_TRUE(chooser);
  EXPECT_TRUE(progress);
  // A PSD document of the typed size.
  FILE* f = std::fopen(unixPath.c_str(), "rb");
  ASSERT_NE(f, nullptr) << unixPath;
  uint8_t header[26] = {};
  EXPECT_EQ(std::fread(header, 1, sizeof(header), f), sizeof(header));
  std::fclose(f);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 4), "8BPS");
  const uint32_t height = uint32_t(header[14]) << 24 | uint32_t(header[15]) << 16 | uint32_t(header[16]) << 8 | header[17];
  const uint32_t width = uint32_t(header[18]) << 24 | uint32_t(header[19]) << 16 | uint32_t(header[20]) << 8 | header[21];
  EXPECT_EQ(width, 64u);
  EXPECT_EQ(height, 40u);
  std::remove(unixPath.c_str());
  EXPECT_EQ(LiveBufferCount(&host), 0);
  ShutdownTestHost(&host);
#endif
}

#ifdef ORBALIX_CAN_LOAD_PLUGIN
struct ProgressLog {
  std::vector<std::string> seen;  // the percentage as the robot saw it on screen
  uint64_t paintedDifferently = 0;
};
volatile int32_t gJobStep = 0;
volatile int32_t gRobotStep = 0;
bool gCancelJob = false;

void WaitFor(volatile int32_t* step, int32_t value) {
  for (int32_t i = 0; i < 500 && *step < value; ++i) RobotSleep(10);
}

// A job that shows two percentages and waits, each time, for the robot to
// look at the window: a window that is only painted from the message loop
// would show neither.
void TwoStepJob(GlobalsRecord* globals, int32_t, const FileSpec*, uint8_t* cancel) {
  UpdateProgressPercent(globals, 1, 4, 1);
  gJobStep = 1;
  WaitFor(&gRobotStep, 1);
  if (gCancelJob) ShowCancelling(globals);
  if (*cancel) return;
  UpdateProgressPercent(globals, 3, 4, 1);
  gJobStep = 2;
  WaitFor(&gRobotStep, 2);
}
#endif

TEST(PluginDialogs, ProgressJobReturnsCompletionOrCancelAndRepaintsWhileItRuns) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().module, nullptr);
  // This program's own copy of the view, over the plug-in file's templates.
  InstallWin32WindowSystem(Plugin().module);
  GlobalsRecord globals{};
  FileSpec spec{};
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "completed");
    gJobStep = 0;
    gRobotStep = 0;
    gCancelJob = cancel;
    std::vector<std::string> texts;
    std::vector<RobotShot> shots;
    uint8_t cancelled = 9;
    int16_t result = -1;
    {
      RobotRun robot([&] {
        const RobotWindow progress = WaitForDialog("Progress");
        if (!progress) return;
        const RobotRect textRect = RobotItemClientRect(progress, 2);
        for (int32_t step = 1; step <= 2; ++step) {
          WaitFor(&gJobStep, step);
          RobotSleep(200);
          texts.push_back(RobotItemTextNow(progress, 2));
          shots.push_back(RobotScreenshot(progress, &textRect));
          gRobotStep = step;
          if (cancel) break;
        }
      });
      result = ShowProgressDialogWith(&globals, &spec, &cancelled, kProgressJobPsd, TwoStepJob);
    }
    if (cancel) {
      EXPECT_EQ(result, kProgressRefused);
      EXPECT_EQ(cancelled, 1);
      EXPECT_EQ(texts, (std::vector<std::string>{"25%"}));
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(cancelled, 0);
      EXPECT_EQ(texts, (std::vector<std::string>{"25%", "75%"}));
      // The window showed each percentage while the job ran.
      ASSERT_EQ(shots.size(), 2u);
      ASSERT_FALSE(shots[0].rgb.empty());
      EXPECT_NE(shots[0].rgb, shots[1].rgb);
    }
  }
  InstallWindowSystem(nullptr);
#endif
}

#ifdef ORBALIX_CAN_LOAD_PLUGIN
// A place for the exports of a test, as a Unix path and as wine's path of
// it on drive Z:.
struct ExportPlace {
  std::string unixPath;
  std::string windowsPath;
  explicit ExportPlace(const std::string& name) {
    unixPath = std::string(ORBALIX_SHOT_FILE) + "." + name;
    std::remove(unixPath.c_str());
    windowsPath = "Z:" + unixPath;
    for (char& c : windowsPath) c = c == '/' ? '\\' : c;
  }
  ~ExportPlace() { std::remove(unixPath.c_str()); }
};

std::string ReadFileText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

// Answers a save chooser of that title with the path; false when none came.
bool SaveAs(const char* title, const std::string& windowsPath) {
  const RobotWindow chooser = WaitForDialog(title);
  if (!chooser) return false;
  RobotTypeFileName(chooser, windowsPath.c_str());
  PostClick(chooser, 1);
  return WaitForDialogGone(chooser);
}
#endif

TEST(PluginDialogs, LegoAndFacetTakeTypedValuesAndOkWritesTheFilesCancelNothing) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().entry, nullptr);
  TestDocument doc = MakeTestDocument(96, 48, 3, 8, false);
  FillWorldMap(doc);
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  SetTestHostDescriptor(&host, DescriptorList{}, 1);
  const ExportPlace statistics("statistics.html");
  const ExportPlace model("model.ldr");
  const ExportPlace geometry("tetra.obj");
  const std::string base = geometry.unixPath.substr(0, geometry.unixPath.size() - 4);
  bool cancelWroteNothing = false;
  std::vector<int32_t> brickTicks;
  bool brickChoosers = false;
  bool facesDialog = false;
  bool facesChooser = false;
  bool progress = false;
  TestRunReport report;
  {
    RobotRun robot([&] {
      const RobotWindow dialog = WaitForDialog("Orbalix 2");
      if (!dialog) return;
      // Cancel: the sub-dialog goes, no chooser comes and nothing is written.
      PostClick(dialog, 64);
      RobotWindow brick = WaitForDialog("Brick sphere");
      if (!brick) return;
      RobotType(brick, 3, "4");
      PostClick(brick, 2);
      WaitForDialogGone(brick);
      RobotSleep(300);
      cancelWroteNothing = CountDialogs("Save an HTML page") == 0 && CountDialogs("Save an LDRAW file") == 0;
      // OK with the statistics page and the model: each file is asked for and written.
      PostClick(dialog, 64);
      brick = WaitForDialog("Brick sphere");
      if (!brick) return;
      RobotType(brick, 3, "5");
      const int32_t wanted[][2] = {{8, 0}, {9, 1}, {10, 1}};
      for (const auto& w : wanted) {
        if (RobotCheckState(brick, w[0]) != w[1]) RobotClick(brick, w[0]);
        brickTicks.push_back(RobotCheckState(brick, w[0]));
      }
      PostClick(brick, 1);
      brickChoosers = SaveAs("Save an HTML page", statistics.windowsPath) &&
                      SaveAs("Save an LDRAW file", model.windowsPath);
      // Facet on the tetrahedron's net: the geometry in the progress dialog.
      RobotPick(dialog, 51, 5);
      RobotSleep(300);
      PostClick(dialog, 83);
      const RobotWindow faces = WaitForDialog("Export Polyhedron");
      facesDialog = faces != 0;
      if (faces) {
        RobotClick(faces, 5);
        RobotType(faces, 3, "32");
        PostClick(faces, 1);
        facesChooser = SaveAs("Save a Wavefront .obj file", geometry.windowsPath);
        const RobotWindow running = WaitForDialog("Progress");
        progress = running != 0;
        WaitForDialogGone(running);
      }
      RobotSleep(300);
      RobotClick(dialog, 2);
      WaitForDialogGone(dialog);
    });
    RunFilterSelectors(&host, Plugin().entry, TestRunOptions{}, &report);
  }
  EXPECT_TRUE(cancelWroteNothing);
  EXPECT_EQ(brickTicks, (std::vector<int32_t>{0, 1, 1}));
  EXPECT_TRUE(brickChoosers);
  EXPECT_NE(ReadFileText(statistics.unixPath).find("Cell count for 5-layer sphere:"), std::string::npos);
  const std::string ldraw = ReadFileText(model.unixPath);
  EXPECT_NE(ldraw.find("0 Layer 5 of 5\r\n"), std::string::npos);
  EXPECT_TRUE(facesDialog);
  EXPECT_TRUE(facesChooser);
  EXPECT_TRUE(progress);
  EXPECT_NE(ReadFileText(geometry.unixPath).find("mtllib "), std::string::npos);
  for (const char* extension : {".stl", ".mtl", ".jpg"}) {
    EXPECT_TRUE(FileExists(base + extension)) << extension;
    std::remove((base + extension).c_str());
  }
  EXPECT_EQ(LiveBufferCount(&host), 0);
  ShutdownTestHost(&host);
#endif
}

TEST(PluginDialogs, SettingsChooserShowsTheThumbnailOfTheSelectedFile) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().entry, nullptr);
  // A folder with one settings file that carries a picture.
  const ExportPlace folder("presets");
  _mkdir(folder.windowsPath.c_str());
  const std::string preset = folder.unixPath + "/with picture.q2q";
  {
    const std::string bytes = ReadFileText(std::string(ORBALIX_SOURCE_DIR) + "/tests/settings/data/version_47.q2q");
    ASSERT_FALSE(bytes.empty());
    FILE* f = std::fopen(preset.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  TestDocument doc = MakeTestDocument(64, 32, 3, 8, false);
  FillWorldMap(doc);
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  SetTestHostDescriptor(&host, DescriptorList{}, 1);
  auto grey = [](const RobotShot& shot) {
    for (size_t k = 0; k + 2 < shot.rgb.size(); k += 3) {
      if (shot.rgb[k] != shot.rgb[k + 1] || shot.rgb[k] != shot.rgb[k + 2]) return false;
    }
    return true;
  };
  bool panelFound = false;
  RobotShot empty;
  RobotShot selected;
  TestRunReport report;
  {
    RobotRun robot([&] {
      const RobotWindow dialog = WaitForDialog("Orbalix 2");
      if (!dialog) return;
      PostClick(dialog, 35);  // Load
      const RobotWindow chooser = WaitForDialog("Open a settings file");
      if (chooser) {
        const RobotWindow panel = RobotFindChildDialog(chooser, 123);
        panelFound = panel != 0;
        if (panel) {
          RobotSleep(300);
          const RobotRect picture = RobotItemClientRect(panel, 123);
          empty = RobotScreenshot(panel, &picture);
          // Into the folder, then a click on its one file.
          RobotTypeFileName(chooser, (folder.windowsPath + "\\").c_str());
          RobotClick(chooser, 1);
          for (int32_t i = 0; i < 50 && !RobotSelectFirstListedFile(chooser); ++i) RobotSleep(100);
          RobotSleep(500);
          selected = RobotScreenshot(panel, &picture);
        }
        PostClick(chooser, 2);
        WaitForDialogGone(chooser);
      }
      RobotClick(dialog, 2);
      WaitForDialogGone(dialog);
    });
    RunFilterSelectors(&host, Plugin().entry, TestRunOptions{}, &report);
  }
  std::remove(preset.c_str());
  _rmdir(folder.windowsPath.c_str());
  EXPECT_TRUE(panelFound);
  // The empty panel is the grey background; the selected file's picture has colour.
  ASSERT_FALSE(empty.rgb.empty());
  EXPECT_TRUE(grey(empty));
  ASSERT_FALSE(selected.rgb.empty());
  EXPECT_FALSE(grey(selected));
  ShutdownTestHost(&host);
#endif
}

#ifdef ORBALIX_CAN_LOAD_PLUGIN
constexpr int32_t kCursorCommand = 700;

// A dialog whose controller shows the cursor shape that a command names.
int32_t CursorDialogHandler(void*, const DialogPort* port, const DialogEvent* event) {
  if (event->kind != DialogEventKind::Command) return 0;
  if (event->id == 2) {
    PortEndDialog(port, 2);
    return 1;
  }
  if (event->id < kCursorCommand || event->id > kCursorCommand + 4) return 0;
  SetWindowCursor(CursorShape(event->id - kCursorCommand));
  return 1;
}
#endif

TEST(PluginDialogs, SetCursorOverAControlShowsTheDialogsCursor) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "Windows build only";
#else
  ASSERT_NE(Plugin().module, nullptr);
  InstallWin32WindowSystem(Plugin().module);
  struct Case {
    CursorShape shape;
    uintptr_t overEdit;  // over the client area of the dialog's edit
  };
  const uintptr_t arrow = RobotLoadCursor(nullptr, 32512);
  const Case cases[] = {
      {CursorShape::Hover, RobotLoadCursor(Plugin().module, 108)},
      {CursorShape::Grab, RobotLoadCursor(Plugin().module, 107)},
      {CursorShape::Wait, RobotLoadCursor(nullptr, 32514)},
      {CursorShape::Arrow, RobotLoadCursor(nullptr, 32513)},  // the edit's own text beam
  };
  std::vector<uintptr_t> overEdit;
  std::vector<uintptr_t> overCaption;
  {
    RobotRun robot([&] {
      const RobotWindow dialog = WaitForDialog("Cube map");
      if (!dialog) return;
      for (const Case& c : cases) {
        RobotCommand(dialog, kCursorCommand + int32_t(c.shape));
        overEdit.push_back(RobotCursorAfterSetCursor(dialog, 3, true));
        overCaption.push_back(RobotCursorAfterSetCursor(dialog, 3, false));
      }
      PostClick(dialog, 2);
    });
    RunModalDialog("CHOOSECUBE", CursorDialogHandler, nullptr, nullptr);
  }
  std::vector<uintptr_t> want;
  for (const Case& c : cases) want.push_back(c.overEdit);
  EXPECT_EQ(overEdit, want);
  // Outside a client area the system's arrow, whatever the dialog's shape.
  EXPECT_EQ(overCaption, std::vector<uintptr_t>(4, arrow));
  EXPECT_NE(want[0], 0u);
  InstallWindowSystem(nullptr);
#endif
}

}  // namespace
