// Everything the plug-in writes into the host's rectangles before it calls
// advanceState: the row bands of the final render, whole-image, tile and
// reduced-scale requests, with their planes, rates and paddings; the mask
// look-up; the throttled progress report and abort test; and the two layout
// codes that tie the source image's edge modes to the input projection.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "image/image_record.h"

struct GlobalsRecord;

// The work area: previewScale = scale, the work size and the clip box.
void SetWorkArea(GlobalsRecord* globals, const Rect* rect, int32_t scale);

void SetNextBandRects(GlobalsRecord* globals);
void SetWholeFilterRects(GlobalsRecord* globals);
void RequestSourceRect(GlobalsRecord* globals, const Rect* rect);
void RequestScaledInput(GlobalsRecord* globals, int32_t n);
void EmptyHostRects(GlobalsRecord* globals);

HostError CallAdvanceState(AdvanceStateProc advanceState);
bool HostHasAdvanceState(const GlobalsRecord* globals);
bool HostCanPreview(const GlobalsRecord* globals);
bool HostLacksSampling(const GlobalsRecord* globals);

void ComputePreviewScale(const Rect* image, Rect* preview, int32_t* scale, GlobalsRecord* globals);
void FitPreviewRect(GlobalsRecord* globals, const Rect* bounds, const Rect* rect, Rect* out);
void CentreRectOn(Rect* rect, const Rect* on);
void RenderPreviewImage(GlobalsRecord* globals);

uint8_t GetMaskValue(int32_t x, int32_t y, const GlobalsRecord* globals);

int32_t InputLayoutClass(int32_t input);
int32_t InputTileCode(int32_t input);

void ReportProgress(GlobalsRecord* globals, int32_t done, int32_t total, int32_t passes);
void ReportProgressSource(GlobalsRecord* globals, int32_t done, int32_t total);
bool TestAbort(GlobalsRecord* globals);
