// Whole runs through the test host: the settings recorded at finish replay a
// run without the dialog, and a run with the dialog leaves its files in the
// temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/plugin_main.h"
#include "host/scripting_terms.h"
#include "settings/memory_dots.h"
#include "settings/temp_settings_files.h"
#include "settings_fixture.h"
#include "ui/control_table.h"
#include "ui/dialog_services.h"
#include "ui/standin/dialog_standin.h"

namespace {

FourCC C(const char* t) { return MakeFourCC(t[0], t[1], t[2], t[3]); }

// One session of the host: a document, the filter's data kept between runs.
struct Session {
  TestDocument doc;
  TestHost host;
  explicit Session(uint32_t pattern) {
    doc = MakeTestDocument(12, 8, 3, 8, false);
    FillDocumentPattern(doc, int32_t(pattern));
    InitTestHost(&host, &doc, TestHostOptions{});
    host.moveUnlockedHandles = true;
    ResetStandIn();
  }
  ~Session() { ShutdownTestHost(&host); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  HostError Run(bool withFinish = true) {
    TestRunOptions options;
    options.withFinish = withFinish;
    MakeTestHostCurrent(&host);
    return RunFilterSelectors(&host, PluginMain, options, nullptr);
  }
  ParameterBlock* Block() { return reinterpret_cast<ParameterBlock*>(*host.record.parameters); }
  DescriptorList Recorded() {
    DescriptorList list;
    EXPECT_TRUE(GetTestHostDescriptor(&host, &list));
    return list;
  }
  void ExpectCleanEnd() {
    EXPECT_EQ(LiveBufferCount(&host), 0);
    EXPECT_EQ(LockedHandleCount(&host), 0);
    EXPECT_EQ(host.handleMisuse, 0);
    EXPECT_EQ(host.bufferMisuse, 0);
  }
};

// Settings a user might have chosen in the dialog.
DescriptorList ChosenSettings() {
  return {DescriptorInteger(C("Vers"), 47),
          DescriptorEnumerated(C("Qiky"), kInputEnumType, C("Qi18")),
          DescriptorEnumerated(C("Qoky"), kOutputEnumType, C("Qv46")),
          DescriptorEnumerated(C("GLUE"), kGlueEnumType, C("GL12")),
          DescriptorEnumerated(C("Qgky"), kGridEnumType, C("Qgr4")),
          DescriptorInteger(C("0004"), 12),
          DescriptorInteger(C("0014"), 95),
          DescriptorBoolean(C("0029"), true),
          DescriptorFloat(C("0034"), -12.5),
          DescriptorFloat(C("0037"), 95.25)};
}

class Replay : public ::testing::Test {
 protected:
  ScopedTempFolder temp;
};

TEST_F(Replay, ARecordedRunReplaysWithoutTheDialogToTheSameImage) {
  DescriptorList recorded;
  std::vector<uint8_t> image;
  ParameterBlock first{};
  {
    Session run(5);
    SetTestHostDescriptor(&run.host, ChosenSettings(), 1);  // interactive: the dialog opens
    ASSERT_EQ(run.Run(), kNoErr);
    EXPECT_EQ(GetStandInWorld().shown, std::vector<std::string>{"RIVADARORIREVODER"});
    recorded = run.Recorded();
    image = run.doc.pixels;
    first = *run.Block();
    run.ExpectCleanEnd();
  }
  EXPECT_EQ(first.outputProjection, 35);
  EXPECT_EQ(first.backdropRed, 12 * 257);
  {
    Session replay(5);
    SetTestHostDescriptor(&replay.host, recorded, 0);
    ASSERT_EQ(replay.Run(), kNoErr);
    EXPECT_TRUE(GetStandInWorld().shown.empty());
    EXPECT_EQ(replay.doc.pixels, image);
    const ParameterBlock* b = replay.Block();
    EXPECT_EQ(b->inputProjection, first.inputProjection);
    EXPECT_EQ(b->outputProjection, first.outputProjection);
    EXPECT_EQ(b->glue, first.glue);
    EXPECT_EQ(b->grid2, first.grid2);
    EXPECT_EQ(b->backdropRed, first.backdropRed);
    EXPECT_EQ(b->fovInteger, first.fovInteger);
    EXPECT_EQ(b->edges, first.edges);
    EXPECT_EQ(b->latitude, first.latitude);
    EXPECT_EQ(b->fov, first.fov);
    // The replay records the same settings again.
    EXPECT_EQ(SerialiseDescriptor(replay.Recorded()), SerialiseDescriptor(recorded));
    replay.ExpectCleanEnd();
  }
}

TEST_F(Replay, AnUnknownOutputReplaysAsOutputZeroWithoutHarm) {
  Session run(2);
  SetTestHostDescriptor(&run.host,
                        {DescriptorInteger(C("Vers"), 47), DescriptorEnumerated(C("Qoky"), kOutputEnumType,
                                                                                 MakeFourCC('<', 'N', 'O', '>'))},
                        0);
  const std::vector<uint8_t> before = run.doc.pixels;
  ASSERT_EQ(run.Run(), kNoErr);
  EXPECT_EQ(run.Block()->outputProjection, 0);
  const DescriptorList again = run.Recorded();
  DescriptorTypeId type = 0;
  DescriptorEnumId code = 0;
  ASSERT_NE(FindDescriptorEntry(again, C("Qoky")), nullptr);
  ASSERT_TRUE(DescriptorEntryEnumerated(*FindDescriptorEntry(again, C("Qoky")), &type, &code));
  EXPECT_EQ(code, MakeFourCC('<', 'N', 'O', '>'));
  EXPECT_EQ(run.doc.pixels.size(), before.size());
  run.ExpectCleanEnd();
}

TEST_F(Replay, ADialogRunKeepsItsFilesInTheTemporaryFolder) {
  {
    Session run(1);
    SetTestHostDescriptor(&run.host, ChosenSettings(), 1);
    ASSERT_EQ(run.Run(), kNoErr);
  }
  EXPECT_TRUE(temp.Exists(kCachedSettingsName));
  EXPECT_TRUE(temp.Exists("Orbalix 2 undo 1"));  // the snapshot before the dialog
  EXPECT_TRUE(temp.Exists(kMemoryDotMapName));
  EXPECT_EQ(temp.Bytes(kMemoryDotMapName).size(), 104u);
  {
    // A run the host starts without a descriptor takes the cached settings.
    Session next(1);
    ASSERT_EQ(next.Run(false), kNoErr);
    EXPECT_EQ(next.Block()->fovInteger, 95);
    EXPECT_EQ(next.Block()->outputProjection, 35);
  }
}

TEST_F(Replay, ACancelledDialogCachesNothing) {
  Session run(1);
  SetStandInAnswer(kMainDialogTemplate, kIdCancel);
  SetTestHostDescriptor(&run.host, ChosenSettings(), 1);
  EXPECT_EQ(run.Run(), kUserCanceledErr);
  EXPECT_FALSE(temp.Exists(kCachedSettingsName));
  run.ExpectCleanEnd();
}

}  // namespace
