// Net outputs: which net an output projection draws and how (its
// descriptor), and the one build pipeline from a net number to the render
// triangles the per-pixel mapping searches.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "nets/poly_mesh.h"

struct NetDescriptor {
  int32_t net;        // -1 when the output has no net
  uint32_t buildMode;
  int32_t fitMode;
  float angle;        // turn of the whole layout, radians
  uint32_t source;    // 0 the caller's mode, fit mode and angle; 1 the descriptor's; 2 the caller's mode and fit
                      // mode with the descriptor's angle unless the caller's mode is 3
};

// Build modes.
constexpr int32_t kBuildFlatLayout = 0;
constexpr int32_t kBuildNet = 1;
constexpr int32_t kBuildFlatGenerated = 2;
constexpr int32_t kBuildFaceExport = 3;
constexpr int32_t kBuildTetraTile = 5;
constexpr int32_t kBuildNoTabs = 6;

void NetDescriptorForOutput(int32_t output, NetDescriptor* descriptor);
bool IsNetOutput(int32_t output);
bool IsNetOfSolid(int32_t output);
bool IsSphericonOutput(int32_t output);
bool IsCurveNetOutput(int32_t output);
bool IsSphericonNet(int32_t net);

// Fits the record to the output and builds the output's net with the
// parameters its descriptor says win. An output without a net leaves the
// record as it was.
void BuildNetForOutput(int32_t output, PolyMesh* mesh, float aspect, float tabWidth, int32_t fitMode, float angle,
                       int32_t mode, const BufferProcs* bufferProcs, bool fullQuality);
// The build pipeline; returns the number of render triangles (0 and the
// record untouched for net -1).
int32_t BuildNet(PolyMesh* mesh, int32_t net, int32_t mode, int32_t fitMode, float angle,
                 const BufferProcs* bufferProcs, bool fullQuality);

// Face images: the best turn of every face and where it lies.
struct FaceExportTables {
  float values[3 * kMaxMeshFaces];  // per face: centre x, centre y, angle
  float scale;                      // 1 / the widest face
};
// Measures faces 0..faceCount-1 of the output's net; returns the largest
// height over the largest width (0 when nothing was measured).
float BuildExportNet(FaceExportTables* tables, int32_t output, int32_t faceCount, const BufferProcs* bufferProcs,
                     PolyMesh* mesh, float tabWidth, bool fullQuality);
