// The export passes and jobs: the cube faces' names and views, settings and
// run state as they were after every pass kind, cancels, refusals, the
// format's limits, layer names and the memory a multi-document export holds.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "export_fixture.h"
#include "ui/dialog_services.h"
#include "ui/standin/dialog_standin.h"

namespace {

using ExportPasses = ExportFixture;

struct Direction {
  double x, y, z;
};

Direction Unit(double x, double y, double z) {
  const double n = std::sqrt(x * x + y * y + z * z);
  return {x / n, y / n, z / n};
}

// An equirectangular 16-bit document whose pixels encode their direction:
// red, green and blue are (x + 1) / 2, (y + 1) / 2, (z + 1) / 2 of the unit
// vector, with x toward longitude 90 (u = 0.75), y up and z toward the
// image's centre. The encoding is smooth everywhere, the seam and poles too.
void MakeDirectionDocument(TestDocument& doc, int32_t width, int32_t height) {
  doc = MakeTestDocument(width, height, 3, 16, false);
  const double pi = 3.14159265358979323846;
  for (int32_t py = 0; py < height; ++py) {
    for (int32_t px = 0; px < width; ++px) {
      const double lon = ((px + 0.5) / width - 0.5) * 2 * pi;
      const double lat = (0.5 - (py + 0.5) / height) * pi;
      const double d[3] = {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
      for (int16_t k = 0; k < 3; ++k) SetDocumentSample(doc, px, py, k, std::round((d[k] + 1) / 2 * 32768));
    }
  }
}

Direction PixelDirection(const ImageRecord* image, int32_t x, int32_t y) {
  uint32_t v[4];
  GetPixelRgba(x, y, image, 0, &v[0], &v[1], &v[2], &v[3]);
  return Unit(v[0] / 16384.0 - 1, v[1] / 16384.0 - 1, v[2] / 16384.0 - 1);
}

double Distance(const Direction& a, const Direction& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Face k of a cube map: its file-name suffix, the view's angles, and where
// the face looks: its centre, the middle of its top edge and of its right
// edge (45 degrees off the centre, toward the neighbouring face). The faces
// together are a cube: side faces left, front, right, back in turn, up above
// the front with its top toward the back, down below it.
TEST_F(ExportPasses, CubeFacesHaveTheirSuffixesAnglesAndViews) {
  const double r = std::sqrt(0.5);
  struct Case {
    int32_t face;
    const char* suffix;
    float latitude, longitude, spin;
    Direction centre, top, right;
  };
  const Case cases[] = {
      {1, "_d", -90, -90, -90, {0, -1, 0}, {0, -r, r}, {r, -r, 0}},
      {2, "_u", 90, 90, -90, {0, 1, 0}, {0, r, -r}, {r, r, 0}},
      {3, "_l", 0, -90, 0, {-1, 0, 0}, {-r, r, 0}, {-r, 0, r}},
      {4, "_b", 0, 180, 0, {0, 0, -1}, {0, r, -r}, {-r, 0, -r}},
      {5, "_r", 0, 90, 0, {1, 0, 0}, {r, r, 0}, {r, 0, -r}},
      {6, "_f", 0, 0, 0, {0, 0, 1}, {0, r, r}, {r, 0, r}},
  };
  MakeDirectionDocument(doc, 256, 128);
  StartOnDocument();
  const int32_t side = 64;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.suffix);
    const CubeFaceView& view = CubeFaceViewOf(c.face);
    EXPECT_STREQ(view.suffix, c.suffix);
    EXPECT_EQ(view.latitude, c.latitude);
    EXPECT_EQ(view.longitude, c.longitude);
    EXPECT_EQ(view.spin, c.spin);
    ExportPlan plan{};
    plan.kind = ExportCubeFaces;
    EXPECT_STREQ(PsdLayerName(c.face, &plan), c.suffix);

    const ImageRecord* face = RenderExpected(ExportCubeFaces, side, side, 2, c.face);
    const double tolerance = 0.03;
    EXPECT_LT(Distance(PixelDirection(face, side / 2, side / 2), c.centre), tolerance);
    EXPECT_LT(Distance(PixelDirection(face, side / 2, 0), c.top), tolerance);
    EXPECT_LT(Distance(PixelDirection(face, side - 1, side / 2), c.right), tolerance);
  }
  // Face numbers outside 1..6 are clamped.
  EXPECT_STREQ(CubeFaceViewOf(0).suffix, "_d");
  EXPECT_STREQ(CubeFaceViewOf(7).suffix, "_f");
  FinishRun();
}

// The whole settings block, byte for byte, and the run's state before and
// after: nothing a pass sets or its render changes may stay.
struct RunSnapshot {
  std::vector<uint8_t> settings;
  Rect inRect, outRect, maskRect, filterRect;
  int32_t currentRow, workWidth, workHeight, rowTotal;
  uint8_t bandActive;
  ImageRecord* target;
  HostError result;
};

RunSnapshot TakeSnapshot(const ParameterBlock* block, const GlobalsRecord* g, const FilterRecord& fr) {
  RunSnapshot s;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(block);
  s.settings.assign(bytes, bytes + sizeof(ParameterBlock));
  s.inRect = fr.inRect;
  s.outRect = fr.outRect;
  s.maskRect = fr.maskRect;
  s.filterRect = fr.filterRect;
  s.currentRow = g->currentRow;
  s.workWidth = g->workWidth;
  s.workHeight = g->workHeight;
  s.rowTotal = g->rowTotal;
  s.bandActive = g->bandActive;
  s.target = g->workRecord->offscreenTarget;
  s.result = *g->resultPtr;
  return s;
}

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

void ExpectSameSnapshot(const RunSnapshot& a, const RunSnapshot& b, const std::string& label) {
  size_t firstDifference = a.settings.size();
  for (size_t k = 0; k < a.settings.size(); ++k) {
    if (a.settings[k] != b.settings[k]) {
      firstDifference = k;
      break;
    }
  }
  EXPECT_EQ(firstDifference, a.settings.size()) << label << ": settings differ from byte " << firstDifference;
  EXPECT_TRUE(SameRect(a.inRect, b.inRect) && SameRect(a.outRect, b.outRect) && SameRect(a.maskRect, b.maskRect) &&
              SameRect(a.filterRect, b.filterRect))
      << label;
  EXPECT_EQ(a.currentRow, b.currentRow) << label;
  EXPECT_EQ(a.workWidth, b.workWidth) << label;
  EXPECT_EQ(a.workHeight, b.workHeight) << label;
  EXPECT_EQ(a.rowTotal, b.rowTotal) << label;
  EXPECT_EQ(a.bandActive, b.bandActive) << label;
  EXPECT_EQ(a.target, b.target) << label;
  EXPECT_EQ(a.result, b.result) << label;
}

TEST_F(ExportPasses, EverySettingAndTheRunStateAreAsTheyWereAfterEveryPassKind) {
  struct Case {
    int32_t kind;
    int16_t jobResult;
  };
  const Case cases[] = {
      {ExportBrickPlan, kExportDone},            {ExportCubeFaces, kExportDone},
      {ExportPolyFaces, kExportKindUnavailable}, {ExportPlain, kExportDone},
      {ExportFaceTextures, kExportDone},         {ExportPresetThumbnail, kExportKindUnavailable},
      {ExportSizedPsd, kExportDone},             {ExportFaceMap, kExportKindUnavailable},
  };
  // Output 60 (the shift lens) rewrites the latitude while its context is
  // prepared; glue, angles, view and the custom net are all off their
  // defaults. The map of faces draws output 355 with each as its net.
  for (const int32_t output : {60, 14}) {
    for (const Case& c : cases) {
      const std::string label = "output " + std::to_string(output) + ", kind " + std::to_string(c.kind);
      ShutdownTestHost(&host);
      StartOn(24, 12);
      ParameterBlock* block = Block();
      block->outputProjection = output;
      block->glue = 7;
      block->latitude = 12.5f;
      block->longitude = -33.0f;
      block->spin = 4.0f;
      block->fov = 75.0f;
      block->customNetOutput = 123;
      block->previewPanX = 5;
      block->previewPanY = -3;
      block->exportKind = c.kind;
      block->psdWidth = 19;
      block->psdHeight = 11;
      block->cubeSide = 9;
      block->faceSize = 13;
      GlobalsRecord* g = Direct();
      const RunSnapshot before = TakeSnapshot(Block(), g, host.record);

      // The pass alone, into an image of its own.
      ImageRecord* image = NewImage(15, 10, 1);
      uint8_t cancel = 0;
      ExportPlan plan{};
      plan.kind = uint32_t(c.kind);
      const int16_t pass = RenderExportLayer(g, image, 2, &cancel, &plan);
      // The passes of the net kinds render (the backdrop, without the nets);
      // their jobs are refused.
      EXPECT_EQ(pass, kExportDone) << label;
      ExpectSameSnapshot(before, TakeSnapshot(Block(), g, host.record), label + " pass");
      EXPECT_EQ(g->workRecord->outputMesh.selectedFace, -1) << label;

      // The whole job.
      const FileSpec spec = Spec("settings.psd");
      cancel = 0;
      EXPECT_EQ(RunPsdExportJob(g, &spec, &cancel), c.jobResult) << label;
      ExpectSameSnapshot(before, TakeSnapshot(Block(), g, host.record), label + " job");
      EXPECT_EQ(cancel, 0) << label;
      FinishRun(label);
      std::filesystem::remove_all(folder);
      std::filesystem::create_directories(folder);
    }
  }
}

// With the dialog's job a cancel stops the rendering but every document is
// still completed and readable; the rows after the cancel hold what the
// image held (the cube faces' test pattern). The orbalix program's job
// writes nothing then, and leaves a file at the target as it was.
TEST_F(ExportPasses, ACancelledExportLeavesCompleteDocumentsOrNothing) {
  for (const bool discard : {false, true}) {
    SCOPED_TRACE(discard ? "discarding" : "dialog");
    ShutdownTestHost(&host);
    StartOn(32, 16);
    Block()->cubeSide = 40;
    {
      std::ofstream old(PathOf("cube_l.psd"), std::ios::binary);
      old << "an older file";
    }
    // A progress dialog is open.
    ResetStandIn();
    StandInDialog* progress = OpenStandInDialog("VASTO_PROGRESS", nullptr, nullptr);
    GetDialogModuleState().progressWindow = &progress->port;
    // The host says yes from its third abort test on (it is asked on every
    // 32nd test): that falls in the second face.
    host.abortCalls = 0;
    host.abortAtCall = 3;
    uint8_t cancel = 0;
    const int16_t result = Export(ExportCubeFaces, "cube.psd", &cancel, discard);
    GetDialogModuleState().progressWindow = nullptr;
    EXPECT_EQ(cancel, 1);
    // The dialog showed the rows rendered, then that the export is cancelling.
    const StandInItem* text = FindStandInItem(progress, 2);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "Cancelling...");
    EXPECT_GT(text->textWrites, 2);
    CloseStandInDialog(progress);
    if (discard) {
      EXPECT_EQ(result, kExportCancelled);
      EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"cube_l.psd"});
      std::ifstream old(PathOf("cube_l.psd"));
      std::string text;
      std::getline(old, text);
      EXPECT_EQ(text, "an older file");
    } else {
      EXPECT_EQ(result, kExportDone);
      const std::vector<std::string> all = {"cube_b.psd", "cube_d.psd", "cube_f.psd",
                                            "cube_l.psd", "cube_r.psd", "cube_u.psd"};
      EXPECT_EQ(FilesInFolder(), all);
      for (const std::string& name : all) {
        const WalkedPsd psd = WalkPsd(ReadFileBytes(PathOf(name)));
        EXPECT_TRUE(psd.errors.empty()) << name << ": " << (psd.errors.empty() ? "" : psd.errors.front());
        EXPECT_EQ(psd.imageData.size(), 3 * psd.PlaneBytes()) << name;
      }
      // The last face was never rendered: it shows the pattern it was filled with.
      const WalkedPsd front = WalkPsd(ReadFileBytes(PathOf("cube_f.psd")));
      for (const int32_t x : {0, 5, 39}) {
        EXPECT_EQ(front.MergedSample(0, x, 7), uint32_t((x ^ 7) & 255)) << x;
      }
    }
    FinishRun();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
}

// Documents the format cannot hold are refused before anything is rendered
// or written; every length is worked out in 64 bits.
TEST_F(ExportPasses, DocumentsBeyondTheFormatsLimitsAreRefusedFirst) {
  struct Case {
    const char* what;
    int32_t kind, layers, width, height;
    uint32_t bytesPerChannel;
    int16_t result;
  };
  const Case cases[] = {
      {"empty", ExportSizedPsd, 1, 0, 10, 1, kExportBadSize},
      {"one pixel", ExportSizedPsd, 1, 1, 1, 1, kExportDone},
      {"widest side", ExportSizedPsd, 1, 30000, 5, 4, kExportDone},
      {"side past the format's", ExportSizedPsd, 1, 30001, 5, 1, kExportTooLarge},
      {"8-bit 30000 square: 3.6 GB of layer data", ExportSizedPsd, 1, 30000, 30000, 1, kExportDone},
      {"16-bit 30000 square: 7.2 GB", ExportSizedPsd, 1, 30000, 30000, 2, kExportTooLarge},
      {"float 16384 square: 4 GB and 8 bytes", ExportSizedPsd, 1, 16384, 16384, 4, kExportTooLarge},
      {"float 16384 x 16383", ExportSizedPsd, 1, 16384, 16383, 4, kExportDone},
      {"cube faces of 30000: one plane each, no layer data", ExportCubeFaces, 6, 30000, 30000, 4, kExportDone},
      {"the largest brick plan: 150 layers of 1621, 16-bit", ExportBrickPlan, 150, 1621, 1621, 2, kExportDone},
      {"the same as floats: 6.3 GB", ExportBrickPlan, 150, 1621, 1621, 4, kExportTooLarge},
  };
  for (const Case& c : cases) {
    ExportPlan plan{};
    plan.kind = uint32_t(c.kind);
    plan.layerCount = c.layers;
    plan.width = c.width;
    plan.height = c.height;
    plan.bytesPerChannel = c.bytesPerChannel;
    plan.channelCount = 4;
    plan.firstLayer = 1;
    plan.separateFiles = c.kind == ExportCubeFaces ? 1 : 0;
    plan.currentLayer = c.kind == ExportCubeFaces ? 1 : -1;
    PsdLayout layout{};
    EXPECT_EQ(MeasurePsdDocument(&plan, 0, 0, 0, &layout), c.result) << c.what;
    if (c.result == kExportDone && !plan.separateFiles) {
      const uint64_t channel = uint64_t(c.width) * uint64_t(c.height) * c.bytesPerChannel + 2;
      EXPECT_EQ(layout.channelLength, channel) << c.what;
      EXPECT_EQ(layout.layerInfo, 2 + layout.layerRecords + uint64_t(c.layers) * 4 * channel) << c.what;
    }
  }

  // Through the job: nothing is allocated for the image and no file is made.
  StartOn(16, 8);
  struct JobCase {
    int32_t width, height;
    int16_t result;
  };
  for (const JobCase& c : {JobCase{30001, 10, kExportTooLarge}, JobCase{0, 10, kExportBadSize}}) {
    const int64_t peakBefore = host.peakBufferBytes;
    Block()->psdWidth = c.width;
    Block()->psdHeight = c.height;
    Block()->exportKind = ExportSizedPsd;
    const FileSpec spec = Spec("big.psd");
    uint8_t cancel = 0;
    EXPECT_EQ(RunPsdExportJob(Direct(), &spec, &cancel), c.result);
    EXPECT_EQ(host.peakBufferBytes, peakBefore);
    EXPECT_TRUE(FilesInFolder().empty());
  }
  FinishRun();
}

// Layer names (the file-name suffixes of documents of their own) and
// opacities; a name takes its length byte and characters padded to four.
TEST_F(ExportPasses, LayerNamesOpacitiesAndTheirPadding) {
  struct Case {
    int32_t kind, layers, k;
    const char* name;
    uint8_t opacity;
  };
  const Case cases[] = {
      {ExportBrickPlan, 3, 1, "1 bottom", 255}, {ExportBrickPlan, 3, 2, "2", 230},
      {ExportBrickPlan, 3, 3, "3 top", 230},    {ExportBrickPlan, 1, 1, "1 top", 255},
      {ExportBrickPlan, 150, 120, "120", 230},  {ExportCubeFaces, 6, 4, "_b", 255},
      {ExportCubeFaces, 6, 7, "Layer 1", 255},  {ExportPolyFaces, 1510, 1, "face 1", 255},
      {ExportPolyFaces, 1510, 1234, "face 1234", 255}, {ExportFaceTextures, 1, 1, "face 1", 255},
      {ExportPlain, 1, 1, "Layer 1", 255},      {ExportSizedPsd, 1, 1, "Layer 1", 255},
  };
  for (const Case& c : cases) {
    ExportPlan plan{};
    plan.kind = uint32_t(c.kind);
    plan.layerCount = c.layers;
    EXPECT_STREQ(PsdLayerName(c.k, &plan), c.name) << c.kind << " " << c.k;
    EXPECT_EQ(PsdLayerOpacity(c.k, &plan), c.opacity) << c.kind << " " << c.k;
  }
  // Records are 106 bytes and the padded name: three brick layers named
  // "1 bottom" (12), "2" (4) and "3 top" (8); of a thousand, "10" and "100"
  // take 4 bytes and "1000 top" 12.
  struct Padding {
    int32_t layers;
    uint64_t records;
  };
  for (const Padding& p : {Padding{3, 3 * 106 + 12 + 4 + 8}, Padding{1, 106 + 8},
                           Padding{1000, 1000 * 106 + 12 + 8 * 4 + 90 * 4 + 900 * 4 + 12}}) {
    ExportPlan plan{};
    plan.kind = ExportBrickPlan;
    plan.layerCount = p.layers;
    plan.width = plan.height = 2;
    plan.bytesPerChannel = 1;
    plan.channelCount = 4;
    PsdLayout layout{};
    EXPECT_EQ(MeasurePsdDocument(&plan, 0, 0, 0, &layout), kExportDone);
    EXPECT_EQ(layout.layerRecords, p.records) << p.layers;
  }
}

// The plan of each kind: depth from the host's mode and depth, size from the
// filter rectangle or the export dialogs' sizes.
TEST_F(ExportPasses, ThePlanOfEachKind) {
  struct Depth {
    int16_t imageMode;
    int32_t depth;
    uint32_t bytes;
  };
  const Depth depths[] = {{kImageModeGrayScale, 8, 1}, {kImageModeRGBColor, 8, 1}, {kImageModeGray16, 16, 2},
                          {kImageModeRGB48, 16, 2},    {kImageModeRGB96, 32, 4},   {kImageModeGray32, 32, 4},
                          {kImageModeRGBColor, 32, 4}, {kImageModeRGB48, 0, 1},    {kImageModeLabColor, 8, 1}};
  for (const Depth& d : depths) {
    EXPECT_EQ(ExportBytesPerChannel(d.imageMode, d.depth), d.bytes) << d.imageMode << " " << d.depth;
  }

  NewDocument(40, 30, 3, 16);
  SetDocumentFilterRect(doc, 5, 4, 25, 14);  // 20 x 10
  StartOnDocument();
  ParameterBlock* block = Block();
  block->psdWidth = 700;
  block->psdHeight = 300;
  block->faceSize = 64;
  block->cubeSide = 48;
  block->brickLayers = 2;  // the grid has 3 at least
  block->brickPlates = 0;
  struct Case {
    int32_t kind, layers, width, height;
    uint8_t separate;
  };
  const Case cases[] = {
      {ExportBrickPlan, 3, 28, 28, 0},  // 3 bricks across: 9 pixels a cell and one
      {ExportCubeFaces, 6, 48, 48, 1}, {ExportPlain, 1, 20, 10, 0},     {ExportFaceTextures, 1, 64, 64, 0},
      {ExportSizedPsd, 1, 700, 300, 0}, {ExportFaceMap, 1, 128, 64, 0}, {ExportPresetThumbnail, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    block->exportKind = c.kind;
    ExportPlan plan;
    PlanExport(Direct(), &plan);
    EXPECT_EQ(plan.kind, uint32_t(c.kind));
    EXPECT_EQ(plan.layerCount, c.layers) << c.kind;
    EXPECT_EQ(plan.width, c.width) << c.kind;
    EXPECT_EQ(plan.height, c.height) << c.kind;
    EXPECT_EQ(plan.separateFiles, c.separate) << c.kind;
    EXPECT_EQ(plan.bytesPerChannel, 2u) << c.kind;
    EXPECT_EQ(plan.channelCount, 4u);
    EXPECT_EQ(plan.firstLayer, 1u);
    EXPECT_EQ(plan.currentLayer, -1);
  }
  FinishRun();
}

// The kinds whose passes need the polyhedral nets are
// refused whole: no file, no layer counted.
TEST_F(ExportPasses, KindsThatNeedTheNetsAreRefusedCleanly) {
  StartOn(16, 8);
  for (const int32_t kind : {ExportPolyFaces, ExportFaceMap}) {
    EXPECT_FALSE(ExportKindAvailable(kind)) << kind;
    EXPECT_EQ(Export(kind, "nets.psd"), kExportKindUnavailable) << kind;
    EXPECT_TRUE(FilesInFolder().empty()) << kind;
    EXPECT_EQ(Direct()->exportLayersDone, 0) << kind;
  }
  EXPECT_STRNE(ExportResultText(kExportKindUnavailable), "");
  FinishRun();
}

// A brick plan is one layered document: a layer per brick layer, named from
// the bottom to the top, the upper ones a little transparent, each drawn from
// the grid the plan builds on its first layer and frees after its last (also
// when the export is cancelled or fails on the way).
TEST_F(ExportPasses, ABrickPlanHasALayerPerBrickLayer) {
  struct Case {
    const char* what;
    int32_t depth;
    int32_t abortAtCall;  // 0: never
    bool discard;
    int16_t result;
  };
  const Case cases[] = {
      {"8-bit", 8, 0, false, kExportDone},
      {"16-bit", 16, 0, false, kExportDone},
      {"cancelled, kept", 8, 1, false, kExportDone},
      {"cancelled, discarded", 8, 1, true, kExportCancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShutdownTestHost(&host);
    StartOn(64, 32, 3, c.depth);
    Block()->brickLayers = 4;
    Block()->brickPlates = 0;
    host.abortCalls = 0;
    host.abortAtCall = c.abortAtCall;
    // The host is asked on every 32nd abort test: make the first layer's the 32nd.
    if (c.abortAtCall > 0) Direct()->workRecord->abortTick = 31;
    uint8_t cancel = 0;
    EXPECT_EQ(Export(ExportBrickPlan, "plan.psd", &cancel, c.discard), c.result);
    host.abortAtCall = 0;
    EXPECT_EQ(cancel, c.abortAtCall > 0 ? 1 : 0);
    if (c.discard) {
      EXPECT_TRUE(FilesInFolder().empty());
    } else {
      const WalkedPsd psd = WalkPsd(ReadFileBytes(PathOf("plan.psd")));
      ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
      // Four layers: trunc(4 x 1.2) = 4 bricks across, 9 pixels a cell and one.
      EXPECT_EQ(psd.width, 37u);
      EXPECT_EQ(psd.height, 37u);
      ASSERT_EQ(psd.layers.size(), 4u);
      const std::vector<std::string> names = {"1 bottom", "2", "3", "4 top"};
      const std::vector<uint8_t> opacities = {255, 230, 230, 230};
      for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(psd.layers[k].name, names[k]);
        EXPECT_EQ(psd.layers[k].opacity, opacities[k]);
      }
      if (c.abortAtCall == 0) {
        // The layers were drawn, and the bottom one differs from the next
        // (the sphere's slices).
        int64_t drawn = 0, differing = 0;
        for (int32_t y = 0; y < 37; ++y) {
          for (int32_t x = 0; x < 37; ++x) {
            drawn += psd.LayerSample(0, 0, x, y) != 0;  // alpha of the bottom layer
            for (size_t ch = 1; ch < 4; ++ch) differing += psd.LayerSample(0, ch, x, y) != psd.LayerSample(1, ch, x, y);
          }
        }
        EXPECT_GT(drawn, 37 * 37 / 2);
        EXPECT_GT(differing, 0);
      }
    }
    EXPECT_EQ(Direct()->exportLayerTotal, 4);
    FinishRun(c.what);  // the grid's buffer was given back
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
}

// A cube map renders six faces one after the other into one image: the
// host's buffers never hold much more than one face at a time, and the
// progress counters reach six.
TEST_F(ExportPasses, ACubeMapHoldsOneFaceAtATimeAndCountsSixLayers) {
  StartOn(32, 16);
  const int32_t side = 300;
  Block()->cubeSide = side;
  const int64_t before = host.liveBufferBytes;
  host.peakBufferBytes = before;
  ASSERT_EQ(Export(ExportCubeFaces, "cube.psd"), kExportDone);
  const int64_t face = int64_t(side) * side * 4;
  // One face with its pyramid levels, the 256 KB staging buffer, the
  // column records of one row and small change.
  EXPECT_LT(host.peakBufferBytes - before, face * 4 / 3 + 256 * 1024 + 512 * 1024);
  EXPECT_GE(host.peakBufferBytes - before, face);
  EXPECT_EQ(host.liveBufferBytes, before);
  EXPECT_EQ(Direct()->exportLayerTotal, 6);
  EXPECT_EQ(Direct()->exportLayersDone, 6);
  FinishRun();
}

}  // namespace
