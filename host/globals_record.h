// The per-run globals record kept in the host's data handle, and the large
// work record that the start phase allocates behind it.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "host/parameter_block.h"
#include "image/filter_tables.h"
#include "image/image_record.h"
#include "nets/brick_grid.h"
#include "nets/nets_services_stub.h"
#include "settings/settings_services_stub.h"

struct BandRecord;
struct WorkRecord;

constexpr int32_t kSessionImageCount = 9;
constexpr int32_t kMemoryDotCount = 25;
constexpr int32_t kColumnRecordBytes = 296;
constexpr int32_t kSmallBufferBytes = 16;
constexpr int32_t kWideBufferBytes = 49152;

struct GlobalsRecord {
  HostError* resultPtr;        // the host's result word of the current call
  FilterRecord* filterRecord;  // the host's filter record of the current call
  int32_t bandCount;
  // What the image records of the run need of their holder; every record
  // held here points at it.
  ImageOwner imageOwner;
  Rect previewRect;
  int32_t previewReduction;
  WorkRecord* workRecord;
  void* runPointer;
  uint8_t runFlag;
  // Clip box of the work area.
  int32_t clipFirstRow;
  int32_t clipLastRow;
  int32_t clipFirstColumn;
  int32_t clipLastColumn;
  // Run counters, owned by the render.
  int32_t rowTotal;
  int32_t rowsDone;
  int32_t exportLayerTotal;  // layers of the running export job
  int32_t exportLayersDone;  // layers that job has rendered
  int32_t rowStep;
  int32_t currentRow;  // the row of the next band
  // Rows of the current maskRect and inRect relative to the top of filterRect.
  int32_t maskFirstRow;
  int32_t maskLastRow;
  int32_t inFirstRow;
  int32_t inLastRow;
  int32_t wideRowLength;
  uint8_t bandActive;
  uint8_t bandRepeat;
  uint8_t maskActive;
  Rect savedFilterRect;
  int32_t strideA;
  int32_t strideB;
  int32_t strideC;
  // Buffer sizes in bytes.
  int32_t smallBufferASize;
  int32_t wideBufferSize;
  int32_t smallBufferBSize;
  int32_t rowBufferSize;  // allocated twice this size
  int32_t columnRecordBufferSize;
  int32_t smallBufferCSize;
  int32_t smallBufferDSize;
  int32_t spareBufferASize;
  int32_t spareBufferBSize;
  int32_t extraBufferSize;  // not allocated by the shell
  int32_t filterWidth;
  int32_t filterHeight;
  int32_t workWidth;
  int32_t workHeight;
  int32_t previewCounterA;
  int32_t previewCounterB;
  int32_t columnRecordCount;
  int32_t runCounterA;
  int32_t runCounterB;
  uint8_t firstRunFlag;
  // Host-buffer slots (0 when the block came from the fallback heap or none).
  BufferId columnRecordSlot;
  BufferId rowBufferSlot;
  BufferId smallBufferASlot;
  BufferId smallBufferBSlot;
  BufferId spareBufferASlot;
  BufferId spareBufferBSlot;
  BufferId smallBufferCSlot;
  BufferId smallBufferDSlot;
  BufferId workRecordSlot;
  BufferId bandPoolSlot;
  // Buffer pointers.
  void* columnRecords;
  void* rowBuffer;
  void* smallBufferA;
  void* smallBufferB;
  void* smallBufferC;
  void* smallBufferD;
  ImageRecord thumbnailImage;
  BandRecord* bandPool;
  ImageRecord images[kSessionImageCount];
  void* spareBufferA;
  void* spareBufferB;
  int32_t dialogOutcome;  // 1 after OK, 2 after Cancel
  int32_t undoIndex;
  void* mainDialogWindow;
  uint8_t dialogFlag;
  uint8_t startFlagA;
  uint8_t startFlagB;
  PolyMesh* inputMesh;
  BufferId inputMeshSlot;
  int32_t startCounter;
};

struct WorkRecord {
  uint32_t abortTick;
  uint32_t progressTick;
  int32_t lastProgress;
  PolyMesh outputMesh;
  // The one brick grid, shared by the brick preview and the plan export,
  // behind the counts of its last plan.
  BrickStatistics brickStatistics;
  BrickGrid brickGrid;
  ImageRecord* offscreenTarget;  // what an export render draws into
  ImageRecord workImage;
  FilterTables filterTables;
  float outputCache[401];
  float mollweideCache[400];
  int32_t tentTable[256];  // the glue compositor's tent of the underlying 8-bit value
  uint32_t workImageFlags[2];
  UndoSlots undoSlots;
  uint32_t previewValid;
  uint16_t dotControlIds[kMemoryDotCount];
  uint16_t dotStates[kMemoryDotCount];
  int32_t selectedDots[2];
  uint32_t dotWords[kMemoryDotCount];
};

// Clears every buffer slot and pointer and initialises the image records empty.
void ResetBufferSlots(GlobalsRecord* globals);
// Re-points the records inside the globals at the globals' present address
// and at this call's filter record; the host may move the globals handle
// while it is unlocked between calls.
void RefreshGlobalsPointers(GlobalsRecord* globals);
void EnsurePixelRecordBuffer(GlobalsRecord* globals);
int32_t TargetWidth(const GlobalsRecord* globals);
int32_t TargetHeight(const GlobalsRecord* globals);
void SetupMemoryDotControls(GlobalsRecord* globals, void* dialog);

// The filter record's bufferProcs and handleProcs of the current call.
const BufferProcs* RunBufferProcs(const GlobalsRecord* globals);
const HandleProcs* RunHandleProcs(const GlobalsRecord* globals);
// Writes a code to the host's result word.
void SetResult(GlobalsRecord* globals, HostError code);
HostError GetResult(const GlobalsRecord* globals);
