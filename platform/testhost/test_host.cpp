// The test host's filter record, its data delivery and the selector runner.
//
// Delivery: inData holds inRect of the document seen at inputRate (the pixel
// at (row r, column c) of the reduced image is the document pixel at
// (r * rate, c * rate), truncated), planes inLoPlane to inHiPlane interleaved.
// outData holds outRect at full size with the document's current pixels; it is
// written back into the document (inside the filter rectangle) at the next
// delivery or when the selector call returns. maskData holds maskRect of the
// selection at maskRate, one byte a pixel. Pixels past the image edge follow
// the padding fields.
#include <algorithm>
#include <cstring>

#include "platform/testhost/test_host.h"
#include "ui/dialog_services.h"

namespace {

TestHost* currentHost = nullptr;

int64_t ScaledCoordinate(int32_t c, Fixed16 rate) { return (int64_t(c) * int64_t(rate)) >> 16; }

// The value a fixed padding byte gives in a channel of the document's depth.
void WritePaddingValue(uint8_t* p, int32_t depth, int16_t padding) {
  const int32_t v = padding & 255;
  switch (depth) {
    case 16: {
      const uint16_t s = uint16_t((v * 32768 + 127) / 255);
      std::memcpy(p, &s, 2);
      break;
    }
    case 32: {
      const float f = float(v) / 255.0f;
      std::memcpy(p, &f, 4);
      break;
    }
    default:
      *p = uint8_t(v);
  }
}

struct Delivery {
  Rect rect;
  Fixed16 rate;
  int16_t loPlane, hiPlane;
  int16_t padding;
};

bool PlanesValid(const TestDocument& doc, int16_t lo, int16_t hi) {
  return lo >= 0 && hi >= lo && hi < DocumentPlanes(doc);
}

// A delivery buffer of `bytes`, marked when the host marks new memory.
void SizeDeliveryBuffer(const TestHost* host, PixelBytes* buffer, size_t bytes) {
  if (host->options.markMemory) {
    buffer->assign(bytes, kTestHostFillByte);
  } else {
    buffer->resize(bytes);
  }
}

bool RectsOverlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Whether the document's own rows can serve the delivery: unscaled, all of
// its planes, inside it, and rows of the document's length. Only the program
// takes this road; the suite's host hands separate, marked buffers so that a
// filter reading or writing past its rectangle is caught.
bool DocumentRowsServe(const TestHost* host, const Delivery& d) {
  const TestDocument& doc = *host->document;
  const int32_t bpc = DocumentBytesPerChannel(doc);
  const int32_t planes = d.hiPlane - d.loPlane + 1;
  return !host->options.markMemory && host->options.extraRowBytes == 0 && d.rate == (1 << 16) && d.loPlane == 0 &&
         planes == DocumentPlanes(doc) && d.rect.left >= 0 && d.rect.top >= 0 && d.rect.right <= doc.width &&
         d.rect.bottom <= doc.height && !RectIsEmpty(d.rect) && bpc > 0;
}

// The record is packed: its fields are assigned, never written through pointers.
struct DocumentRows {
  uint8_t* data;
  int32_t rowBytes;
};

DocumentRows DocumentRowsOf(TestHost* host, const Delivery& d) {
  TestDocument& doc = *host->document;
  return DocumentRows{DocumentPixelAddress(doc, d.rect.left, d.rect.top),
                      doc.width * DocumentPlanes(doc) * DocumentBytesPerChannel(doc)};
}

// Fills `buffer` with the rectangle; answers false when the padding mode
// forbids a request past the image.
bool DeliverPixels(TestHost* host, const Delivery& d, PixelBytes* buffer, int32_t* rowBytes) {
  TestDocument& doc = *host->document;
  const int32_t bpc = DocumentBytesPerChannel(doc);
  const int32_t planes = d.hiPlane - d.loPlane + 1;
  const int32_t width = d.rect.right - d.rect.left;
  const int32_t height = d.rect.bottom - d.rect.top;
  *rowBytes = width * planes * bpc + host->options.extraRowBytes;
  SizeDeliveryBuffer(host, buffer, size_t(*rowBytes) * size_t(height) + 1);
  const size_t pixelBytes = size_t(DocumentPlanes(doc)) * size_t(bpc);
  // Unscaled rows inside the document with all of its planes are one run of
  // its bytes each.
  const bool wholeRows = d.rate == (1 << 16) && d.loPlane == 0 && size_t(planes * bpc) == pixelBytes &&
                         d.rect.left >= 0 && d.rect.right <= doc.width && width > 0;
  for (int32_t r = 0; r < height; ++r) {
    if (wholeRows) {
      const int64_t sy = ScaledCoordinate(d.rect.top + r, d.rate);
      if (sy >= 0 && sy < doc.height) {
        std::memcpy(buffer->data() + size_t(r) * size_t(*rowBytes),
                    DocumentPixelAddress(doc, d.rect.left, int32_t(sy)), size_t(width) * pixelBytes);
        continue;
      }
    }
    for (int32_t c = 0; c < width; ++c) {
      int64_t sy = ScaledCoordinate(d.rect.top + r, d.rate);
      int64_t sx = ScaledCoordinate(d.rect.left + c, d.rate);
      uint8_t* dst = buffer->data() + size_t(r) * size_t(*rowBytes) + size_t(c) * size_t(planes * bpc);
      const bool outside = sy < 0 || sx < 0 || sy >= doc.height || sx >= doc.width;
      if (outside) {
        if (d.padding == kPaddingError) return false;
        if (d.padding == kPaddingNone) continue;
        if (d.padding != kPaddingReplicate) {
          for (int32_t p = 0; p < planes; ++p) WritePaddingValue(dst + p * bpc, doc.depth, d.padding);
          continue;
        }
        sy = std::clamp<int64_t>(sy, 0, doc.height - 1);
        sx = std::clamp<int64_t>(sx, 0, doc.width - 1);
      }
      const uint8_t* src = DocumentPixelAddress(doc, int32_t(sx), int32_t(sy)) + size_t(d.loPlane) * size_t(bpc);
      std::memcpy(dst, src, size_t(planes * bpc));
    }
  }
  return true;
}

bool DeliverMask(TestHost* host, const Delivery& d, PixelBytes* buffer, int32_t* rowBytes) {
  TestDocument& doc = *host->document;
  const int32_t width = d.rect.right - d.rect.left;
  const int32_t height = d.rect.bottom - d.rect.top;
  *rowBytes = width + host->options.extraRowBytes;
  SizeDeliveryBuffer(host, buffer, size_t(*rowBytes) * size_t(height) + 1);
  for (int32_t r = 0; r < height; ++r) {
    for (int32_t c = 0; c < width; ++c) {
      int64_t sy = ScaledCoordinate(d.rect.top + r, d.rate);
      int64_t sx = ScaledCoordinate(d.rect.left + c, d.rate);
      uint8_t* dst = buffer->data() + size_t(r) * size_t(*rowBytes) + size_t(c);
      if (sy < 0 || sx < 0 || sy >= doc.height || sx >= doc.width) {
        if (d.padding == kPaddingError) return false;
        if (d.padding == kPaddingNone) continue;
        if (d.padding != kPaddingReplicate) {
          *dst = uint8_t(d.padding & 255);
          continue;
        }
        sy = std::clamp<int64_t>(sy, 0, doc.height - 1);
        sx = std::clamp<int64_t>(sx, 0, doc.width - 1);
      }
      *dst = doc.mask[size_t(sy) * size_t(doc.width) + size_t(sx)];
    }
  }
  return true;
}

TestRequest RequestOf(const FilterRecord& fr) {
  TestRequest q;
  q.inRect = fr.inRect;
  q.outRect = fr.outRect;
  q.maskRect = fr.maskRect;
  q.inLoPlane = fr.inLoPlane;
  q.inHiPlane = fr.inHiPlane;
  q.outLoPlane = fr.outLoPlane;
  q.outHiPlane = fr.outHiPlane;
  q.inputRate = fr.inputRate;
  q.maskRate = fr.maskRate;
  q.inputPadding = fr.inputPadding;
  q.outputPadding = fr.outputPadding;
  q.maskPadding = fr.maskPadding;
  return q;
}

void ClearDeliveryFields(FilterRecord& fr) {
  fr.inData = nullptr;
  fr.outData = nullptr;
  fr.maskData = nullptr;
  fr.inRowBytes = fr.outRowBytes = fr.maskRowBytes = 0;
}

// Delivers the rectangles the record asks for.
HostError DeliverRequest(TestHost* host) {
  FilterRecord& fr = host->record;
  TestHostCommitOutput(host);
  TestHostReleaseDelivery(host);
  host->requests.push_back(RequestOf(fr));
  const TestDocument& doc = *host->document;
  const int32_t bpc = DocumentBytesPerChannel(doc);

  // Output lands in the document straight away where its rows serve and
  // the host would write all of it back: inside the filter rectangle, not a
  // preview. Input then comes from the document too unless it overlaps that
  // output (the filter must not see its own writes in its input).
  const bool outPreview = host->runningSelector == kSelectorStart && GetDialogModuleState().mainDialog != nullptr;
  const Delivery outDelivery{fr.outRect, 1 << 16, fr.outLoPlane, fr.outHiPlane, fr.outputPadding};
  const Rect& f = doc.filterRect;
  const bool outInDocument = !RectIsEmpty(fr.outRect) && PlanesValid(doc, fr.outLoPlane, fr.outHiPlane) &&
                             !outPreview && DocumentRowsServe(host, outDelivery) && fr.outRect.left >= f.left &&
                             fr.outRect.top >= f.top && fr.outRect.right <= f.right && fr.outRect.bottom <= f.bottom;
  if (!RectIsEmpty(fr.inRect)) {
    if (!PlanesValid(doc, fr.inLoPlane, fr.inHiPlane) || fr.inputRate <= 0) return kFilterBadParameters;
    Delivery d{fr.inRect, fr.inputRate, fr.inLoPlane, fr.inHiPlane, fr.inputPadding};
    if (DocumentRowsServe(host, d) && !(outInDocument && RectsOverlap(fr.inRect, fr.outRect))) {
      const DocumentRows rows = DocumentRowsOf(host, d);
      fr.inData = rows.data;
      fr.inRowBytes = rows.rowBytes;
    } else {
      if (!DeliverPixels(host, d, &host->inBuffer, &fr.inRowBytes)) return kFilterBadParameters;
      fr.inData = host->inBuffer.data();
    }
    fr.inColumnBytes = (fr.inHiPlane - fr.inLoPlane + 1) * bpc;
    fr.inPlaneBytes = bpc;
  }
  if (!RectIsEmpty(fr.outRect)) {
    if (!PlanesValid(doc, fr.outLoPlane, fr.outHiPlane)) return kFilterBadParameters;
    if (outInDocument) {
      const DocumentRows rows = DocumentRowsOf(host, outDelivery);
      fr.outData = rows.data;
      fr.outRowBytes = rows.rowBytes;
    } else {
      if (!DeliverPixels(host, outDelivery, &host->outBuffer, &fr.outRowBytes)) return kFilterBadParameters;
      fr.outData = host->outBuffer.data();
    }
    fr.outColumnBytes = (fr.outHiPlane - fr.outLoPlane + 1) * bpc;
    fr.outPlaneBytes = bpc;
    host->outPending = true;
    host->outInDocument = outInDocument;
    host->pendingOutIsPreview = outPreview;
    host->pendingOutRect = fr.outRect;
    host->pendingOutLoPlane = fr.outLoPlane;
    host->pendingOutHiPlane = fr.outHiPlane;
    host->pendingOutRowBytes = fr.outRowBytes;
  }
  if (!RectIsEmpty(fr.maskRect) && doc.hasMask) {
    if (fr.maskRate <= 0) return kFilterBadParameters;
    Delivery d{fr.maskRect, fr.maskRate, 0, 0, fr.maskPadding};
    if (!DeliverMask(host, d, &host->maskBuffer, &fr.maskRowBytes)) return kFilterBadParameters;
    fr.maskData = host->maskBuffer.data();
  }
  return kNoErr;
}

HostError TestAdvanceStateCallback() { return TestHostAdvanceState(); }

void ProgressProcImpl(int32_t done, int32_t total) { currentHost->progress.emplace_back(done, total); }

HostBoolean AbortProcImpl() {
  const int32_t n = ++currentHost->abortCalls;
  return currentHost->abortAtCall > 0 && n >= currentHost->abortAtCall ? 1 : 0;
}

HostError DisplayPixelsProcImpl(const PSPixelMap* source, const Rect32* srcRect, int32_t dstRow, int32_t dstCol,
                                void* platformContext) {
  ++currentHost->displayPixelsCalls;
  if (!source || !srcRect || !source->baseAddr) return kFilterBadParameters;
  TestDisplayCall call;
  call.srcRect = *srcRect;
  call.dstRow = dstRow;
  call.dstCol = dstCol;
  call.imageMode = source->imageMode;
  call.rowBytes = source->rowBytes;
  call.colBytes = source->colBytes;
  call.planeBytes = source->planeBytes;
  call.bounds = source->bounds;
  call.context = platformContext;
  const bool eightBit = source->imageMode == kImageModeGrayScale || source->imageMode == kImageModeRGBColor;
  const int32_t width = srcRect->right - srcRect->left;
  const int32_t height = srcRect->bottom - srcRect->top;
  std::vector<uint8_t>& shown = currentHost->lastDisplayedPixels;
  shown.clear();
  if (eightBit && width > 0 && height > 0 && source->colBytes > 0 && srcRect->left >= source->bounds.left &&
      srcRect->top >= source->bounds.top && srcRect->right <= source->bounds.right &&
      srcRect->bottom <= source->bounds.bottom) {
    const size_t rowBytes = size_t(width) * size_t(source->colBytes);
    shown.resize(rowBytes * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(source->baseAddr) +
                           int64_t(srcRect->top - source->bounds.top + y) * source->rowBytes +
                           int64_t(srcRect->left - source->bounds.left) * source->colBytes;
      std::memcpy(shown.data() + size_t(y) * rowBytes, row, rowBytes);
    }
  }
  currentHost->displayCalls.push_back(call);
  return kNoErr;
}

HostError ColorServicesProcImpl(void* /*info*/) {
  ++currentHost->colorServicesCalls;
  return kUserCanceledErr;  // the test host has no colour picker
}

void FillRecord(TestHost* host) {
  FilterRecord& fr = host->record;
  const TestDocument& doc = *host->document;
  const TestHostOptions& o = host->options;
  fr = FilterRecord{};
  fr.serialNumber = 0;
  fr.abortProc = AbortProcImpl;
  fr.progressProc = ProgressProcImpl;
  fr.imageSize = HostPoint{int16_t(doc.height), int16_t(doc.width)};
  fr.wholeSize = fr.imageSize;
  fr.planes = DocumentPlanes(doc);
  fr.filterRect = doc.filterRect;
  for (int i = 0; i < 3; ++i) {
    fr.background[i] = 65535;
    fr.foreground[i] = 0;
    fr.backColor[i] = 255;
    fr.foreColor[i] = 0;
  }
  fr.maxSpace = o.maxSpace;
  fr.isFloating = 0;
  fr.haveMask = doc.hasMask ? 1 : 0;
  fr.autoMask = 0;
  fr.hostSig = o.hostSig;
  fr.imageMode = DocumentImageMode(doc);
  fr.imageHRes = fr.imageVRes = 72 << 16;
  fr.platformData = &host->platformData;
  fr.bufferProcs = o.hasBufferProcs ? &host->bufferProcs : nullptr;
  fr.handleProcs = o.hasHandleProcs ? &host->handleProcs : nullptr;
  fr.displayPixels = o.hasDisplayPixels ? DisplayPixelsProcImpl : nullptr;
  fr.advanceState = o.hasAdvanceState ? TestAdvanceStateCallback : nullptr;
  fr.colorServices = ColorServicesProcImpl;
  fr.supportsPadding = 1;
  fr.samplingSupport = o.samplingSupport;
  fr.inputRate = fr.maskRate = 1 << 16;
  fr.filterCase = int16_t(doc.hasTransparency ? (doc.hasMask ? 5 : 4) : (doc.hasMask ? 2 : 1));
  fr.inLayerPlanes = fr.outLayerPlanes = fr.absLayerPlanes = doc.colourPlanes;
  fr.inTransparencyMask = fr.outTransparencyMask = fr.absTransparencyMask = doc.hasTransparency ? 1 : 0;
  fr.descriptorParameters = o.hasDescriptorParameters ? &host->descriptorParameters : nullptr;
  fr.errorString = host->errorString;
  fr.depth = doc.depth;
  fr.inTileHeight = fr.outTileHeight = fr.maskTileHeight = fr.absTileHeight = int16_t(doc.height);
  fr.inTileWidth = fr.outTileWidth = fr.maskTileWidth = fr.absTileWidth = int16_t(doc.width);
}

}  // namespace

bool RectIsEmpty(const Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

void MakeTestHostCurrent(TestHost* host) { currentHost = host; }

TestHost* CurrentTestHost() { return currentHost; }

void InitTestHost(TestHost* host, TestDocument* document, const TestHostOptions& options) {
  host->options = options;
  host->document = document;
  MakeTestHostCurrent(host);
  InstallTestHostProcs(host);
  InstallTestHostDescriptorProcs(host);
  FillRecord(host);
}

void ShutdownTestHost(TestHost* host) {
  MakeTestHostCurrent(host);
  TestHostReleaseDelivery(host);
  for (auto& entry : host->handles) {
    if (!entry->disposed) host->handleProcs.disposeProc(&entry->master);
  }
  host->handles.clear();
  while (!host->buffers.empty()) host->bufferProcs.freeProc(host->buffers.back()->id);
  host->bufferArena.reset();
  host->descriptorTokens.clear();
  host->data = 0;
  host->record.parameters = nullptr;
  host->descriptorParameters.descriptor = nullptr;
  if (currentHost == host) currentHost = nullptr;
}

HostError TestHostAdvanceState() {
  TestHost* host = currentHost;
  ++host->advanceStateCalls;
  const HostError err = DeliverRequest(host);
  if (err != kNoErr) {
    ++host->requestErrors;
    TestHostReleaseDelivery(host);
  }
  return err;
}

void TestHostCommitOutput(TestHost* host) {
  if (!host->outPending) return;
  host->outPending = false;
  if (host->outInDocument) return;  // written there already
  // Output delivered while the plug-in's dialog was open is its preview: the
  // host shows it and keeps the document as it was.
  if (host->pendingOutIsPreview) return;
  TestDocument& doc = *host->document;
  const Rect& r = host->pendingOutRect;
  const Rect& f = doc.filterRect;
  const int32_t bpc = DocumentBytesPerChannel(doc);
  const int32_t planes = host->pendingOutHiPlane - host->pendingOutLoPlane + 1;
  // The columns written: inside both rectangles and the document.
  const int32_t left = std::max<int32_t>({r.left, f.left, 0});
  const int32_t right = std::min<int32_t>({r.right, f.right, doc.width});
  if (left >= right) return;
  const size_t runBytes = size_t(planes * bpc);
  // With all of the document's planes a row is one run of its bytes.
  const bool wholePixels = host->pendingOutLoPlane == 0 && runBytes == size_t(DocumentPlanes(doc)) * size_t(bpc);
  for (int32_t y = std::max(r.top, f.top); y < std::min(r.bottom, f.bottom); ++y) {
    if (y < 0 || y >= doc.height) continue;
    const uint8_t* srcRow = host->outBuffer.data() + size_t(y - r.top) * size_t(host->pendingOutRowBytes);
    if (wholePixels) {
      std::memcpy(DocumentPixelAddress(doc, left, y), srcRow + size_t(left - r.left) * runBytes,
                  size_t(right - left) * runBytes);
      continue;
    }
    for (int32_t x = left; x < right; ++x) {
      const uint8_t* src = srcRow + size_t(x - r.left) * runBytes;
      uint8_t* dst = DocumentPixelAddress(doc, x, y) + size_t(host->pendingOutLoPlane) * size_t(bpc);
      std::memcpy(dst, src, runBytes);
    }
  }
}

void TestHostReleaseDelivery(TestHost* host) {
  if (host->options.markMemory) {
    // Fresh vectors each time: a filter that keeps a pointer past its
    // delivery reads freed memory, which the sanitizer build reports.
    PixelBytes().swap(host->inBuffer);
    PixelBytes().swap(host->outBuffer);
    PixelBytes().swap(host->maskBuffer);
  } else {
    host->inBuffer.clear();
    host->outBuffer.clear();
    host->maskBuffer.clear();
  }
  host->outInDocument = false;
  ClearDeliveryFields(host->record);
}

HostError CallFilterSelector(TestHost* host, PluginEntryProc entry, int16_t selector) {
  MakeTestHostCurrent(host);
  int16_t result = 0;
  if (selector == kSelectorContinue) {
    const HostError err = DeliverRequest(host);
    if (err != kNoErr) {
      ++host->requestErrors;
      TestHostReleaseDelivery(host);
      return err;
    }
  }
  if (host->moveUnlockedHandles) MoveUnlockedHandles(host);
  host->runningSelector = selector;
  entry(selector, &host->record, &host->data, &result);
  TestHostCommitOutput(host);
  host->runningSelector = -1;
  TestHostReleaseDelivery(host);
  return result;
}

HostError RunFilterSelectors(TestHost* host, PluginEntryProc entry, const TestRunOptions& runOptions,
                             TestRunReport* report) {
  TestRunReport local;
  TestRunReport* out = report ? report : &local;
  auto call = [&](int16_t selector) {
    const HostError result = CallFilterSelector(host, entry, selector);
    out->selectors.push_back(selector);
    out->results.push_back(result);
    return result;
  };
  HostError result = kNoErr;
  if (runOptions.withParameters && (result = call(kSelectorParameters)) != kNoErr) return result;
  // The host clears the rectangles before prepare; a filter that asks for nothing gets no continue.
  host->record.inRect = host->record.outRect = host->record.maskRect = Rect{};
  if ((result = call(kSelectorPrepare)) != kNoErr) return result;
  if ((result = call(kSelectorStart)) != kNoErr) return result;
  const FilterRecord& fr = host->record;
  while (!RectIsEmpty(fr.inRect) || !RectIsEmpty(fr.outRect) || !RectIsEmpty(fr.maskRect)) {
    if (out->continueCalls >= runOptions.maxContinueCalls) return kFilterBadParameters;
    ++out->continueCalls;
    if ((result = call(kSelectorContinue)) != kNoErr) return result;
  }
  if (runOptions.withFinish && (result = call(kSelectorFinish)) != kNoErr) return result;
  return kNoErr;
}
