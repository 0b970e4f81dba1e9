// The polyhedron of the current net output as 3-D geometry: a Wavefront OBJ
// file with vertices, per-triangle normals, texture coordinates and faces,
// an MTL material that points at a JPEG texture, a binary STL file and the
// texture itself (the net rendered without tabs). The four files lie side by
// side with the chosen file's base name made safe.
#pragma once

#include <cstdint>

#include "host/rect_path.h"

struct ExportFileSet;
struct GlobalsRecord;
struct PolyMesh;
struct TextOutput;

// The four names of one export: the chosen OBJ name as it stands, and its
// siblings with the safe base name (spaces to underscores, characters that
// a file name cannot hold replaced), all in the chosen file's folder.
struct GeometryNames {
  char obj[kMaxPathLength + 1];
  char mtl[kMaxPathLength + 1];
  char stl[kMaxPathLength + 1];
  char jpg[kMaxPathLength + 1];
  char safeBase[kMaxPathLength + 1];
};
// False when a sibling's path would be longer than a path may be.
bool BuildGeometryNames(const char* objPath, GeometryNames* names);

// The exported position of mesh vertex i: (x, -y, z), or (-x, y, z) when the
// mesh's attachOption byte is set.
void ExportedVertex(const PolyMesh* mesh, int32_t i, float out[3]);
// The unflagged render triangles (corner, tab and merged triangles left out).
int32_t ExportedTriangleCount(const PolyMesh* mesh);

// The texts and bytes of the files. `mesh` null: the OBJ holds only the
// error comment and the STL nothing.
void WriteObjText(const PolyMesh* mesh, const char* safeBase, TextOutput* out);
void WriteMtlText(const char* safeBase, TextOutput* out);
void WriteStlBytes(const PolyMesh* mesh, TextOutput* out);

// Writes OBJ, STL and MTL of `mesh` beside each other, each replacing its
// target when it is complete. A file that cannot be written is skipped; the
// others are still written. Answers the first failure.
int16_t WriteGeometryFiles(const PolyMesh* mesh, const GeometryNames* names);

// Progress job 5: the face-texture picture of the current settings
// (`faceSize` square, transparent gaps filled) saved as JPEG into `set`.
int16_t RunTextureExportJob(GlobalsRecord* globals, const char* path, uint8_t* cancel, ExportFileSet* set);

// The whole export for the chosen OBJ name: the texture, then the net of the
// output rebuilt for the geometry, then OBJ, STL and MTL. `tabs`,
// `outputProjection` and `exportKind` are as before afterwards. Refused with
// kExportKindUnavailable, writing nothing, when the output is not the net of
// a solid or its net has no faces. The files replace their targets only when
// each is complete; with `discardWhenCancelled` a cancel writes nothing.
int16_t ExportPolyhedronGeometry(GlobalsRecord* globals, const FileSpec* objFile, uint8_t* cancel,
                                 bool discardWhenCancelled);
