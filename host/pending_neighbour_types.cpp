// TEMPORARY: see pending_neighbour_types.h.
#include "host/pending_neighbour_types.h"

#include "host/globals_record.h"
#include "host/host_memory.h"
#include "render/render_services_stub.h"

void InitImageRecord(ImageRecord* image, GlobalsRecord* owner, FilterTables* filterTables) {
  image->owner = owner;
  image->filterTables = filterTables;
  image->allocator = owner && owner->filterRecord ? owner->filterRecord->bufferProcs : nullptr;
  image->tileCount = 0;
  image->tiles = nullptr;
  image->tilesHandle = 0;
  image->pixels = nullptr;
  image->pixelsHandle = 0;
}

static uint32_t BytesPerPixelOf(int32_t mode) {
  switch (mode) {
    case PixelRgba16:
      return 8;
    case PixelRgbaFloat:
      return 16;
    default:
      return 4;
  }
}

bool CreateImageRecord(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode,
                       int32_t fetchEdgeMode, uint8_t /*borderFlag*/) {
  if (!image || width < 1 || height < 1) return false;
  FreeImageRecord(image);
  uint32_t bpp = BytesPerPixelOf(pixelMode);
  image->pixels = AllocBuffer(int64_t(width) * height * bpp, &image->pixelsHandle, image->allocator);
  if (!image->pixels) return false;
  image->tileCount = 1;
  image->levelWidth[0] = width;
  image->levelHeight[0] = height;
  image->lastLevel = 0;
  image->pixelMode = pixelMode;
  image->bytesPerPixel = bpp;
  image->fetchEdgeMode = fetchEdgeMode;
  image->sampleEdgeMode = 3;
  image->buildState = 0;
  image->gridId = 0;
  return true;
}

bool CreateSessionImage(int32_t width, int32_t height, GlobalsRecord* globals) {
  return CreateImageRecord(&globals->images[0], width, height, SourcePixelMode(globals), 0, 0);
}

void FreeImageRecord(ImageRecord* image) {
  if (!image) return;
  if (image->tileCount >= 1) {
    FreeBuffer(&image->pixels, &image->pixelsHandle, image->allocator);
    image->tileCount = 0;
  }
  image->gridId = 0;
}

void FreeWorkImages(GlobalsRecord* globals) {
  for (int i = 3; i <= 8; ++i) FreeImageRecord(&globals->images[i]);
}

void ResetPolyMesh(PolyMesh* mesh) {
  for (int i = 0; i < 4; ++i) {
    mesh->tables[i] = nullptr;
    mesh->tableSlots[i] = 0;
  }
  for (int i = 0; i < 3; ++i) mesh->tableState[i] = 0;
  mesh->faceCount = 0;
  mesh->chosenFace = -1;
  mesh->skipId = -1;
}

void FreeMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs) {
  if (!mesh || !mesh->tableState[0]) return;
  for (int i = 0; i < 4; ++i) FreeBuffer(&mesh->tables[i], &mesh->tableSlots[i], bufferProcs);
  for (int i = 0; i < 3; ++i) mesh->tableState[i] = 0;
}
