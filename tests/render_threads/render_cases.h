// A set of whole renders through the test host: closed-form outputs of
// several families, overlays, glue modes, 8-bit, 16-bit and float documents,
// grey and RGB, with and without transparency, final renders and previews
// of each quality. Each case renders into a fresh document and answers a
// 64-bit digest of the bytes it wrote (the document after a final render,
// the host's preview buffer after a preview). Shared by the test that
// compares thread counts and by the reference-render tool.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_records.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"

namespace render_cases {

enum class Mode { Final, Preview };

struct DocumentKind {
  int16_t planes = 3;  // 1 grey, 3 RGB
  int32_t depth = 8;   // 8, 16 or 32
  bool alpha = false;
  int32_t width = 192;
  int32_t height = 96;
};

struct Case {
  std::string name;
  DocumentKind kind;
  Mode mode = Mode::Final;
  int32_t previewQuality = 3;  // previews: 1 good, 2 better, 3 best
  int32_t previewScale = 1;
  int32_t panX = 0;
  int32_t panY = 0;
  std::function<void(ParameterBlock*)> edit;
};

// A panorama-like picture: smooth gradients, a soft checker, a few sharp
// lines and a little noise, so that every pyramid level and every sampler
// path has something to show; transparency falls off towards one corner.
inline TestDocument MakeCaseDocument(const DocumentKind& kind) {
  TestDocument doc = MakeTestDocument(kind.width, kind.height, kind.planes, kind.depth, kind.alpha);
  const double full = DocumentFullScale(doc);
  uint32_t noise = 12345u;
  for (int32_t y = 0; y < kind.height; ++y) {
    for (int32_t x = 0; x < kind.width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const double fx = double(x) / (kind.width - 1);
      const double fy = double(y) / (kind.height - 1);
      const bool check = (((x >> 4) ^ (y >> 4)) & 1) != 0;
      const bool line = (x % 37) == 0 || (y % 29) == 0;
      const double jitter = double(noise >> 24) / 255.0 * 0.06;
      double rgb[3] = {fx * 0.8 + jitter, fy * 0.7 + (check ? 0.2 : 0.0), line ? 0.95 : 0.3 + 0.4 * fx * fy};
      if (kind.depth == 32) rgb[0] *= 1.15;  // a little over-range light in float documents
      for (int16_t c = 0; c < kind.planes; ++c) {
        const double v = kind.planes == 1 ? (rgb[0] + rgb[1] + rgb[2]) / 3.0 : rgb[c];
        SetDocumentSample(doc, x, y, c, kind.depth == 32 ? v * full : std::min(v, 1.0) * full);
      }
      if (kind.alpha) SetDocumentSample(doc, x, y, kind.planes, (1.0 - 0.6 * fx * fy) * full);
    }
  }
  return doc;
}

// Settings every case starts from: no dialog, no rotation, no overlay,
// normal glue, equirectangular in and out.
inline void BaseSettings(ParameterBlock* block) {
  block->showDialog = 0;
  block->latitude = block->longitude = block->spin = 0.0f;
  block->fov = 120.0f;
  block->sharpen = 0.0f;
  block->grid2 = 1;
  block->indicatrix = 0;
  block->edges = 0;
  block->keepTransparency = 0;
  block->transparentGaps = 0;
  block->inputProjection = 1;
  block->outputProjection = 1;
  block->glue = 1;
}

inline uint64_t Fnv1a(const uint8_t* data, size_t size, uint64_t hash = 1469598103934665603ull) {
  for (size_t i = 0; i < size; ++i) {
    hash ^= data[i];
    hash *= 1099511628211ull;
  }
  return hash;
}

struct CaseResult {
  HostError result = kNoErr;
  uint64_t digest = 0;
  std::vector<uint8_t> bytes;  // what the digest was taken of
};

inline CaseResult RunFinal(const Case& c) {
  CaseResult out;
  TestDocument doc = MakeCaseDocument(c.kind);
  TestHost host;
  TestHostOptions options;
  options.hasDescriptorParameters = false;
  InitTestHost(&host, &doc, options);
  host.moveUnlockedHandles = true;
  out.result = CallFilterSelector(&host, PluginMain, kSelectorParameters);
  if (out.result == kNoErr) {
    auto* block = reinterpret_cast<ParameterBlock*>(*host.record.parameters);
    BaseSettings(block);
    if (c.edit) c.edit(block);
    TestRunOptions run;
    run.withParameters = false;
    out.result = RunFilterSelectors(&host, PluginMain, run, nullptr);
  }
  ShutdownTestHost(&host);
  out.bytes.assign(doc.pixels.begin(), doc.pixels.end());
  return out;
}

// A preview as the dialog asks for one, after the start phase set the run up.
inline CaseResult RunPreview(const Case& c) {
  CaseResult out;
  TestDocument doc = MakeCaseDocument(c.kind);
  TestHost host;
  TestHostOptions options;
  options.hasDescriptorParameters = false;
  InitTestHost(&host, &doc, options);
  host.moveUnlockedHandles = true;
  HostError result = CallFilterSelector(&host, PluginMain, kSelectorParameters);
  if (result == kNoErr) {
    auto* block = reinterpret_cast<ParameterBlock*>(*host.record.parameters);
    BaseSettings(block);
    block->keepTransparency = 1;
    if (c.edit) c.edit(block);
    block->previewQuality = c.previewQuality;
    result = CallFilterSelector(&host, PluginMain, kSelectorPrepare);
  }
  if (result == kNoErr) result = CallFilterSelector(&host, PluginMain, kSelectorStart);
  if (result == kNoErr) {
    MakeTestHostCurrent(&host);
    GlobalsRecord* g = *reinterpret_cast<GlobalsRecord**>(host.data);
    g->resultPtr = &result;
    g->filterRecord = &host.record;
    ParameterBlock* block = GetParameterBlock(g);
    block->runMode = RunModePreview;
    block->previewPanX = c.panX;
    block->previewPanY = c.panY;
    g->previewRect = Rect{0, 0, 1000, 1000};
    RequestScaledInput(g, c.previewScale);
    if (result == kNoErr) RenderPreviewImage(g);
    out.bytes.assign(host.outBuffer.begin(), host.outBuffer.end());
  }
  out.result = result;
  ShutdownTestHost(&host);
  return out;
}

inline CaseResult RunCase(const Case& c) {
  CaseResult out = c.mode == Mode::Final ? RunFinal(c) : RunPreview(c);
  out.digest = Fnv1a(out.bytes.data(), out.bytes.size());
  return out;
}

inline std::vector<Case> ReferenceCases() {
  using PB = ParameterBlock;
  const DocumentKind rgb8{};
  const DocumentKind grey8{1, 8, false};
  const DocumentKind rgba8{3, 8, true};
  const DocumentKind rgb16{3, 16, false};
  const DocumentKind greyA16{1, 16, true};
  const DocumentKind rgbFloat{3, 32, false};
  const DocumentKind rgbaFloat{3, 32, true};
  const DocumentKind tall{3, 8, false, 80, 150};
  auto output = [](int32_t n, float lat = 0, float lon = 0, float spin = 0, float fov = 120) {
    return [=](PB* b) {
      b->outputProjection = n;
      b->latitude = lat;
      b->longitude = lon;
      b->spin = spin;
      b->fov = fov;
    };
  };
  auto with = [](std::function<void(PB*)> first, std::function<void(PB*)> then) {
    return [=](PB* b) {
      first(b);
      then(b);
    };
  };
  std::vector<Case> cases = {
      // Closed-form outputs of the main families, turned and not.
      {"equirectangular turned", rgb8, Mode::Final, 3, 1, 0, 0, output(1, 30, 45, 10)},
      {"sinusoidal", rgb8, Mode::Final, 3, 1, 0, 0, output(13)},
      {"Mollweide", rgb8, Mode::Final, 3, 1, 0, 0, output(46, -20, 70, 0)},
      {"rectilinear 90", rgb8, Mode::Final, 3, 1, 0, 0, output(14, 10, -30, 5, 90)},
      {"Peirce quincunx", rgb8, Mode::Final, 3, 1, 0, 0, output(94, 15, 0, 0)},
      {"orthographic ball", rgb8, Mode::Final, 3, 1, 0, 0, output(5, 40, 20, 0)},
      {"polar", rgb8, Mode::Final, 3, 1, 0, 0, output(3)},
      {"stereographic", rgb8, Mode::Final, 3, 1, 0, 0, output(16, -50, 0, 30, 200)},
      {"Winkel Tripel", rgb8, Mode::Final, 3, 1, 0, 0, output(35)},
      {"Robinson", rgb8, Mode::Final, 3, 1, 0, 0, output(80, 0, 100, 0)},
      {"tunable ellipsoid", rgb8, Mode::Final, 3, 1, 0, 0, output(73, 0, 0, 0, 150)},
      {"shift lens", rgb8, Mode::Final, 3, 1, 0, 0, output(60, 25, 0, 0, 100)},
      {"Mercator", rgb8, Mode::Final, 3, 1, 0, 0, output(62)},
      {"Lagrange", rgb8, Mode::Final, 3, 1, 0, 0, output(69)},
      {"Quick globe", rgb8, Mode::Final, 3, 1, 0, 0, output(139, 20, 0, 0)},
      {"Gilbert globe", rgb8, Mode::Final, 3, 1, 0, 0, output(143)},
      {"equal squarea", rgb8, Mode::Final, 3, 1, 0, 0, output(140)},
      {"zenith and nadir", rgb8, Mode::Final, 3, 1, 0, 0, output(171)},
      {"sprocket-6", rgb8, Mode::Final, 3, 1, 0, 0, output(51, 0, 30, 0)},
      {"Adams 1", rgb8, Mode::Final, 3, 1, 0, 0, output(90)},
      {"Werner", rgb8, Mode::Final, 3, 1, 0, 0, output(12, 0, 0, 20)},
      {"Hammer tall", tall, Mode::Final, 3, 1, 0, 0, output(11, 0, 0, 45)},
      {"equal-area cylinder", rgb8, Mode::Final, 3, 1, 0, 0, output(138, 20, 0, 0)},
      {"lozenge", rgb8, Mode::Final, 3, 1, 0, 0, output(20)},
      {"cylinder turned", rgb8, Mode::Final, 3, 1, 0, 0, output(17, 0, 30, 0)},
      {"equi tall", tall, Mode::Final, 3, 1, 0, 0, output(81)},
      // Inputs other than the equirectangular one.
      {"Mollweide input", rgb8, Mode::Final, 3, 1, 0, 0, with(output(1, 0, 0, 0), [](PB* b) { b->inputProjection = 7; })},
      {"horizontal cross input", rgb8, Mode::Final, 3, 1, 0, 0,
       with(output(14, 20, 30, 0, 100), [](PB* b) { b->inputProjection = 27; })},
      {"vertical cross input", tall, Mode::Final, 3, 1, 0, 0,
       with(output(1, 0, 0, 0), [](PB* b) { b->inputProjection = 28; })},
      {"mirror ball input", rgb8, Mode::Final, 3, 1, 0, 0, with(output(13), [](PB* b) { b->inputProjection = 2; })},
      {"Mercator input flipped", rgb8, Mode::Final, 3, 1, 0, 0, with(output(46), [](PB* b) {
         b->inputProjection = 20;
         b->flip = 1;
       })},
      {"gores input", rgb8, Mode::Final, 3, 1, 0, 0, with(output(1), [](PB* b) { b->inputProjection = 12; })},
      {"stereographic input", rgb8, Mode::Final, 3, 1, 0, 0, with(output(5), [](PB* b) { b->inputProjection = 15; })},
      // Overlays.
      {"graticule", rgb8, Mode::Final, 3, 1, 0, 0, with(output(46, 10, 20, 0), [](PB* b) { b->grid2 = 4; })},
      {"indicatrix dots", rgb8, Mode::Final, 3, 1, 0, 0, with(output(1, 35, 60, 20), [](PB* b) { b->indicatrix = 1; })},
      {"dots and graticule", rgb16, Mode::Final, 3, 1, 0, 0, with(output(94, 20, 0, 0), [](PB* b) {
         b->indicatrix = 1;
         b->grid2 = 2;
       })},
      {"region edges", rgb8, Mode::Final, 3, 1, 0, 0, with(output(171, 0, 30, 0), [](PB* b) { b->edges = 1; })},
      {"edges on a cross input", rgb8, Mode::Final, 3, 1, 0, 0, with(output(5, 30, 30, 0), [](PB* b) {
         b->inputProjection = 27;
         b->edges = 1;
         b->grid2 = 6;
       })},
      // Glue modes, sharpening, de-haloing, backdrop and transparency.
      {"glue 2 tent", rgb8, Mode::Final, 3, 1, 0, 0, with(output(46), [](PB* b) { b->glue = 2; })},
      {"glue 17", rgb16, Mode::Final, 3, 1, 0, 0, with(output(13, 0, 40, 0), [](PB* b) { b->glue = 17; })},
      {"glue 40 grey", grey8, Mode::Final, 3, 1, 0, 0, with(output(94), [](PB* b) { b->glue = 40; })},
      {"glue 55 float", rgbFloat, Mode::Final, 3, 1, 0, 0, with(output(5, 20, 0, 0), [](PB* b) { b->glue = 55; })},
      {"sharpened", rgb8, Mode::Final, 3, 1, 0, 0, with(output(14, 0, 0, 0, 60), [](PB* b) { b->sharpen = 60.0f; })},
      {"dehalo", rgb16, Mode::Final, 3, 1, 0, 0, with(output(46, 0, 0, 30), [](PB* b) { b->dehalo = 1; })},
      {"backdrop colour", rgb8, Mode::Final, 3, 1, 0, 0, with(output(5), [](PB* b) {
         b->backdropRed = 50000;
         b->backdropGreen = 12000;
         b->backdropBlue = 30000;
       })},
      {"transparent gaps", rgba8, Mode::Final, 3, 1, 0, 0, with(output(46, 0, 90, 0), [](PB* b) {
         b->transparentGaps = 1;
         b->keepTransparency = 1;
       })},
      {"grey 16 with alpha", greyA16, Mode::Final, 3, 1, 0, 0, with(output(94, 30, 0, 0), [](PB* b) {
         b->keepTransparency = 1;
       })},
      {"float with alpha", rgbaFloat, Mode::Final, 3, 1, 0, 0, with(output(13, 0, 0, 0), [](PB* b) {
         b->keepTransparency = 1;
       })},
      // Previews of each quality, scaled and panned.
      {"preview good", rgb8, Mode::Preview, 1, 1, 0, 0, output(46, 10, 0, 0)},
      {"preview better", rgb8, Mode::Preview, 2, 1, 0, 0, output(94)},
      {"preview best", rgb8, Mode::Preview, 3, 1, 0, 0, output(14, 0, 20, 0, 100)},
      {"preview scaled and panned", rgb16, Mode::Preview, 3, 2, 9, -5, output(5, 30, 0, 0)},
      {"preview float with dots", rgbFloat, Mode::Preview, 2, 1, 0, 0, with(output(1, 20, 0, 0), [](PB* b) {
         b->indicatrix = 1;
       })},
      {"preview grey with edges", grey8, Mode::Preview, 3, 1, 0, 0, with(output(171), [](PB* b) {
         b->edges = 1;
         b->grid2 = 3;
       })},
      // Nets: faces, tabs and region edges (the tetrahedron's net is the one given in full).
      {"tetrahedron net", rgb8, Mode::Final, 3, 1, 0, 0, with(output(6, 10, 20, 0), [](PB* b) { b->tabs = 10; })},
      {"tetrahedron net with edges", rgb16, Mode::Final, 3, 1, 0, 0, with(output(6, -30, 0, 15), [](PB* b) {
         b->tabs = 6;
         b->edges = 1;
       })},
      {"four views of the tetrahedron", rgb8, Mode::Final, 3, 1, 0, 0, output(75)},
      {"preview tetrahedron net", rgb8, Mode::Preview, 2, 1, 0, 0, with(output(6, 0, 45, 0), [](PB* b) { b->tabs = 10; })},
  };
  return cases;
}

}  // namespace render_cases
