// TEMPORARY: stand-ins for the image record, the filter tables and the
// polyhedron mesh, which belong to the image and net code and have not landed
// on this branch yet. They carry only what the shell and its stand-ins touch.
// Delete this file (and pending_neighbour_types.cpp) when the real records
// are merged, and include their headers from globals_record.h instead.
#pragma once

#include <cstdint>

#include "host/host_records.h"

struct GlobalsRecord;

constexpr int32_t kImageLevelCount = 20;

struct ImageTile {
  BufferId handle;
  void* pixels;
  int32_t originY;
  int32_t originX;
  int32_t width;
  int32_t height;
};

struct FilterTables {
  float lanczos[1024];
};

struct ImageRecord {
  int32_t levelWidth[kImageLevelCount];
  int32_t levelHeight[kImageLevelCount];
  int32_t lastLevel;
  int32_t pixelMode;
  uint32_t bytesPerPixel;
  int32_t tileCount;
  ImageTile* tiles;
  BufferId tilesHandle;
  const BufferProcs* allocator;
  GlobalsRecord* owner;
  FilterTables* filterTables;
  int32_t fetchEdgeMode;
  int32_t sampleEdgeMode;
  int32_t buildState;
  int32_t gridId;
  // The one pixel block of this stand-in (the real record tiles its levels).
  void* pixels;
  BufferId pixelsHandle;
};

constexpr int32_t PixelRgba8 = 3;
constexpr int32_t PixelRgba16 = 4;
constexpr int32_t PixelRgbaFloat = 9;

void InitImageRecord(ImageRecord* image, GlobalsRecord* owner, FilterTables* filterTables);
bool CreateImageRecord(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode,
                       int32_t fetchEdgeMode, uint8_t borderFlag);
bool CreateSessionImage(int32_t width, int32_t height, GlobalsRecord* globals);
void FreeImageRecord(ImageRecord* image);
void FreeWorkImages(GlobalsRecord* globals);

struct PolyMesh {
  int32_t errorCode;
  void* tables[4];
  BufferId tableSlots[4];
  uint8_t tableState[3];
  int32_t faceCount;
  int32_t chosenFace;
  int32_t skipId;
};

void ResetPolyMesh(PolyMesh* mesh);
void FreeMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs);
