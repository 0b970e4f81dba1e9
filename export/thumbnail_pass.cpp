#include "export/thumbnail_pass.h"

#include <vector>

#include "export/export_files.h"
#include "export/export_passes.h"
#include "export/export_plan.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "projection/output_shapes.h"
#include "render/run_tables.h"
#include "settings/thumbnail.h"

bool RenderSettingsThumbnail(GlobalsRecord* globals, SettingsThumbnail* thumbnail) {
  WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  if (work == nullptr || thumbnail == nullptr) return false;
  SmallPictureRender picture;
  BeginSmallPictureRender(globals, kThumbnailSide, &picture);
  const int32_t w = picture.width, h = picture.height;
  ImageRecord image;
  InitImageRecord(&image, &globals->imageOwner, &work->filterTables);
  bool ok = w >= 1 && h >= 1 && w <= kThumbnailSide && h <= kThumbnailSide &&
            CreateImage(&image, w, h, PixelRgba8, FetchClamp);
  if (ok) {
    uint8_t cancel = 0;
    work->offscreenTarget = &image;
    ok = RenderExportImage(globals, &image, &cancel) == kExportDone;
    work->offscreenTarget = nullptr;
  }
  if (ok) {
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        uint32_t r = 0, g = 0, b = 0, a = 0;
        GetPixelRgba(x, y, &image, 0, &r, &g, &b, &a);
        uint8_t* p = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
        p[0] = uint8_t(r > 255 ? 255 : r);
        p[1] = uint8_t(g > 255 ? 255 : g);
        p[2] = uint8_t(b > 255 ? 255 : b);
        p[3] = uint8_t(a > 255 ? 255 : a);
      }
    }
    const PixelRaster raster{w, h, 4, rgba.data()};
    CopyImageToThumbnail(thumbnail, &raster);
    thumbnail->exists = true;
  }
  FreeImageRecord(&image);
  EndSmallPictureRender(globals, &picture);
  return ok;
}
