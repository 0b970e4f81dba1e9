// The settings in the test host's descriptor store: written under their keys,
// read back, and the faults of recorded values that the reader must survive.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "host/host_suites.h"
#include "host/scripting_terms.h"
#include "settings/enum_codes.h"
#include "settings/scripting_descriptor.h"
#include "settings_fixture.h"

namespace {

FourCC C(const char* t) { return MakeFourCC(t[0], t[1], t[2], t[3]); }
std::string Text(FourCC code) {
  return std::string{char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

class Descriptor : public ::testing::Test {
 protected:
  SettingsGlobals s;

  DescriptorList Write() {
    PIDescriptorParameters* dp = &s.host.descriptorParameters;
    DescriptorToken token = dp->writeDescriptorProcs->openWriteDescriptorProc();
    EXPECT_NE(token, nullptr);
    EXPECT_EQ(WriteSettingsRecord(s.G(), nullptr, 0, token), 0);
    CloseWriteDescriptor(dp, s.host.record.handleProcs, &token);
    DescriptorList list;
    EXPECT_TRUE(GetTestHostDescriptor(&s.host, &list));
    return list;
  }
  // Hands the list to the filter and reads it into a block that starts from
  // values the defaults do not have.
  int32_t Read(const DescriptorList& list, int16_t playInfo = 0) {
    SetTestHostDescriptor(&s.host, list, playInfo);
    ParameterBlock* b = s.Block();
    b->fovInteger = -1;
    b->previewQuality = 7;
    return ReadSettingsDescriptor(s.G());
  }
  void OpenAndCloseAllTokensExpected() {
    for (const auto& token : s.host.descriptorTokens) EXPECT_FALSE(token->open);
  }
};

// Every recorded field with a value that is not its default.
void SetRecordedFields(ParameterBlock* b) {
  b->tabRed = 0x1111;
  b->tabGreen = 0xFFFF;
  b->tabBlue = 0x0000;
  b->backdropRed = 0x8080;
  b->backdropGreen = 0x0101;
  b->backdropBlue = 0xFEFE;
  b->inputProjection = 17;
  b->latitudeInteger = -45;
  b->spinInteger = 12;
  b->outputProjection = 137;
  b->flip = 1;
  b->hqprValue = 1;
  b->longitudeInteger = 170;
  b->tabsInteger = 40;
  b->fovInteger = 95;
  b->glue = 62;
  b->faces = 1;
  b->brickLayers = 33;
  b->spherePlan = 0;
  b->sphereStats = 0;
  b->cubeSide = 1024;
  b->ldraw = 1;
  b->brickDiffusion = 1;
  b->brickColorset = 7;
  b->brickPlates = 1;
  b->faceSize = 640;
  b->sharpeningInteger = 55;
  b->transparentGaps = 0;
  b->edges = 1;
  b->anamorphosis = 1;
  b->dehalo = 1;
  b->grid2 = 7;
  b->indicatrix = 1;
  b->latitude = -45.25f;
  b->longitude = 170.5f;
  b->spin = 12.125f;
  b->fov = 95.75f;
  b->tabs = 40.5f;
  b->sharpen = 55.25f;
}

TEST_F(Descriptor, EveryKeyIsWrittenInOrderWithItsTypeAndReadBack) {
  SetRecordedFields(s.Block());
  s.Block()->version = 12;
  const DescriptorList list = Write();
  EXPECT_EQ(s.Block()->version, 47);

  // The written keys: the listed keys but the grid key, in list order.
  std::vector<FourCC> expected;
  for (const DescriptorKeyId* k = DescriptorKeyList(); *k != 0; ++k) {
    if (*k != C("0015")) expected.push_back(*k);
  }
  ASSERT_EQ(expected.size(), size_t(kDescriptorKeyCount - 1));
  ASSERT_EQ(list.size(), expected.size());
  const std::set<std::string> booleans = {"0011", "0017", "0019", "0020", "0022", "0023", "0025",
                                          "0028", "0029", "0030", "0031", "0033"};
  const std::set<std::string> enums = {"Qiky", "Qoky", "GLUE", "Qgky"};
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string key = Text(list[i].key);
    EXPECT_EQ(key, Text(expected[i]));
    FourCC type = kDescTypeInteger;
    if (booleans.count(key)) type = kDescTypeBoolean;
    if (enums.count(key)) type = kDescTypeEnumerated;
    if (key >= "0034" && key <= "0039") type = kDescTypeFloat;
    EXPECT_EQ(Text(list[i].type), Text(type)) << key;
  }
  // The enumerations travel as their codes.
  DescriptorTypeId type = 0;
  DescriptorEnumId code = 0;
  ASSERT_TRUE(DescriptorEntryEnumerated(*FindDescriptorEntry(list, C("Qiky")), &type, &code));
  EXPECT_EQ(Text(type), "Qity");
  EXPECT_EQ(Text(code), "Qi18");
  ASSERT_TRUE(DescriptorEntryEnumerated(*FindDescriptorEntry(list, C("Qoky")), &type, &code));
  EXPECT_EQ(Text(code), "Qv45");

  // Read back into a fresh block.
  ParameterBlock written = *s.Block();
  SetDefaultSettings(s.Block());
  EXPECT_EQ(Read(list), 0);
  ParameterBlock* b = s.Block();
  EXPECT_EQ(b->version, 47);
  EXPECT_EQ(b->previewQuality, 2);  // recorded, but not read back
  const std::pair<const char*, std::pair<int32_t, int32_t>> ints[] = {
      {"tabRed", {b->tabRed, written.tabRed}},
      {"tabGreen", {b->tabGreen, written.tabGreen}},
      {"tabBlue", {b->tabBlue, written.tabBlue}},
      {"backdropRed", {b->backdropRed, written.backdropRed}},
      {"backdropGreen", {b->backdropGreen, written.backdropGreen}},
      {"backdropBlue", {b->backdropBlue, written.backdropBlue}},
      {"input", {b->inputProjection, written.inputProjection}},
      {"latitudeInteger", {b->latitudeInteger, written.latitudeInteger}},
      {"spinInteger", {b->spinInteger, written.spinInteger}},
      {"output", {b->outputProjection, written.outputProjection}},
      {"flip", {b->flip, written.flip}},
      {"hqpr", {b->hqprValue, written.hqprValue}},
      {"longitudeInteger", {b->longitudeInteger, written.longitudeInteger}},
      {"tabsInteger", {b->tabsInteger, written.tabsInteger}},
      {"fovInteger", {b->fovInteger, written.fovInteger}},
      {"glue", {b->glue, written.glue}},
      {"faces", {b->faces, written.faces}},
      {"brickLayers", {b->brickLayers, written.brickLayers}},
      {"spherePlan", {b->spherePlan, written.spherePlan}},
      {"sphereStats", {b->sphereStats, written.sphereStats}},
      {"cubeSide", {b->cubeSide, written.cubeSide}},
      {"ldraw", {b->ldraw, written.ldraw}},
      {"brickDiffusion", {b->brickDiffusion, written.brickDiffusion}},
      {"brickColorset", {b->brickColorset, written.brickColorset}},
      {"brickPlates", {b->brickPlates, written.brickPlates}},
      {"faceSize", {b->faceSize, written.faceSize}},
      {"sharpeningInteger", {b->sharpeningInteger, written.sharpeningInteger}},
      {"transparentGaps", {b->transparentGaps, written.transparentGaps}},
      {"edges", {b->edges, written.edges}},
      {"anamorphosis", {b->anamorphosis, written.anamorphosis}},
      {"dehalo", {b->dehalo, written.dehalo}},
      {"grid2", {b->grid2, written.grid2}},
      {"indicatrix", {b->indicatrix, written.indicatrix}},
  };
  for (const auto& [name, values] : ints) EXPECT_EQ(values.first, values.second) << name;
  const std::pair<const char*, std::pair<float, float>> floats[] = {
      {"latitude", {b->latitude, written.latitude}}, {"longitude", {b->longitude, written.longitude}},
      {"spin", {b->spin, written.spin}},             {"fov", {b->fov, written.fov}},
      {"tabs", {b->tabs, written.tabs}},             {"sharpen", {b->sharpen, written.sharpen}},
  };
  for (const auto& [name, values] : floats) EXPECT_EQ(values.first, values.second) << name;
  OpenAndCloseAllTokensExpected();
}

// Colours are recorded as their high byte; reading spreads the byte over the
// whole 16-bit range, so white stays white and the default colours return.
TEST_F(Descriptor, ColoursRecordedAsTheirHighByteReadBackWithoutDarkening) {
  struct Case {
    uint16_t written;
    int32_t recorded;
    uint16_t read;
  };
  const Case cases[] = {{0xFFFF, 255, 0xFFFF}, {0xD7D7, 215, 0xD7D7}, {0xD700, 215, 0xD7D7},
                        {0x0000, 0, 0x0000},   {0x00FF, 0, 0x0000},   {0x8000, 128, 0x8080}};
  for (const Case& c : cases) {
    s.Block()->backdropGreen = c.written;
    const DescriptorList list = Write();
    int32_t recorded = -1;
    ASSERT_TRUE(DescriptorEntryInteger(*FindDescriptorEntry(list, C("0005")), &recorded));
    EXPECT_EQ(recorded, c.recorded) << c.written;
    Read(list);
    EXPECT_EQ(s.Block()->backdropGreen, c.read) << c.written;
  }
  // Values a script put outside the byte are held to it.
  Read({DescriptorInteger(C("0001"), 300), DescriptorInteger(C("0002"), -4)});
  EXPECT_EQ(s.Block()->tabRed, 0xFFFF);
  EXPECT_EQ(s.Block()->tabGreen, 0);
  EXPECT_EQ(s.Block()->tabBlue, 56540);  // missing: its default
}

TEST_F(Descriptor, AnUnknownOutputIsRecordedAsNoCodeAndReadsAsZero) {
  for (int32_t output : {0, 263, 60000, -5}) {
    s.Block()->outputProjection = output;
    const DescriptorList list = Write();
    DescriptorTypeId type = 0;
    DescriptorEnumId code = 0;
    ASSERT_TRUE(DescriptorEntryEnumerated(*FindDescriptorEntry(list, C("Qoky")), &type, &code));
    EXPECT_EQ(Text(code), "<NO>") << output;
    s.Block()->outputProjection = 5;
    Read(list);
    EXPECT_EQ(s.Block()->outputProjection, 0) << output;
  }
}

TEST_F(Descriptor, RecordedValuesThatNeedConversionOrAreIgnored) {
  // An older recording: no float keys, so the angles follow the integers.
  Read({DescriptorInteger(C("Vers"), 46), DescriptorInteger(C("0008"), 33), DescriptorInteger(C("0014"), 77),
        DescriptorEnumerated(C("Qoky"), kOutputEnumType, C("Qo55")),
        DescriptorEnumerated(C("GLUE"), kGlueEnumType, C("GL99")), DescriptorInteger(C("0032"), 3),
        DescriptorInteger(C("zzzz"), 5)});
  ParameterBlock* b = s.Block();
  EXPECT_EQ(b->version, 46);
  EXPECT_EQ(b->latitude, 33.0f);
  EXPECT_EQ(b->fov, 77.0f);
  EXPECT_EQ(b->outputProjection, 60000);
  EXPECT_EQ(b->glue, 0);
  EXPECT_EQ(b->previewQuality, 2);
  EXPECT_EQ(b->tabs, 33.0f);  // its default integer, upgraded

  // Floats that are not numbers, or beyond a single, do not reach the angles.
  const double inf = std::numeric_limits<double>::infinity();
  Read({DescriptorInteger(C("Vers"), 47), DescriptorFloat(C("0034"), std::nan("")), DescriptorFloat(C("0035"), inf),
        DescriptorFloat(C("0036"), 1e300), DescriptorFloat(C("0037"), -1e300)});
  b = s.Block();
  EXPECT_EQ(b->latitude, 0.0f);
  EXPECT_EQ(b->longitude, 0.0f);
  EXPECT_EQ(b->spin, std::numeric_limits<float>::max());
  EXPECT_EQ(b->fov, -std::numeric_limits<float>::max());

  // A boolean key recorded as an integer, and the quality key as a boolean.
  Read({DescriptorInteger(C("0011"), 1), DescriptorBoolean(C("hqpr"), true), DescriptorBoolean(C("0017"), true)});
  EXPECT_EQ(s.Block()->flip, 1);
  EXPECT_EQ(s.Block()->hqprValue, 1);
  EXPECT_EQ(s.Block()->faces, 1);
}

TEST_F(Descriptor, ThePlayInformationDecidesTheDialog) {
  EXPECT_EQ(Read({DescriptorInteger(C("Vers"), 47)}, 1), 1);
  EXPECT_EQ(s.Block()->showDialog, 1u);
  EXPECT_EQ(Read({DescriptorInteger(C("Vers"), 47)}, 0), 0);
  EXPECT_EQ(s.Block()->showDialog, 0u);
}

TEST_F(Descriptor, TheProbeClosesItsTokenAndLeavesTheDescriptor) {
  EXPECT_FALSE(OpenSettingsDescriptor(s.G()));  // nothing recorded yet
  SetTestHostDescriptor(&s.host, {DescriptorInteger(C("0014"), 80)}, 0);
  HostHandleRef descriptor = s.host.descriptorParameters.descriptor;
  EXPECT_TRUE(OpenSettingsDescriptor(s.G()));
  ASSERT_EQ(s.host.descriptorTokens.size(), 1u);
  EXPECT_FALSE(s.host.descriptorTokens[0]->open);
  EXPECT_EQ(s.host.descriptorParameters.descriptor, descriptor);
  // The read that follows opens its own token, and closes it too.
  ReadSettingsDescriptor(s.G());
  EXPECT_EQ(s.Block()->fovInteger, 80);
  EXPECT_EQ(s.host.descriptorTokens.size(), 2u);
  OpenAndCloseAllTokensExpected();
}

TEST(DescriptorHosts, HostsWithoutScriptingGetNoDescriptorTraffic) {
  for (const char* sig : {"PSP8", "PSP9"}) {
    TestHostOptions options;
    options.hostSig = C(sig);
    SettingsGlobals s(options);
    SetTestHostDescriptor(&s.host, {DescriptorInteger(C("0014"), 80)}, 1);
    s.Block()->fovInteger = 3;
    EXPECT_FALSE(OpenSettingsDescriptor(s.G()));
    EXPECT_EQ(ReadSettingsDescriptor(s.G()), 0);
    EXPECT_EQ(s.Block()->fovInteger, 3);
    EXPECT_TRUE(s.host.descriptorTokens.empty());
  }
  TestHostOptions options;
  options.hasDescriptorParameters = false;
  SettingsGlobals s(options);
  s.Block()->fovInteger = 3;
  EXPECT_FALSE(OpenSettingsDescriptor(s.G()));
  EXPECT_EQ(ReadSettingsDescriptor(s.G()), 1);
  EXPECT_EQ(s.Block()->fovInteger, 3);
}

}  // namespace
