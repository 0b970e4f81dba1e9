// The mapping context: the per-render record that the per-pixel mapping reads
// for every output pixel (projection numbers, sizes, field-of-view terms,
// colours, output shape and plane box, rotation, mesh and grid pointers,
// caches, overlay switches and the dot list), and the per-band list of net
// triangles near the current row.
#pragma once

#include <cstdint>

#include "projection/output_shapes.h"
#include "geometry/rotation.h"
#include "geometry/vector.h"

struct BufferProcs;
struct GlobalsRecord;
struct ParameterBlock;
struct ImageRecord;
struct FilterTables;
struct PolyMesh;
struct BrickGrid;

constexpr int32_t kMaxRenderTriangles = 3010;
constexpr int32_t kMaxDots = 200;

// Triangles of a net near the current row, with the cursors that make
// consecutive pixels start their search where the previous one succeeded.
// Two per band record: one for the output mesh, one for the input mesh.
struct NetFaceList {
  int32_t outputNumber;    // output projection (64 needs tile wrapping)
  float tileScale;         // repeat factor of the tile wrap
  int32_t halfAngleOrder;  // 3 asks the face map to subtract the mesh offset
  int32_t tabCursor;
  int32_t hitTriangle;
  int32_t faceCursor;
  uint8_t found;
  uint8_t onTab;
  int32_t tabFace;     // face of the tab under the point, -1 none
  int32_t region;      // written by the per-face maps of layout style 1
  int32_t shapeLobe;   // lobe found by the shaped-output construction
  int32_t shapePiece;  // piece code copied into the context's shapeFaceCode
  double hitPoint[3];
  // Face triangles (n), the same n again, then from tabOffset the tab
  // triangles (m) and the same m again: a search reads n (or m) consecutive
  // entries from any cursor without wrapping.
  int32_t entries[2 * kMaxRenderTriangles];
  int32_t slots[kMaxRenderTriangles];
  int32_t faceCount;
  int32_t tabOffset;
  int32_t tabCount;
  float minX;
  float maxX;
};

// The last result of a function of one float, keyed by the float's bits
// (so that -0 and +0, or two NaNs, are told apart) and by a tag naming the
// function. A zeroed record (tag 0) holds nothing.
struct FloatMemo {
  uint32_t key;
  int32_t tag;
  float value[2];
};

// Watches a band's nearest-dot cursor while its value is not known: a band
// of rows that starts inside the image cannot know where the rows before
// left the cursor. The first dot found fixes it; when more than one dot
// qualified there, the pick was taken on an assumption that the renderer
// checks once the cursor left by the rows before is known.
struct DotCursorWatch {
  uint8_t unknown;         // the cursor's value is not known yet
  uint8_t assumed;         // the first hit had several candidates
  int32_t candidateCount;  // dots within the radius at that hit, in index order
  int32_t candidates[4];
  int32_t chosen;          // the dot taken
};

// The dot that a search from `cursor` meets first among the candidates of
// a watched hit (the cursor reset to 0 when out of range, as the search does).
int32_t FirstDotFromCursor(const DotCursorWatch* watch, int32_t cursor, int32_t dotCount);

struct MappingContext {
  float levelHint;
  uint8_t useLevelHint;
  uint8_t runByte1;
  int32_t rowSlot;
  int32_t runWord1;
  int32_t runWord2;
  ImageRecord* sourceImage;
  FilterTables* filterTables;
  void* columnRecords;
  int32_t previewScale;
  int32_t previewPanX;
  int32_t previewPanY;
  float outputWidth;
  float outputHeight;
  float outputAspect;  // height / width
  float sourceWidth;
  float sourceHeight;
  float sourceAspect;  // height / width
  float inverseOutputWidth;
  float inverseOutputHeight;
  float fovTan;      // 2 tan(min(fov/180, 0.999) pi/2)
  float halfFovTan;  // 2 tan(min(fov/360, 0.999) pi/2)
  int32_t outputProjection;
  int32_t inputProjection;
  float goreCount;
  int32_t viewColumns;
  int32_t viewRows;
  float tunableShape;
  float lensShift;
  float goreShift;
  int32_t tabColour[3];
  int32_t midColour[3];
  int32_t backdropColour[3];
  float tabColourF[4];
  float midColourF[4];
  float backdropColourF[4];
  OutputShape outputShape;
  PlaneBox planeBox;
  int32_t contextMode;  // 0 ordinary, 1 brick preview (45), 2 map of faces (355)
  int32_t flip;
  int32_t halfAngleOrder;  // 0 none, 1 before the rotation, 2 after it, 3 nets
  uint8_t faceColouring;
  float fov;
  float angleA;  // latitude, degrees
  float angleB;  // longitude, degrees
  float angleC;  // spin, degrees
  PolyMesh* outputMesh;
  PolyMesh* inputMesh;
  BrickGrid* brickGrid;
  uint8_t isNet;
  uint8_t keepAlpha;
  uint8_t transparentNoSource;
  uint8_t latLongOut;
  uint8_t keepRegions;
  uint8_t dotOverlay;
  uint8_t faceCentreOverlay;
  RotationRecord rotation;
  float* outputCache;     // 401 entries
  float* mollweideCache;  // 400 entries
  ImageRecord* lookupGrid;  // the globals record's 50 x 50 grid image
  Vec3f dots[kMaxDots];
  int32_t dotCount;
  int32_t customNet;
  int32_t contextIndex;
  int32_t shapeFaceCode;
  // Values the map outputs work out from a pixel row alone (a latitude and
  // its sine), kept for the next pixel of the same row.
  FloatMemo rowMemo[2];
  // A band of rows that starts inside the image: levelHint is not the one
  // the rows before left until a sample with a footprint sets it; a sample
  // that read it meanwhile sets levelHintReadUnknown.
  uint8_t levelHintUnknown;
  uint8_t levelHintReadUnknown;
  // Set when levelHint is still to be taken from levelHintMinor (see
  // LevelHint); SettledLevelHint gives the value.
  uint8_t levelHintPending;
  float levelHintMinor;
  DotCursorWatch* dotWatch;  // null: the band's dot cursor is known
};

// The pieces of one band record that the context set-up resets.
struct BandLists {
  NetFaceList* outputFaces;
  NetFaceList* inputFaces;
  int32_t* dotCursor;
};

// Everything the context set-up reads besides the context itself, gathered
// from the globals record, the work record and the host's filter record.
struct MappingContextSources {
  ParameterBlock* settings;  // the latitude of output 60 is written back here
  int16_t filterCase;
  int16_t imageMode;
  int32_t depth;
  const BufferProcs* bufferProcs;
  GlobalsRecord* globals;  // handed to the net and brick builders, and owner of the meshes
  PolyMesh* outputMesh;
  PolyMesh* inputMesh;  // may be null
  BrickGrid* brickGrid;  // may be null
  float* outputCache;
  float* mollweideCache;
  ImageRecord* lookupGrid;
  const float* chosenFaceValues;  // three per face (centre x, y, angle); null when none are stored
  float chosenFaceShared;         // the face-export scale
  float outputWidth;              // the filter rectangle, or the export target in export runs
  float outputHeight;
  float sourceWidth;  // the host's filter rectangle
  float sourceHeight;
  BandLists* bands;
  int32_t bandCount;
};

constexpr int32_t kMaxChosenFace = 1509;

void PrepareMappingContext(GlobalsRecord* globals, MappingContext* context);
// The set-up of the context from its gathered sources: every step of
// PrepareMappingContext after the renderer's view fields.
void PrepareMappingContextFrom(const MappingContextSources* sources, MappingContext* context);
// The heads of one band's face lists and its dot cursor, set for the
// context's output (what the set-up does for every band of the globals).
void ResetBandLists(const MappingContext* context, const BandLists* band);
// Mid colour from the tab and backdrop colours.
void SetMidColours(MappingContext* context);
// Output and source sizes and aspects of the context.
void SetContextSizes(MappingContext* context, float outputWidth, float outputHeight, float sourceWidth,
                     float sourceHeight);
void AttachContextGeometry(GlobalsRecord* globals, MappingContext* context);
int32_t BuildDotList(MappingContext* context);
void MakeShiftedMappingContext(const MappingContext* source, MappingContext* target, int32_t index);
// MakeShiftedMappingContext with the image record that the shifted copy samples.
void MakeShiftedMappingContextFor(const MappingContext* source, MappingContext* target, int32_t index,
                                  ImageRecord* shiftedSource);
void InitDirectSampleRecord(NetFaceList* list);

// The field-of-view terms of the context: 2 tan(min(fov/180, 0.999) pi/2) and
// 2 tan(min(fov/360, 0.999) pi/2), in single precision.
void ComputeFovTangents(float fov, float* fovTan, float* halfFovTan);
