#include "export/geometry_export.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "export/brick_exports.h"
#include "export/export_files.h"
#include "export/export_passes.h"
#include "export/export_plan.h"
#include "export/metadata_blocks.h"
#include "export/text_output.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/text_utils.h"
#include "image/hole_filling.h"
#include "image/image_record.h"
#include "nets/mesh_pools.h"
#include "nets/net_build.h"
#include "nets/poly_mesh.h"
#include "render/run_tables.h"
#include "settings/jpeg_memory.h"

namespace {

constexpr char kHeaderLine[] = "# Exported from Orbalix 2 ";
constexpr int32_t kSameSolidOtherNet = 1035;  // output 261 exports the same solid by this net

// The solid vertex and the net point of each corner of an unflagged render
// triangle; false for corner, tab and merged triangles and for a triangle
// whose corners do not resolve.
bool TriangleCorners(const PolyMesh* mesh, int32_t t, int32_t vertex[3], int32_t netPoint[3]) {
  const RenderTriangle& tri = mesh->renderTriangles[t];
  if (tri.extraTriangle != 0) return false;
  for (int32_t c = 0; c < 3; ++c) {
    int32_t face = -1, position = -1, piece = -1, edge = -1;
    TriangleFaceCorner(mesh, t, c, &face, &position);
    if (face < 0 || position < 0) return false;
    FacePieceAndEdge(face, position, &piece, &edge, mesh);
    if (piece < 0 || piece >= kMaxMeshFaces || edge < 0 || edge >= kMaxFaceCorners) return false;
    vertex[c] = mesh->faces[piece].vertex[edge];
    netPoint[c] = mesh->faces[face].netPoint[position];
    if (vertex[c] < 0 || vertex[c] >= kMaxMeshVertices || netPoint[c] < 0 || netPoint[c] >= kMaxRenderPoints)
      return false;
  }
  return true;
}

int32_t TriangleLimit(const PolyMesh* mesh) {
  return mesh->renderTriangleCount < kMaxMeshTriangles ? mesh->renderTriangleCount : kMaxMeshTriangles;
}

// (b - a) x (c - b), normalised; zero for a degenerate triangle.
void TriangleNormal(const float a[3], const float b[3], const float c[3], float n[3]) {
  const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const float v[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
  n[0] = u[1] * v[2] - u[2] * v[1];
  n[1] = u[2] * v[0] - u[0] * v[2];
  n[2] = u[0] * v[1] - u[1] * v[0];
  const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int32_t k = 0; k < 3; ++k) n[k] = length > 0 ? n[k] / length : 0.0f;
}

void WriteTriple(TextOutput* out, const char* prefix, const float v[3]) {
  WriteText(out, prefix);
  for (int32_t k = 0; k < 3; ++k) {
    if (k > 0) WriteText(out, " ");
    WriteNumberText(out, v[k]);
  }
  WriteText(out, "\n");
}

void PutLe32(TextOutput* out, uint32_t value) {
  const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
  WriteTextBytes(out, bytes, 4);
}

void PutFloatLe(TextOutput* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  PutLe32(out, bits);
}

bool HasGeometry(const PolyMesh* mesh) {
  return mesh != nullptr && mesh->vertices != nullptr && ExportedTriangleCount(mesh) > 0;
}

struct NamedWrite {
  const PolyMesh* mesh;
  const char* base;
};

void ObjInto(void* context, TextOutput* out) {
  auto* w = static_cast<NamedWrite*>(context);
  WriteObjText(w->mesh, w->base, out);
}
void StlInto(void* context, TextOutput* out) { WriteStlBytes(static_cast<NamedWrite*>(context)->mesh, out); }
void MtlInto(void* context, TextOutput* out) { WriteMtlText(static_cast<NamedWrite*>(context)->base, out); }

void BuildGeometryNet(GlobalsRecord* globals, int32_t output) {
  BuildNetForOutput(output, &globals->workRecord->outputMesh, 1.0f, 0.0f, 0, 0.0f, kBuildNoTabs,
                    RunBufferProcs(globals), true);
}

}  // namespace

bool BuildGeometryNames(const char* objPath, GeometryNames* names) {
  std::memset(names, 0, sizeof *names);
  if (objPath == nullptr) return false;
  const size_t length = std::strlen(objPath);
  if (length == 0 || length > size_t(kMaxPathLength)) return false;
  std::memcpy(names->obj, objPath, length + 1);
  // The folder keeps its text; only the base name is made safe, so every
  // sibling stays in the chosen folder.
  size_t nameStart = 0;
  for (size_t i = 0; i < length; ++i) {
    if (objPath[i] == '/' || objPath[i] == '\\') nameStart = i + 1;
  }
  const char* name = objPath + nameStart;
  const char* dot = std::strrchr(name, '.');
  const size_t baseLength = dot != nullptr && dot != name ? size_t(dot - name) : std::strlen(name);
  if (baseLength == 0) return false;
  std::memcpy(names->safeBase, name, baseLength);
  names->safeBase[baseLength] = 0;
  MakeSafeFileName(names->safeBase);
  struct Sibling {
    char* out;
    const char* extension;
  };
  for (const Sibling s : {Sibling{names->mtl, ".mtl"}, Sibling{names->stl, ".stl"}, Sibling{names->jpg, ".jpg"}}) {
    if (nameStart + baseLength + std::strlen(s.extension) > size_t(kMaxPathLength)) return false;
    std::memcpy(s.out, objPath, nameStart);
    std::memcpy(s.out + nameStart, names->safeBase, baseLength);
    std::memcpy(s.out + nameStart + baseLength, s.extension, std::strlen(s.extension) + 1);
  }
  return true;
}

void ExportedVertex(const PolyMesh* mesh, int32_t i, float out[3]) {
  double x = 0, y = 0, z = 0;
  GetMeshVertex(i, mesh, &x, &y, &z);
  if (mesh->attachOption != 0) {
    out[0] = float(-x);
    out[1] = float(y);
  } else {
    out[0] = float(x);
    out[1] = float(-y);
  }
  out[2] = float(z);
}

int32_t ExportedTriangleCount(const PolyMesh* mesh) {
  if (mesh == nullptr) return 0;
  int32_t count = 0;
  int32_t vertex[3], netPoint[3];
  for (int32_t t = 0; t < TriangleLimit(mesh); ++t) count += TriangleCorners(mesh, t, vertex, netPoint) ? 1 : 0;
  return count;
}

void WriteObjText(const PolyMesh* mesh, const char* safeBase, TextOutput* out) {
  if (mesh == nullptr) {
    WriteText(out, "# error: polyhedron data is missing\n");
    return;
  }
  char date[128];
  FormatExportDate(date, sizeof date);
  WriteText(out, kHeaderLine);
  WriteText(out, kMakerWebAddress);
  WriteText(out, "\n# ");
  WriteText(out, date);
  WriteText(out, "\n\nmtllib ");
  WriteText(out, safeBase);
  WriteText(out, ".mtl\n\ng OrbalixPolyhedron\n\n");
  const int32_t lastVertex = MaxFaceVertexIndex(mesh);
  for (int32_t i = 0; i <= lastVertex; ++i) {
    float v[3];
    ExportedVertex(mesh, i, v);
    WriteTriple(out, "v ", v);
  }
  WriteText(out, "\n");
  int32_t vertex[3], netPoint[3];
  for (int32_t t = 0; t < TriangleLimit(mesh); ++t) {
    if (!TriangleCorners(mesh, t, vertex, netPoint)) continue;
    // The normal of the corners in the order the face line names them, in
    // the coordinates of the "v" lines.
    float p[3][3], n[3];
    for (int32_t c = 0; c < 3; ++c) ExportedVertex(mesh, vertex[2 - c], p[c]);
    TriangleNormal(p[0], p[1], p[2], n);
    WriteTriple(out, "vn ", n);
  }
  WriteText(out, "\n");
  const int32_t lastPoint = MaxNetPointIndex(mesh);
  for (int32_t i = 0; i <= lastPoint && i < kMaxRenderPoints; ++i) {
    WriteText(out, "vt ");
    WriteNumberText(out, mesh->renderPoints[i].x);
    WriteText(out, " ");
    WriteNumberText(out, 1.0f - mesh->renderPoints[i].y);
    WriteText(out, "\n");
  }
  WriteText(out, "\nusemtl ");
  WriteText(out, safeBase);
  WriteText(out, "_material\n\n");
  int32_t number = 0;
  for (int32_t t = 0; t < TriangleLimit(mesh); ++t) {
    if (!TriangleCorners(mesh, t, vertex, netPoint)) continue;
    ++number;
    WriteText(out, "f ");
    for (int32_t c = 2; c >= 0; --c) {
      WriteFormatted(out, "%d/%d/%d", int(vertex[c] + 1), int(netPoint[c] + 1), int(number));
      if (c > 0) WriteText(out, " ");
    }
    WriteText(out, "\n");
  }
  WriteText(out, "\n");
}

void WriteMtlText(const char* safeBase, TextOutput* out) {
  WriteText(out, kHeaderLine);
  WriteText(out, kMakerWebAddress);
  WriteText(out, "\n#\n\nnewmtl ");
  WriteText(out, safeBase);
  WriteText(out, "_material\nd 1.00000\nillum 2\nKd 1.0 1.0 1.0\nKa 1.0 1.0 1.0\nKs 0.5 0.5 0.9\nKe 0.0 0.0 0.0\nmap_Kd ");
  WriteText(out, safeBase);
  WriteText(out, ".jpg\n");
}

void WriteStlBytes(const PolyMesh* mesh, TextOutput* out) {
  if (mesh == nullptr) return;
  const int32_t lastVertex = MaxFaceVertexIndex(mesh);
  float minimum[3] = {0, 0, 0};
  for (int32_t i = 0; i <= lastVertex; ++i) {
    float v[3];
    ExportedVertex(mesh, i, v);
    for (int32_t k = 0; k < 3; ++k) minimum[k] = i == 0 || v[k] < minimum[k] ? v[k] : minimum[k];
  }
  const char header[80] = {};
  WriteTextBytes(out, header, sizeof header);
  PutLe32(out, uint32_t(ExportedTriangleCount(mesh)));
  int32_t vertex[3], netPoint[3];
  for (int32_t t = 0; t < TriangleLimit(mesh); ++t) {
    if (!TriangleCorners(mesh, t, vertex, netPoint)) continue;
    float q[3][3], n[3];
    for (int32_t c = 0; c < 3; ++c) {
      ExportedVertex(mesh, vertex[2 - c], q[c]);
      for (int32_t k = 0; k < 3; ++k) q[c][k] -= minimum[k];
    }
    TriangleNormal(q[0], q[1], q[2], n);
    for (float value : n) PutFloatLe(out, value);
    for (auto& corner : q)
      for (float value : corner) PutFloatLe(out, value);
    WriteTextBytes(out, "\0\0", 2);
  }
}

int16_t WriteGeometryFiles(const PolyMesh* mesh, const GeometryNames* names) {
  NamedWrite write = {mesh, names->safeBase};
  int16_t result = WriteTextFileAtomically(names->obj, ObjInto, &write);
  const int16_t stl = WriteTextFileAtomically(names->stl, StlInto, &write);
  if (result == kExportDone) result = stl;
  const int16_t mtl = WriteTextFileAtomically(names->mtl, MtlInto, &write);
  if (result == kExportDone) result = mtl;
  return result;
}

int16_t RunTextureExportJob(GlobalsRecord* globals, const char* path, uint8_t* cancel, ExportFileSet* set) {
  WorkRecord* work = globals->workRecord;
  if (work == nullptr) return kExportNoMemory;
  SavedRunState runState;
  SaveRunState(&runState, globals);
  ParameterBlock* block = GetParameterBlock(globals);
  block->runMode = RunModeExport;
  ExportPlan plan;
  PlanExport(globals, &plan);
  globals->exportLayerTotal = 1;
  globals->exportLayersDone = 0;
  int16_t result = kExportDone;
  if (plan.width < 1 || plan.height < 1) result = kExportBadSize;
  if (result == kExportDone && (plan.width > kJpegMaxSide || plan.height > kJpegMaxSide ||
                                int64_t(plan.width) * plan.height > kJpegMaxPixels))
    result = kExportJpegTooLarge;
  ImageRecord image;
  InitImageRecord(&image, &globals->imageOwner, &work->filterTables);
  if (result == kExportDone && !CreateImage(&image, plan.width, plan.height, PixelRgba8, FetchClamp))
    result = kExportNoMemory;
  FileHandle file = kNoFile;
  if (result == kExportDone) result = OpenExportFile(set, path, &file);
  if (result == kExportDone) {
    const bool texture = block->exportKind == ExportFaceTextures;
    const int32_t keepTransparency = block->keepTransparency;
    if (texture) block->keepTransparency = 1;
    work->offscreenTarget = &image;
    result = RenderExportImage(globals, &image, cancel);
    work->offscreenTarget = nullptr;
    if (texture) {
      FillTransparentHoles(&image);
      block->keepTransparency = keepTransparency;
    }
    globals->exportLayersDone = 1;
    if (result == kExportDone) result = SaveImageAsJpegFile(globals, &image, file, block->exportKind, false);
    const int16_t closed = CloseExportFile(set, file, result == kExportDone);
    if (result == kExportDone) result = closed;
  }
  FreeImageRecord(&image);
  RestoreRunState(&runState, globals);
  return result;
}

int16_t ExportPolyhedronGeometry(GlobalsRecord* globals, const FileSpec* objFile, uint8_t* cancel,
                                 bool discardWhenCancelled) {
  if (globals == nullptr || globals->workRecord == nullptr || objFile == nullptr) return kExportNoMemory;
  GeometryNames names;
  if (!BuildGeometryNames(objFile->path, &names)) return kExportPathTooLong;
  ParameterBlock* block = GetParameterBlock(globals);
  const float tabs = block->tabs;
  const int32_t output = block->outputProjection;
  const int32_t exportKind = block->exportKind;
  block->tabs = 0;
  if (output == 261) block->outputProjection = kSameSolidOtherNet;
  const int32_t netOutput = block->outputProjection;

  int16_t result = kExportDone;
  if (!IsNetOfSolid(netOutput)) result = kExportKindUnavailable;
  if (result == kExportDone) {
    BuildGeometryNet(globals, netOutput);
    if (!HasGeometry(&globals->workRecord->outputMesh)) result = kExportKindUnavailable;
  }
  auto files = std::make_unique<ExportFileSet>();
  InitExportFileSet(files.get(), discardWhenCancelled);
  if (result == kExportDone) {
    block->exportKind = ExportFaceTextures;
    result = RunTextureExportJob(globals, names.jpg, cancel, files.get());
    if (discardWhenCancelled && cancel != nullptr && *cancel != 0) {
      DiscardExportFiles(files.get());
      result = kExportCancelled;
    } else {
      const int16_t committed = CommitExportFiles(files.get());
      if (result == kExportDone) result = committed;
      // A texture that failed does not keep the geometry from being
      // written. The texture's render built the net for its picture; the
      // geometry takes it as the export builds it.
      BuildGeometryNet(globals, netOutput);
      const PolyMesh* mesh = &globals->workRecord->outputMesh;
      const int16_t written = WriteGeometryFiles(HasGeometry(mesh) ? mesh : nullptr, &names);
      if (result == kExportDone) result = written;
    }
  }
  block->tabs = tabs;
  block->outputProjection = output;
  block->exportKind = exportKind;
  return result;
}
