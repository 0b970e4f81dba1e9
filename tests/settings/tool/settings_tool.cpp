// Test tool: prints what the settings reader makes of a file, and writes the
// default settings file, for the cross-checks with the reference reader.
//   settings_tool dump FILE
//   settings_tool write-default OUT [thumbnail]
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"

namespace {

enum Kind { I32, U16, F32 };
struct Named {
  const char* name;
  size_t offset;
  Kind kind;
};

#define F(name, member, kind) {name, offsetof(ParameterBlock, member), kind}
const Named kNames[] = {
    F("version", version, I32), F("tabRed", tabRed, U16), F("tabGreen", tabGreen, U16),
    F("tabBlue", tabBlue, U16), F("backdropRed", backdropRed, U16), F("backdropGreen", backdropGreen, U16),
    F("backdropBlue", backdropBlue, U16), F("extraColour1.r", legacyColours[0], U16),
    F("extraColour1.g", legacyColours[1], U16), F("extraColour1.b", legacyColours[2], U16),
    F("extraColour2.r", legacyColours[3], U16), F("extraColour2.g", legacyColours[4], U16),
    F("extraColour2.b", legacyColours[5], U16), F("extraColour3.r", legacyColours[6], U16),
    F("extraColour3.g", legacyColours[7], U16), F("extraColour3.b", legacyColours[8], U16),
    F("extraColour4.r", legacyColours[9], U16), F("extraColour4.g", legacyColours[10], U16),
    F("extraColour4.b", legacyColours[11], U16), F("extraColour5.r", legacyColours[12], U16),
    F("extraColour5.g", legacyColours[13], U16), F("extraColour5.b", legacyColours[14], U16),
    F("extraColour6.r", legacyColours[15], U16), F("extraColour6.g", legacyColours[16], U16),
    F("extraColour6.b", legacyColours[17], U16), F("inputProjection", inputProjection, I32),
    F("keptField12", legacyIntsA[0], I32), F("keptField13", legacyIntsA[1], I32),
    F("keptField14", legacyIntsA[2], I32), F("latitudeInt", latitudeInteger, I32),
    F("spinInt", spinInteger, I32), F("keptField17", legacyIntsB[0], I32), F("keptField18", legacyIntsB[1], I32),
    F("keptField19", legacyIntsB[2], I32), F("keptField20", legacyIntsB[3], I32),
    F("outputProjection", outputProjection, I32), F("flip", flip, I32), F("hqpr", hqprValue, I32),
    F("keptField24", legacyIntC, I32), F("longitudeInt", longitudeInteger, I32), F("tabsInt", tabsInteger, I32),
    F("keptField27", legacyIntsF[2], I32), F("keptField28", legacyIntD, I32), F("keptField29", legacyIntsE[1], I32),
    F("keptField30", legacyIntsE[2], I32), F("fovInt", fovInteger, I32), F("keptField41", legacyIntsE[0], I32),
    F("grid", grid, I32), F("glue", glue, I32), F("keptField45", legacyIntsE[3], I32),
    F("keptField46", legacyIntsE[4], I32), F("faces", faces, I32), F("keptField48", legacyIntsF[0], I32),
    F("keptField49", legacyIntsF[1], I32), F("legacyFloat0", legacyValues[0], F32),
    F("legacyFloat1", legacyValues[1], F32), F("legacyFloat2", legacyValues[2], F32),
    F("legacyFloat3", legacyValues[3], F32), F("legacyFloat4", legacyValues[4], F32),
    F("legacyFloat5", legacyValues[5], F32), F("keptField56", legacySettingA, I32),
    F("keptField57", legacyIntsE[5], I32), F("keptField59", legacyIntG, I32), F("brickLayers", brickLayers, I32),
    F("keptField73", legacySettingB, I32), F("spherePlan", spherePlan, I32), F("sphereStats", sphereStats, I32),
    F("cubeSide", cubeSide, I32), F("ldraw", ldraw, I32), F("brickDiffusion", brickDiffusion, I32),
    F("brickColorset", brickColorset, I32), F("brickPlates", brickPlates, I32), F("faceSize", faceSize, I32),
    F("sharpeningInt", sharpeningInteger, I32), F("transparentGaps", transparentGaps, I32), F("edges", edges, I32),
    F("anamorphosis", anamorphosis, I32), F("dehalo", dehalo, I32), F("grid2", grid2, I32),
    F("previewQuality", previewQuality, I32), F("indicatrix", indicatrix, I32), F("latitude", latitude, F32),
    F("longitude", longitude, F32), F("spin", spin, F32), F("fov", fov, F32), F("tabs", tabs, F32),
    F("sharpen", sharpen, F32),
};
#undef F

int Dump(const char* path) {
  std::unique_ptr<ParameterBlock> block(new ParameterBlock());
  std::memset(block.get(), 0, sizeof *block);
  SetDefaultSettings(block.get());
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  InitSettingsThumbnail(thumbnail.get());
  uint8_t hasPicture = 0;
  int16_t status = ReadSettingsFile(block.get(), thumbnail.get(), path, kReadAllFields, &hasPicture);
  std::printf("status %d\nhasPicture %d\n", status, hasPicture);
  if (status != 0) return 0;
  const char* base = reinterpret_cast<const char*>(block.get());
  for (const Named& n : kNames) {
    switch (n.kind) {
      case I32: {
        int32_t v;
        std::memcpy(&v, base + n.offset, 4);
        std::printf("%s %d\n", n.name, v);
        break;
      }
      case U16: {
        uint16_t v;
        std::memcpy(&v, base + n.offset, 2);
        std::printf("%s %u\n", n.name, unsigned(v));
        break;
      }
      case F32: {
        float v;
        std::memcpy(&v, base + n.offset, 4);
        std::printf("%s %.9g\n", n.name, double(v));
        break;
      }
    }
  }
  return 0;
}

int WriteDefault(const char* path, bool withThumbnail) {
  std::unique_ptr<ParameterBlock> block(new ParameterBlock());
  std::memset(block.get(), 0, sizeof *block);
  SetDefaultSettings(block.get());
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  InitSettingsThumbnail(thumbnail.get());
  // A picture of its own over the background ramp: a red disc.
  for (int y = 0; y < kThumbnailSide; ++y)
    for (int x = 0; x < kThumbnailSide; ++x)
      if ((x - 64) * (x - 64) + (y - 64) * (y - 64) < 40 * 40) {
        uint8_t* p = &thumbnail->rgba[size_t(y * kThumbnailSide + x) * 4];
        p[0] = 220;
        p[1] = 40;
        p[2] = 30;
      }
  int16_t status = SaveSettingsFile(block.get(), withThumbnail ? thumbnail.get() : nullptr, path);
  std::printf("status %d\n", status);
  return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "dump") == 0) return Dump(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "write-default") == 0) {
    return WriteDefault(argv[2], argc >= 4 && std::strcmp(argv[3], "thumbnail") == 0);
  }
  std::fprintf(stderr, "usage: settings_tool dump FILE | write-default OUT [thumbnail]\n");
  return 2;
}
