// The polyhedron mesh and net record: the solid (vertices and faces with their
// adjacency), the flat net (net points and net faces), the render points and
// render triangles that the per-pixel mapping searches, the layout that places
// the net in the output, and the per-net options of the catalogue. One record
// of fixed size with fixed-capacity tables; only the four model tables of a
// generated net are allocated (through the host's buffer callbacks).
//
// A build fills the record once; the per-pixel code only reads it afterwards.
#pragma once

#include <cstdint>

#include "geometry/plane_geometry.h"
#include "geometry/vector.h"
#include "host/host_records.h"

struct GlobalsRecord;

// Capacities.
constexpr int32_t kMaxNetPoints = 4010;
constexpr int32_t kMaxMeshVertices = 4010;
constexpr int32_t kMaxRenderPoints = 4010;
constexpr int32_t kMaxMeshTriangles = 3010;
constexpr int32_t kMaxMeshFaces = 1510;
constexpr int32_t kMinFaceCorners = 3;
constexpr int32_t kMaxFaceCorners = 10;
constexpr int32_t kNetGroupCount = 20;
constexpr int32_t kMaxFoldSteps = 19;
constexpr int32_t kSeamPairEntries = 64;  // vertex pairs of a seam, ended by -1

// The owned model tables: net points (x, y), vertices (x, y, z) and the two
// per-face index lists (1-based, each face ended by 0).
constexpr int32_t kNetPointTableBytes = kMaxNetPoints * 2 * 8;    // 64,160
constexpr int32_t kVertexTableBytes = kMaxMeshVertices * 3 * 8;   // 96,240
constexpr int32_t kFaceListEntries = 15100;
constexpr int32_t kFaceListTableBytes = kFaceListEntries * 2;     // 30,200

// The record's error word: 0, or the last failure. A later success never
// clears an earlier code.
enum MeshError : int32_t {
  kMeshNoError = 0,
  kMeshNetFacesFull = 1,
  kMeshFacesFull = 2,
  kMeshRepeatedVertex = 3,  // also a face of fewer than three corners or a corner that names no vertex
  kMeshRenderPointsFull = 4,
  kMeshVerticesFull = 5,
  kMeshNetPointsFull = 6,
  kMeshTrianglesFull = 7,
  kMeshFaceExists = 8,
  kMeshGroupOutOfRange = 9,
  kMeshTooManyCorners = 10,  // a face of more than ten corners is refused, not cut short
  kMeshNoTables = 11,        // the model tables could not be allocated
};

// Bits of MeshFace::edgeFlags.
constexpr int32_t kEdgeCut = 1 << 0;       // the net is never unfolded across this edge
constexpr int32_t kEdgeCurveStart = 1 << 1;
constexpr int32_t kEdgeCurveEnd = 1 << 2;
constexpr int32_t kEdgeTriedLast = 1 << 3;  // the unfolder tries this edge last

constexpr uint16_t kNoTriangleTag = 65535;

// Net-plane position and the three direction values of one render point. A
// render point has the index of its net point.
struct RenderPoint {
  float x;
  float y;
  float d0;
  float d1;
  float d2;
};

struct RenderTriangle {
  int32_t points[3];      // render-point indices
  int16_t netFace;        // -1 for corner triangles
  uint16_t tag;           // given by the triangulation; kNoTriangleTag otherwise
  int16_t id;             // the region (FaceRegion of the face), or -1
  uint16_t netGroup;      // net group of the face; kNoTriangleTag for added triangles
  uint8_t extraTriangle;  // 1: a corner, tab or merged triangle, not cut from a net face
  uint8_t edgeTab[3];     // 1: the edge from corner k to corner k + 1 gets a tab
  uint8_t hasOpposite;    // the face is a quad: three net points and an opposite point
  uint8_t skip;           // the face's net-side flag: the triangle is not drawn
  float inverseDoubleArea;
  Vec3 corners[3];  // corner directions (plane points for the flat layouts that keep them there)
};

// Entry i of the face table is solid face i (vertex side) and net face i (net
// side) at once; a net face names its solid face in `piece`.
struct MeshFace {
  float facing;  // sign of the first vertex against the normal
  int32_t netPoint[kMaxFaceCorners];
  int32_t vertex[kMaxFaceCorners];
  float netCornerAngle[kMaxFaceCorners];
  float cornerAngle[kMaxFaceCorners];
  float edgeAngle[kMaxFaceCorners];  // net edge k against +y, 0..pi
  int32_t netPointCount;
  int32_t vertexCount;
  uint8_t tabFlag[kMaxFaceCorners];
  uint8_t outlineVisited[kMaxFaceCorners];
  uint8_t attachMark[kMaxFaceCorners];
  int32_t depth;
  uint16_t netGroup;  // net piece of the net face
  uint16_t group;     // group of the solid face
  int32_t netNeighbour[kMaxFaceCorners];  // across net edge k, -1 none
  int32_t netNeighbourEdge[kMaxFaceCorners];
  int32_t neighbour[kMaxFaceCorners];  // across solid edge k, -1 none
  int32_t neighbourEdge[kMaxFaceCorners];
  int32_t edgeFlags[kMaxFaceCorners];
  uint8_t startMark;
  uint8_t edgeWalked[kMaxFaceCorners];
  int32_t oppositeVertex;
  int32_t oppositeNetPoint;
  int32_t faceTag;
  Vec3 facePoint;  // a point stored with the face by its generator
  int32_t piece;     // the solid face of this net face
  int32_t rotation;  // net corner k is solid corner (rotation + k) mod netPointCount
  int32_t netFace;   // the net face of this solid face
  double quadCoefficients[6];
  Vec3 normal;
  Vec3 centre;  // normalised mean of the vertices
  Vec3f centreF;
  Plane3d plane;  // through the first vertex with `normal`
  // The two flag bytes a generator gives the face, the placed mark of the
  // unfolding and the net-side flag (the first flag, copied when the face is
  // laid into the net; its triangles are then not drawn).
  uint8_t firstFlag;
  uint8_t secondFlag;
  uint8_t placed;
  uint8_t netFlag;
};

// A fold step of the subdivision nets: a point with its direction, the face
// mark it belongs to, a radius and a plane. The per-pixel mapping draws the
// face-centre markers from these.
struct FoldStep {
  uint8_t valid;
  int32_t vertex;  // the point's vertex
  int32_t markId;  // the net group of the faces it marks
  int32_t faceNumber;
  double radius;
  int32_t planeVertices[3];
  Vec3 direction;  // the point's direction, set by the build
  Plane3d plane;   // through the three plane vertices
};

struct PolyMesh {
  int32_t errorCode;  // MeshError
  // The model tables: catalogue constants (never written, never freed) or
  // the owned tables of AllocMeshTables (`tablesOwned`).
  const double* netPoints;           // (x, y) per net point
  const double* vertices;            // (x, y, z) per vertex
  const uint16_t* faceNetPointLists;  // catalogue form of the net faces
  const uint16_t* faceVertexLists;    // the same for the solid faces
  const int16_t* flatVertexMap;       // flat layouts: 3-D point of each net point
  const uint16_t* regionTable;        // region id of each net face, or null
  uint8_t matchFailed;
  uint8_t tabPhase;      // 1: the tab walk gives the first edge no tab
  uint8_t generatedNet;  // 1: the model comes from a generator

  RenderPoint renderPoints[kMaxRenderPoints];
  uint16_t netPointUseCount[kMaxNetPoints];
  uint16_t vertexUseCount[kMaxMeshVertices];
  int16_t netPointTag[kMaxNetPoints];
  int16_t netPointLayer[kMaxNetPoints];
  uint8_t netPointUsed[kMaxNetPoints];  // also marks the render point of that index
  int16_t netPointCursor;               // where the next free-slot search starts
  RenderTriangle renderTriangles[kMaxMeshTriangles];
  MeshFace faces[kMaxMeshFaces];

  int32_t maxNetGroup;
  int32_t groupUnfold;
  double groupSums[kNetGroupCount];  // turn angle of each piece
  int32_t groupFaceCounts[kNetGroupCount];
  int32_t groupLastFaces[kNetGroupCount];
  // How the per-pixel mapping numbers regions.
  uint8_t regionFromNetGroup;  // by the net face's netGroup
  uint8_t regionFromGroup;     // by the group of its solid face, plus 1
  uint8_t regionFromTable;     // by FaceRegion

  // The output box: x 0..1, y 0..aspect (or -1..1 on both for square layouts).
  float layoutMinX;
  float layoutMaxX;
  float layoutMinY;
  float layoutMaxY;
  float centreCopies[4];  // (0.5, aspect / 2) twice, kept by FitNetToOutput
  float tabWidth;         // in net units; 0 = no tabs
  float tabWidthCopy;
  float layoutScale;  // net units to output units
  float unitFactorX;  // 1 / box side on the axis that limits the fit, else 1
  float unitFactorY;
  int32_t renderPointCount;
  int32_t netPointTotal;
  int32_t renderTriangleCount;
  int32_t faceCount;
  int32_t selectedFace;      // the one face drawn alone, -1 all
  int32_t selectedFaceCopy;  // the same, as the last build saw it: the row lists' skip id
  int32_t netFaceCount;
  int32_t vertexCount;
  uint16_t faceMapStyle;
  float fittedMinX;
  float fittedMaxX;
  float fittedMinY;
  float fittedMaxY;
  float netCentreX;
  float netCentreY;
  float centreX;  // centre of the output box
  float centreY;
  int32_t netNumber;
  int32_t regionFromTriangle;  // 1: per-face maps by net number give the region
  int32_t equirectCorners;     // 1: corner directions are blended as equirectangular positions
  uint8_t turnHalf;            // negate x and y of every 3-D point that becomes a direction
  uint8_t mirrorX;             // negate x
  uint8_t wideTabs;
  uint8_t recursiveAttach;
  uint8_t skipOverlapTest;
  uint8_t attachOption;
  uint8_t pieceMerge;
  int32_t curveNetStyle;  // the cut-edge rule of LayoutNetFaces; 0 for every net but the curve nets
  int32_t curveNetWord;
  int32_t maxPieceFaces;
  uint8_t modelReady;
  uint8_t netFinished;
  uint8_t tablesOwned;
  uint8_t halfScale;
  uint8_t plainLayout;  // the row lists may clip triangles left and right of the band
  uint8_t squareLayout;
  uint8_t preferMarkedStart;
  double netScale;
  BufferId tableSlots[4];  // host buffers of the owned tables
  Vec3 viewCentre;         // the front of the net; subtracted by the face map with half-angle order 3
  int32_t centreFace;
  float presetCentreX;
  float presetCentreY;
  float presetScale;
  uint8_t useStoredBox;
  int32_t noCornerTriangles;
  int32_t edgeOption;
  float storedMinX;  // empty: (1000, -999, 1000, -999)
  float storedMaxX;
  float storedMinY;
  float storedMaxY;
  int32_t netPointVertex[kMaxNetPoints];
  int32_t nestedOutput;  // -1 none
  int32_t seamPairs[kSeamPairEntries];
  FoldStep foldSteps[kMaxFoldSteps + 1];
  int32_t foldStepCount;
  void* curveContext;  // working record of the curve-net builder

  // Read by the per-pixel mapping and set by the mapping context.
  float aspect;
  float selectedFaceValues[3];
  float selectedFaceShared;
  uint8_t spherePowerFlag;
  double spherePower;
  int16_t normalise;     // 1: the face map's result is a direction to normalise
  GlobalsRecord* owner;  // the holder of the record, set when a context is attached
};

// --- lifecycle -------------------------------------------------------------------

// Defaults of the per-net options, after freeing the owned tables. Called
// before each catalogue or generated net.
void InitPolyMesh(PolyMesh* mesh, const BufferProcs* bufferProcs);
// Marks the record empty without freeing anything (callers use it on fresh
// records): no tables, no faces, nothing selected, every field the per-pixel
// mapping reads at its default. The owner link is left alone.
void ResetPolyMesh(PolyMesh* mesh);
// Frees the owned tables, then takes the four tables through the host's
// buffer callbacks. On a failed allocation nothing stays allocated, the
// record owns no tables, `errorCode` is kMeshNoTables and the result is false.
bool AllocMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs, int32_t maxPoints, int32_t maxFaces);
// Frees the four tables when the record owns them. A null record is ignored.
void FreeMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs);
// Clears the faces, render triangles and use marks for a new build.
void ClearMeshFaces(PolyMesh* mesh);
// One face entry as ClearMeshFaces leaves it: no corners, no neighbours, no
// piece, no marks.
void ClearMeshFace(MeshFace* face);

// --- layout fit ------------------------------------------------------------------

void FitNetToOutput(PolyMesh* mesh, float aspect, float tabWidth);
// Fit modes: 0 fit the used render points into the output box, 1 keep the
// layout as built, 2 centre on the preset centre with the preset scale.
constexpr int32_t kFitToBox = 0;
constexpr int32_t kFitKeep = 1;
constexpr int32_t kFitPreset = 2;
void FitMeshLayout(PolyMesh* mesh, int32_t fitMode);
void SetMeshBounds(PolyMesh* mesh, float xmin, float ymin, float xmax, float ymax);
// Bounds of the used render points; all 0 when none is used.
void UsedNetPointBounds(const PolyMesh* mesh, float* xmin, float* xmax, float* ymin, float* ymax);

// --- accessors ---------------------------------------------------------------------
// Out-of-range indices give zeros, -1 or 0 corners rather than reading
// outside a table.

void GetNetPointXY(int32_t i, const PolyMesh* mesh, double* x, double* y);
void GetMeshVertex(int32_t i, const PolyMesh* mesh, double* x, double* y, double* z);
void MeshVertex(int32_t i, const PolyMesh* mesh, Vec3* out);
Vec3 GetMeshVertexCopy(int32_t i, const PolyMesh* mesh);
// The corner counts of a face as the indexing code may use them: 0..10.
int32_t NetCornerCount(const PolyMesh* mesh, int32_t face);
int32_t SolidCornerCount(const PolyMesh* mesh, int32_t face);
// The solid face of net face f and the solid edge of its net edge k; -1, -1
// for a face that has none.
void FacePieceAndEdge(int32_t f, int32_t k, int32_t* piece, int32_t* edge, const PolyMesh* mesh);
// The last net face whose piece is the given solid face and its corner for
// solid corner k; 0, 0 (and false) when there is none.
bool NetFaceOfPiece(int32_t piece, int32_t k, int32_t* netFace, int32_t* corner, const PolyMesh* mesh);
int32_t NextNetCorner(const PolyMesh* mesh, int32_t f, int32_t k);
int32_t NextCorner(const PolyMesh* mesh, int32_t f, int32_t k);
int32_t PrevCorner(const PolyMesh* mesh, int32_t f, int32_t k);
// The face-th 0-ended run of a 1-based catalogue list of listLength entries,
// each minus 1, at most ten; 0 for a missing list or a run past its end.
int32_t ReadFaceList(int32_t face, const uint16_t* list, int32_t listLength, int32_t indices[kMaxFaceCorners]);
void SetFaceNeighboursNone(PolyMesh* mesh, int32_t n);
void SetNetNeighboursNone(PolyMesh* mesh, int32_t n);
void MarkCutEdge(PolyMesh* mesh, int32_t face, int32_t edge);
bool IsEdgePreferred(const PolyMesh* mesh, int32_t face, int32_t edge);
double FacePerimeter(const PolyMesh* mesh, int32_t face);
// The region of a net face: nets 163 and 164 by the group of its piece, other
// nets by the region table or the face index; -1 for a negative face, 0 for a
// null record.
int32_t FaceRegion(int32_t face, const PolyMesh* mesh);
