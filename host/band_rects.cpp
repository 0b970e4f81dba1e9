#include "host/band_rects.h"

#include "host/globals_record.h"
#include "host/host_suites.h"
#include "host/rect_path.h"
#include "render/render_run.h"
#include "ui/dialog_services.h"

namespace {

constexpr int16_t kReplicatePadding = -1;  // the host replicates edge pixels
constexpr Fixed16 kUnitRate = 65536;
constexpr FourCC kHostSigPsp8 = MakeFourCC('P', 'S', 'P', '8');

Rect MakeRect(int32_t top, int32_t left, int32_t bottom, int32_t right) {
  Rect r{};
  SetRect16(&r, int16_t(left), int16_t(top), int16_t(right), int16_t(bottom));
  return r;
}

Rect EmptyRectAt(int32_t top, int32_t left) { return MakeRect(top, left, top, left); }

void MoveRect(Rect* r, int32_t dx, int32_t dy) { OffsetRect16(r, int16_t(dx), int16_t(dy)); }

int32_t RectWidth(const Rect& r) { return int32_t(r.right) - r.left; }
int32_t RectHeight(const Rect& r) { return int32_t(r.bottom) - r.top; }

void SetWholePlanes(FilterRecord* fr) {
  fr->inLoPlane = 0;
  fr->outLoPlane = 0;
  fr->inHiPlane = int16_t(fr->planes - 1);
  fr->outHiPlane = int16_t(fr->planes - 1);
}

void SetPaddings(FilterRecord* fr) {
  fr->inputPadding = kReplicatePadding;
  fr->outputPadding = kReplicatePadding;
  fr->maskPadding = kReplicatePadding;
}

// Rows of maskRect and inRect relative to the top of the filter rectangle.
void SetBandBounds(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  int32_t top = fr->filterRect.top;
  globals->maskFirstRow = fr->maskRect.top - top;
  globals->maskLastRow = fr->maskRect.bottom - top - 1;
  globals->inFirstRow = fr->inRect.top - top;
  globals->inLastRow = fr->inRect.bottom - top - 1;
}

int32_t RunModeOf(const GlobalsRecord* globals) {
  const ParameterBlock* block = GetParameterBlock(globals);
  return block ? block->runMode : RunModeHost;
}

}  // namespace

void SetWorkArea(GlobalsRecord* globals, const Rect* rect, int32_t scale) {
  if (ParameterBlock* block = GetParameterBlock(globals)) block->previewScale = scale;
  globals->workWidth = RectWidth(*rect);
  globals->workHeight = RectHeight(*rect);
  globals->clipFirstRow = 0;
  globals->clipLastRow = globals->workHeight - 1;
  globals->clipFirstColumn = 0;
  globals->clipLastColumn = globals->workWidth - 1;
}

void SetNextBandRects(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);
  int32_t rows = RectHeight(filter);
  fr->inRect = filter;
  fr->outRect = filter;
  fr->maskRect = EmptyRectAt(filter.top, filter.left);

  int32_t offset = globals->currentRow;
  if (offset > rows - 1) offset = rows - 1;
  if (offset < 0) offset = 0;
  int32_t row = filter.top + offset;
  fr->inRect.top = fr->outRect.top = int16_t(row);
  fr->inRect.bottom = fr->outRect.bottom = int16_t(row + 1);

  // The mask band covers rows row - 2 to row + 1 where the filter allows.
  if (fr->haveMask) {
    int32_t top = row - 2 < filter.top ? filter.top : row - 2;
    int32_t bottom = row + 2 > filter.bottom ? filter.bottom : row + 2;
    if (bottom <= top) bottom = top + 1;
    fr->maskRect = MakeRect(top, filter.left, bottom, filter.right);
  }
  if (!globals->maskActive) fr->maskRect = EmptyRectAt(filter.top, filter.left);

  SetWholePlanes(fr);
  fr->inputRate = kUnitRate;
  fr->maskRate = kUnitRate;
  SetPaddings(fr);
  SetBandBounds(globals);
  if (RunModeOf(globals) == RunModeExport) {
    MoveRect(&fr->maskRect, globals->savedFilterRect.left, globals->savedFilterRect.top);
  }
}

void SetWholeFilterRects(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);
  fr->inRect = filter;
  fr->outRect = filter;
  fr->maskRect = fr->haveMask ? filter : EmptyRectAt(filter.top, filter.left);
  if (!globals->maskActive) fr->maskRect = EmptyRectAt(filter.top, filter.left);
  SetWholePlanes(fr);
  fr->inputRate = kUnitRate;
  fr->maskRate = kUnitRate;
  SetPaddings(fr);
  SetBandBounds(globals);
}

void RequestSourceRect(GlobalsRecord* globals, const Rect* rect) {
  FilterRecord* fr = globals->filterRecord;
  const Rect filter = fr->filterRect;
  fr->inRect = *rect;
  MoveRect(&fr->inRect, filter.left, filter.top);
  fr->maskRect = EmptyRectAt(filter.top, filter.left);
  fr->outRect = MakeRect(filter.top, filter.left, filter.top + 1, filter.left + 1);
  SetWholePlanes(fr);
  fr->inputRate = kUnitRate;
  fr->maskRate = kUnitRate;
  SetPaddings(fr);
}

void RequestScaledInput(GlobalsRecord* globals, int32_t n) {
  FilterRecord* fr = globals->filterRecord;
  SetWholePlanes(fr);
  if (HostLacksSampling(globals)) {
    n = 1;
    if (ParameterBlock* block = GetParameterBlock(globals)) block->previewScale = 1;
  }
  const ParameterBlock* block = GetParameterBlock(globals);
  int32_t panX = block ? block->previewPanX : 0;
  int32_t panY = block ? block->previewPanY : 0;
  const Rect filter = fr->filterRect;

  Rect in = filter;
  MoveRect(&in, panX, panY);
  ClipRect(&in, &filter);
  ScaleRect(&in, 1, n);
  if (RectWidth(in) > RectWidth(globals->previewRect)) in.right = int16_t(in.left + RectWidth(globals->previewRect));
  if (RectHeight(in) > RectHeight(globals->previewRect)) {
    in.bottom = int16_t(in.top + RectHeight(globals->previewRect));
  }
  fr->inRect = in;
  fr->outRect = in;
  fr->maskRect = in;
  MoveRect(&fr->outRect, filter.left - in.left, filter.top - in.top);
  if (fr->hostSig == kHostSigPsp8 && n > 1) {
    MoveRect(&fr->maskRect, -fr->maskRect.left, -fr->maskRect.top);
    MoveRect(&fr->maskRect, panX / n, panY / n);
  }
  fr->inputRate = Fixed16(uint32_t(n) << 16);
  fr->maskRate = fr->inputRate;
  SetPaddings(fr);
  SetBandBounds(globals);

  if (fr->advanceState) {
    HostError result = CallAdvanceState(fr->advanceState);
    SetResult(globals, result);
    if (result == kNoErr) {
      const Rect delivered = fr->inRect;
      SetWorkArea(globals, &delivered, n);
    }
  }
}

void EmptyHostRects(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  fr->inRect = MakeRect(0, 0, 0, 0);
  fr->outRect = MakeRect(0, 0, 0, 0);
  fr->maskRect = MakeRect(0, 0, 0, 0);
}

HostError CallAdvanceState(AdvanceStateProc advanceState) { return advanceState ? advanceState() : kNoErr; }

bool HostHasAdvanceState(const GlobalsRecord* globals) {
  return AdvanceStateAvailable(globals->filterRecord->advanceState);
}

bool HostCanPreview(const GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  return AdvanceStateAvailable(fr->advanceState) && DisplayPixelsAvailable(fr->displayPixels);
}

bool HostLacksSampling(const GlobalsRecord* globals) {
  return !HostCanPreview(globals) || globals->filterRecord->samplingSupport == 0;
}

void ComputePreviewScale(const Rect* image, Rect* preview, int32_t* scale, GlobalsRecord* globals) {
  int32_t wi = RectWidth(*image);
  int32_t hi = RectHeight(*image);
  int32_t a = wi < RectWidth(*preview) ? wi : RectWidth(*preview);
  int32_t b = hi < RectHeight(*preview) ? hi : RectHeight(*preview);
  // An empty image or preview would divide by zero: count such a side as 1.
  if (a < 1) a = 1;
  if (b < 1) b = 1;
  int32_t sx = (wi + a - 1) / a;
  int32_t sy = (hi + b - 1) / b;
  int32_t s = sx > sy ? sx : sy;
  if (s < 1) s = 1;
  CopyRect16(preview, image);
  ScaleRect(preview, 1, s);
  globals->previewReduction = s;
  *scale = HostLacksSampling(globals) ? 1 : s;
}

void FitPreviewRect(GlobalsRecord* /*globals*/, const Rect* bounds, const Rect* rect, Rect* out) {
  Rect r = *rect;
  InsetRect16(&r, 2, 2);
  if (RectWidth(r) > RectWidth(*bounds)) r.right = int16_t(r.left + RectWidth(*bounds));
  if (RectHeight(r) > RectHeight(*bounds)) r.bottom = int16_t(r.top + RectHeight(*bounds));
  *out = r;
}

void CentreRectOn(Rect* rect, const Rect* on) {
  int32_t width = RectWidth(*rect);
  int32_t height = RectHeight(*rect);
  int32_t left = (int32_t(on->left) + on->right) / 2 - width / 2;
  int32_t top = (int32_t(on->top) + on->bottom) / 2 - height / 2;
  *rect = MakeRect(top, left, top + height, left + width);
}

void RenderPreviewImage(GlobalsRecord* globals) {
  if (globals->workRecord) globals->workRecord->previewValid = 0;
  ShowBusyCursor();
  if (HostCanPreview(globals)) RenderWholeImage(globals);
  RestoreArrowCursor();
}

uint8_t GetMaskValue(int32_t x, int32_t y, const GlobalsRecord* globals) {
  if (x < 0 || x > globals->clipLastColumn || y < globals->clipFirstRow || y > globals->clipLastRow) return 0;
  const FilterRecord* fr = globals->filterRecord;
  if (!fr->haveMask || !fr->maskData) return 255;
  if (y < globals->maskFirstRow || y > globals->maskLastRow) return 0;
  const uint8_t* mask = static_cast<const uint8_t*>(fr->maskData);
  return mask[int64_t(y - globals->maskFirstRow) * fr->maskRowBytes + x];
}

int32_t InputLayoutClass(int32_t input) {
  switch (input) {
    case 1:
    case 24:
    case 5:
    case 12:
    case 20:
    case 25:
      return FetchWrapX;
    case 11:
      return FetchWrapXY;
    default:
      return FetchClamp;
  }
}

int32_t InputTileCode(int32_t input) {
  switch (input) {
    case 1:
    case 24:
      return 7;  // pole flip
    case 5:
    case 12:
    case 20:
    case 25:
      return 4;  // wrap u, clamp v
    default:
      return 3;  // clamp
  }
}

// The host hears every 32nd call, the first (done 0) and every call whose
// value moved on by 5 or more since the previous one.
static void ReportThrottled(GlobalsRecord* globals, int32_t done, int32_t total) {
  WorkRecord* work = globals->workRecord;
  if (!work) return;
  work->progressTick &= 31;
  if (int64_t(done) - work->lastProgress >= 5) work->progressTick = 0;
  if (work->progressTick == 0 || done == 0) {
    if (ProgressProc progress = globals->filterRecord->progressProc) progress(done, total);
  }
  work->progressTick += 1;
  work->lastProgress = done;
}

void ReportProgress(GlobalsRecord* globals, int32_t done, int32_t total, int32_t passes) {
  int32_t mode = RunModeOf(globals);
  if (mode == RunModeHost) ReportThrottled(globals, done, total);
  if (mode == RunModeExport) UpdateProgressPercent(globals, done, total, passes);
}

void ReportProgressSource(GlobalsRecord* globals, int32_t done, int32_t total) {
  if (RunModeOf(globals) == RunModeHost) ReportThrottled(globals, done, total);
}

bool TestAbort(GlobalsRecord* globals) {
  if (RunModeOf(globals) == RunModePreview) return false;
  WorkRecord* work = globals->workRecord;
  if (!work) return false;
  work->abortTick = (work->abortTick + 1) & 31;
  if (work->abortTick != 0) return false;
  AbortProc abort = globals->filterRecord->abortProc;
  return abort && (abort() & 0xff) != 0;
}
