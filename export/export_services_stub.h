// What the shell knows of the exports: the kinds of an export render pass.
#pragma once

#include <cstdint>

// Values of ParameterBlock::exportKind.
constexpr int32_t ExportBrickPlanLayers = 0;
constexpr int32_t ExportCubeFaces = 1;
constexpr int32_t ExportFaceImages = 2;
constexpr int32_t ExportPlainImage = 3;  // set at every start
constexpr int32_t ExportFaceTextures = 4;
constexpr int32_t ExportSizedPsd = 6;
constexpr int32_t ExportFaceMap = 7;
