// Source acquisition: the host's filter area is read once per invocation,
// tile by tile, into the source image record of the globals, and its pyramid
// levels are built. The cube-cross inputs cut their six faces into six
// further records. Also which image gives the output geometry of a run.
#pragma once

#include <cstdint>

struct GlobalsRecord;
struct ImageRecord;

// The pixel kind a host document is read and written in, decided from its
// image mode and depth alone: PixelRgba8 for grey and RGB at 8 bits,
// PixelRgba16 for the 16-bit grey and RGB modes, PixelRgbaFloat for the
// 32-bit grey and RGB modes; kUnknownPixelKind for anything else.
constexpr int32_t kUnknownPixelKind = -1;
int32_t DocumentPixelKind(int16_t imageMode, int32_t depth);
// DocumentPixelKind of the host's current document.
int32_t SourcePixelMode(const GlobalsRecord* globals);

void AcquireSourceImage(GlobalsRecord* globals);
void ReadSourceTiles(GlobalsRecord* globals);
void CopyHostTileToImage(ImageRecord* image, GlobalsRecord* globals, int32_t tileIndex);

// The image a run draws into: the export target in export runs, otherwise
// the source image. Its size is the output geometry of the run.
ImageRecord* RunTargetImage(GlobalsRecord* globals);

// Cut the six faces of a horizontal (4 x 3) or vertical (3 x 4) cube cross
// out of the source into the work images 3 to 8 (face f is image f + 3).
void SplitCubeCross4x3(GlobalsRecord* globals);
void SplitCubeCross3x4(GlobalsRecord* globals);

// Result word after a refusal that was shown to the user.
constexpr int16_t kRefusedByAlert = 1;
// Result word of a source image that cannot be had.
constexpr int16_t kSourceImageUnavailable = 999;
