// TIFF files through libtiff, on our own stream procedures so that a read
// works on any input the program opened and a write records why it failed.
//
// Reading: grey and RGB at 8 or 16 bits or 32-bit float, in strips or tiles,
// with the samples of a pixel together or in planes, keep their depth; other
// kinds the library can turn into RGBA (palettes, 1, 2 and 4-bit grey,
// min-is-white, YCbCr) come through its RGBA path as 8-bit. Before anything
// is allocated, every strip or tile must lie inside the file and an
// uncompressed one must hold the bytes its rows need.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "app/image_codecs.h"
#include "render/worker_pool.h"

namespace {

// --- library messages ------------------------------------------------------------

struct TiffMessages {
  std::string error;  // the first error the library reported
};

int KeepTiffError(TIFF*, void* user, const char* module, const char* format, va_list arguments) {
  auto* messages = static_cast<TiffMessages*>(user);
  if (messages && messages->error.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    messages->error = text;
    (void)module;
  }
  return 1;  // handled: nothing reaches the library's global handler
}

int IgnoreTiffWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffOptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using TiffOptionsPtr = std::unique_ptr<TIFFOpenOptions, TiffOptionsDeleter>;

TiffOptionsPtr MakeTiffOptions(TiffMessages* messages, int64_t memoryLimit) {
  TiffOptionsPtr options(TIFFOpenOptionsAlloc());
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepTiffError, messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreTiffWarning, nullptr);
  if (memoryLimit > 0) TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(memoryLimit));
  return options;
}

struct TiffCloser {
  void operator()(TIFF* t) const {
    if (t) TIFFClose(t);
  }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// --- stream procedures: reading from a FILE --------------------------------------

struct TiffSource {
  FILE* file;
  int64_t length;
};

tmsize_t SourceRead(thandle_t handle, void* data, tmsize_t size) {
  auto* source = static_cast<TiffSource*>(handle);
  return size <= 0 ? 0 : tmsize_t(std::fread(data, 1, size_t(size), source->file));
}
tmsize_t SourceWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t SourceSeek(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<TiffSource*>(handle);
  if (offset > toff_t(INT64_MAX)) return toff_t(-1);
  if (fseeko(source->file, off_t(offset), whence) != 0) return toff_t(-1);
  return toff_t(ftello(source->file));
}
int SourceClose(thandle_t) { return 0; }
toff_t SourceSize(thandle_t handle) { return toff_t(static_cast<TiffSource*>(handle)->length); }
int NoMap(thandle_t, void**, toff_t*) { return 0; }
void NoUnmap(thandle_t, void*, toff_t) {}

// --- stream procedures: writing to a file descriptor -----------------------------

struct TiffTarget {
  int fd;
  int error;  // errno of the first failed call
};

tmsize_t TargetRead(thandle_t handle, void* data, tmsize_t size) {
  auto* target = static_cast<TiffTarget*>(handle);
  const ssize_t n = read(target->fd, data, size_t(size));
  return n < 0 ? 0 : tmsize_t(n);
}
tmsize_t TargetWrite(thandle_t handle, void* data, tmsize_t size) {
  auto* target = static_cast<TiffTarget*>(handle);
  const auto* bytes = static_cast<const uint8_t*>(data);
  tmsize_t done = 0;
  while (done < size) {
    const ssize_t n = write(target->fd, bytes + done, size_t(size - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (target->error == 0) target->error = n < 0 ? errno : EIO;
      return -1;
    }
    done += n;
  }
  return done;
}
toff_t TargetSeek(thandle_t handle, toff_t offset, int whence) {
  auto* target = static_cast<TiffTarget*>(handle);
  const off_t at = lseek(target->fd, off_t(offset), whence);
  if (at < 0 && target->error == 0) target->error = errno;
  return at < 0 ? toff_t(-1) : toff_t(at);
}
int TargetClose(thandle_t) { return 0; }
toff_t TargetSize(thandle_t handle) {
  struct stat st;
  return fstat(static_cast<TiffTarget*>(handle)->fd, &st) == 0 ? toff_t(st.st_size) : 0;
}

// --- reading ---------------------------------------------------------------------

struct TiffKind {
  uint32_t width = 0, height = 0;
  uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, photometric = 0;
  uint16_t compression = COMPRESSION_NONE;
  bool hasPhotometric = false;
  bool alpha = false;  // an extra sample that is alpha
  bool tiled = false;
};

TiffKind ReadKind(TIFF* tif) {
  TiffKind k;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &k.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &k.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &k.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &k.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &k.format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &k.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &k.compression);
  k.hasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &k.photometric) == 1;
  uint16_t extraCount = 0;
  uint16_t* extraTypes = nullptr;
  if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) == 1 && extraCount > 0 && extraTypes)
    k.alpha = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA;
  k.tiled = TIFFIsTiled(tif) != 0;
  return k;
}

// Kinds read sample for sample at their own depth.
bool PlainKind(const TiffKind& k) {
  const bool depth = ((k.bits == 8 || k.bits == 16) && k.format == SAMPLEFORMAT_UINT) ||
                     (k.bits == 32 && k.format == SAMPLEFORMAT_IEEEFP);
  const bool colour = k.hasPhotometric &&
                      (k.photometric == PHOTOMETRIC_MINISBLACK || k.photometric == PHOTOMETRIC_RGB) &&
                      k.samples >= 1 && k.samples <= 4 && !(k.photometric == PHOTOMETRIC_RGB && k.samples < 3);
  return depth && colour;
}

std::string PhotometricName(const TiffKind& k) {
  if (!k.hasPhotometric) return "no colour interpretation";
  switch (k.photometric) {
    case PHOTOMETRIC_MINISWHITE: return "min-is-white grey";
    case PHOTOMETRIC_MINISBLACK: return "grey";
    case PHOTOMETRIC_RGB: return "RGB";
    case PHOTOMETRIC_PALETTE: return "palette";
    case PHOTOMETRIC_MASK: return "transparency mask";
    case PHOTOMETRIC_SEPARATED: return "CMYK (separated)";
    case PHOTOMETRIC_YCBCR: return "YCbCr";
    case PHOTOMETRIC_CIELAB: return "CIE L*a*b*";
    case PHOTOMETRIC_LOGL: return "LogL";
    case PHOTOMETRIC_LOGLUV: return "LogLuv";
    default: return "colour interpretation " + std::to_string(k.photometric);
  }
}

std::string SampleFormatName(uint16_t format) {
  switch (format) {
    case SAMPLEFORMAT_UINT: return "unsigned integer";
    case SAMPLEFORMAT_INT: return "signed integer";
    case SAMPLEFORMAT_IEEEFP: return "floating-point";
    default: return "complex or unknown";
  }
}

struct TiffRead {
  const InputStream* in = nullptr;
  const ReadOptions* options = nullptr;
  TIFF* tif = nullptr;
  TiffMessages* messages = nullptr;
  TiffKind kind;
  ImageFile image;
  std::string error;
  bool stopped = false;
};

bool ReadFailed(TiffRead* r, const std::string& what) {
  r->error = r->in->name + ": " + what;
  if (!r->messages->error.empty()) r->error += " (" + r->messages->error + ")";
  return false;
}

bool Stop(TiffRead* r) {
  if (!StopAsked(*r->options)) return false;
  r->stopped = true;
  return true;
}

// Every strip or tile inside the file; uncompressed ones as long as their rows.
bool CheckStriles(TiffRead* r) {
  TIFF* tif = r->tif;
  const int64_t length = r->in->length;
  const bool tiled = r->kind.tiled;
  const uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  const char* noun = tiled ? "tile" : "strip";
  if (count == 0) return ReadFailed(r, std::string("bad TIFF: no ") + noun + "s");
  uint32_t rowsPerStrip = 0;
  if (!tiled) TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  const uint32_t stripsPerPlane = tiled ? 0 : TIFFNumberOfStrips(tif) / std::max<uint32_t>(
                                                  1, r->kind.planar == PLANARCONFIG_SEPARATE ? r->kind.samples : 1);
  for (uint32_t i = 0; i < count; ++i) {
    int failed = 0;
    const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &failed);
    if (failed) return ReadFailed(r, std::string("bad TIFF: cannot read the offset of ") + noun + " " + std::to_string(i));
    const uint64_t bytes = TIFFGetStrileByteCountWithErr(tif, i, &failed);
    if (failed) return ReadFailed(r, std::string("bad TIFF: cannot read the size of ") + noun + " " + std::to_string(i));
    if (offset > uint64_t(length) || bytes > uint64_t(length) - offset)
      return ReadFailed(r, "bad TIFF: " + std::string(noun) + " " + std::to_string(i) + " of the " +
                               std::to_string(r->kind.width) + " x " + std::to_string(r->kind.height) + " image (" +
                               std::to_string(bytes) + " bytes at " + std::to_string(offset) +
                               ") lies past the end of the file (" + std::to_string(length) + " bytes)");
    if (r->kind.compression != COMPRESSION_NONE) continue;
    uint64_t need = 0;
    if (tiled) {
      need = uint64_t(TIFFTileSize64(tif));
    } else {
      const uint32_t first = stripsPerPlane > 0 ? (i % stripsPerPlane) * rowsPerStrip : 0;
      const uint32_t rows = first < r->kind.height ? std::min(rowsPerStrip, r->kind.height - first) : 0;
      need = uint64_t(TIFFVStripSize64(tif, rows));
    }
    if (bytes < need)
      return ReadFailed(r, "bad TIFF: the " + std::to_string(r->kind.width) + " x " + std::to_string(r->kind.height) +
                               " image's uncompressed " + noun + " " + std::to_string(i) + " holds " +
                               std::to_string(bytes) + " bytes, fewer than the " + std::to_string(need) +
                               " its pixels need");
  }
  return true;
}

// --- reading groups of strips on several threads ------------------------------------
//
// A large image in strips, with the samples of a pixel together, in a file
// that can be read at any offset: groups of strips are decoded by the
// library on worker threads, each through a handle of its own on the file,
// straight into the image's rows.

constexpr uint32_t kStripsPerReadGroup = 64;
// Smaller images are read on the calling thread.
constexpr int64_t kParallelReadPixels = 1 << 20;

struct PreadSource {
  int fd;
  int64_t length;
  uint64_t at = 0;
};

tmsize_t PreadRead(thandle_t handle, void* data, tmsize_t size) {
  auto* source = static_cast<PreadSource*>(handle);
  auto* bytes = static_cast<uint8_t*>(data);
  tmsize_t done = 0;
  while (done < size) {
    const ssize_t n = pread(source->fd, bytes + done, size_t(size - done), off_t(source->at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
    source->at += uint64_t(n);
  }
  return done;
}
toff_t PreadSeek(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<PreadSource*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = source->at;
  if (whence == SEEK_END) base = uint64_t(source->length);
  source->at = base + offset;
  return toff_t(source->at);
}
toff_t PreadSize(thandle_t handle) { return toff_t(static_cast<PreadSource*>(handle)->length); }

struct ReadGroups {
  TiffRead* r;
  int fd;
  uint32_t rowsPerStrip;
  uint32_t firstGroup;
  std::vector<std::string>* errors;  // one a group of the wave, empty when it was read
};

void ReadStripGroup(void* arg, int32_t index) {
  const auto* w = static_cast<const ReadGroups*>(arg);
  TiffRead* r = w->r;
  std::string& error = (*w->errors)[size_t(index)];
  TiffMessages messages;
  TiffOptionsPtr options = MakeTiffOptions(&messages, r->options->decoderMemory);
  PreadSource source{w->fd, r->in->length};
  TiffPtr tif(TIFFClientOpenExt(r->in->name.c_str(), "rm", &source, PreadRead, SourceWrite, PreadSeek, SourceClose,
                                PreadSize, NoMap, NoUnmap, options.get()));
  const uint32_t first = (w->firstGroup + uint32_t(index)) * kStripsPerReadGroup * w->rowsPerStrip;
  const uint32_t last = uint32_t(std::min<uint64_t>(uint64_t(first) + uint64_t(kStripsPerReadGroup) * w->rowsPerStrip,
                                                    r->kind.height));
  if (!tif) {
    error = "TIFF read failed at row " + std::to_string(first);
  } else {
    const size_t rowBytes = size_t(RowBytes(r->image));
    for (uint32_t y = first; y < last; ++y) {
      if (TIFFReadScanline(tif.get(), r->image.pixels.data() + rowBytes * y, y, 0) < 0) {
        error = "TIFF read failed at row " + std::to_string(y);
        break;
      }
    }
  }
  if (!error.empty() && !messages.error.empty()) error += " (" + messages.error + ")";
}

// True when the strips were read (or failed) in groups; false when the image
// is not one for this road.
bool ReadStripGroupsInParallel(TiffRead* r, bool* ok) {
  TIFF* tif = r->tif;
  const TiffKind& k = r->kind;
  const int32_t threads = RenderThreadCount();
  const int fd = r->in->file ? fileno(r->in->file) : -1;
  uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (threads <= 1 || fd < 0 || k.planar != PLANARCONFIG_CONTIG || rowsPerStrip == 0 ||
      int64_t(k.width) * k.height < kParallelReadPixels || TIFFScanlineSize(tif) != tmsize_t(RowBytes(r->image)))
    return false;
  const uint64_t strips = (uint64_t(k.height) + rowsPerStrip - 1) / rowsPerStrip;
  const uint32_t groupCount = uint32_t((strips + kStripsPerReadGroup - 1) / kStripsPerReadGroup);
  if (groupCount < 2) return false;
  const uint32_t wave = uint32_t(threads) * 2;
  // The pixels are fresh memory: back them on all threads first (see
  // PreparePagesInParallel) rather than page by page as the strips land.
  const auto pixels = reinterpret_cast<uintptr_t>(r->image.pixels.data());
  PreparePagesInParallel({{pixels, pixels + r->image.pixels.size()}}, threads);
  *ok = false;
  for (uint32_t g0 = 0; g0 < groupCount; g0 += wave) {
    if (Stop(r)) return true;
    const uint32_t count = std::min(wave, groupCount - g0);
    std::vector<std::string> errors(count);
    ReadGroups w{r, fd, rowsPerStrip, g0, &errors};
    RunParallel(int32_t(count), threads, ReadStripGroup, &w);
    for (const std::string& error : errors) {
      if (!error.empty()) {
        r->error = r->in->name + ": " + error;
        return true;
      }
    }
  }
  *ok = true;
  return true;
}

bool ReadPlainStrips(TiffRead* r) {
  TIFF* tif = r->tif;
  const TiffKind& k = r->kind;
  const size_t rowBytes = size_t(RowBytes(r->image));
  const size_t bytesPerSample = k.bits / 8;
  if (bool ok = false; ReadStripGroupsInParallel(r, &ok)) return ok;
  PixelBytes line(size_t(std::max<tmsize_t>(TIFFScanlineSize(tif), 0)));
  if (k.planar == PLANARCONFIG_CONTIG) {
    if (line.size() < rowBytes) return ReadFailed(r, "bad TIFF: scanline size");
    for (uint32_t y = 0; y < k.height; ++y) {
      if (Stop(r)) return false;
      if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return ReadFailed(r, "TIFF read failed at row " + std::to_string(y));
      std::memcpy(r->image.pixels.data() + rowBytes * y, line.data(), rowBytes);
    }
    return true;
  }
  if (line.size() < size_t(k.width) * bytesPerSample) return ReadFailed(r, "bad TIFF: scanline size");
  for (uint16_t s = 0; s < k.samples; ++s)
    for (uint32_t y = 0; y < k.height; ++y) {
      if (Stop(r)) return false;
      if (TIFFReadScanline(tif, line.data(), y, s) < 0) return ReadFailed(r, "TIFF read failed at row " + std::to_string(y));
      uint8_t* dst = r->image.pixels.data() + rowBytes * y;
      for (uint32_t x = 0; x < k.width; ++x)
        std::memcpy(dst + (size_t(x) * k.samples + s) * bytesPerSample, line.data() + size_t(x) * bytesPerSample,
                    bytesPerSample);
    }
  return true;
}

bool ReadPlainTiles(TiffRead* r) {
  TIFF* tif = r->tif;
  const TiffKind& k = r->kind;
  uint32_t tileWidth = 0, tileHeight = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
  if (tileWidth == 0 || tileHeight == 0) return ReadFailed(r, "bad TIFF: tiles without a size");
  const tmsize_t tileBytes = TIFFTileSize(tif);
  const size_t bytesPerSample = k.bits / 8;
  const bool planes = k.planar == PLANARCONFIG_SEPARATE;
  const size_t tilePixelBytes = planes ? bytesPerSample : bytesPerSample * k.samples;
  if (tileBytes <= 0 || uint64_t(tileBytes) < uint64_t(tileWidth) * tileHeight * tilePixelBytes)
    return ReadFailed(r, "bad TIFF: tile size");
  PixelBytes tile(static_cast<size_t>(tileBytes));
  const size_t rowBytes = size_t(RowBytes(r->image));
  const uint16_t planeCount = planes ? k.samples : 1;
  for (uint32_t ty = 0; ty < k.height; ty += tileHeight) {
    for (uint32_t tx = 0; tx < k.width; tx += tileWidth) {
      for (uint16_t s = 0; s < planeCount; ++s) {
        if (Stop(r)) return false;
        if (TIFFReadTile(tif, tile.data(), tx, ty, 0, s) < 0)
          return ReadFailed(r, "TIFF read failed in the tile at " + std::to_string(tx) + ", " + std::to_string(ty));
        const uint32_t rows = std::min(tileHeight, k.height - ty);
        const uint32_t columns = std::min(tileWidth, k.width - tx);
        for (uint32_t y = 0; y < rows; ++y) {
          const uint8_t* src = tile.data() + size_t(y) * tileWidth * tilePixelBytes;
          uint8_t* dst = r->image.pixels.data() + rowBytes * (ty + y) + size_t(tx) * k.samples * bytesPerSample;
          if (!planes) {
            std::memcpy(dst, src, size_t(columns) * tilePixelBytes);
            continue;
          }
          for (uint32_t x = 0; x < columns; ++x)
            std::memcpy(dst + (size_t(x) * k.samples + s) * bytesPerSample, src + size_t(x) * bytesPerSample,
                        bytesPerSample);
        }
      }
    }
  }
  return true;
}

// Whatever the library turns into RGBA, as 8-bit grey or RGB with or without
// alpha, a band of rows at a time.
bool ReadThroughRgba(TiffRead* r, TIFFRGBAImage* rgba) {
  const TiffKind& k = r->kind;
  const bool grey = k.hasPhotometric && (k.photometric == PHOTOMETRIC_MINISBLACK ||
                                         k.photometric == PHOTOMETRIC_MINISWHITE);
  const int32_t channels = r->image.channels;
  const uint32_t band = std::max<uint32_t>(1, std::min<uint32_t>(k.height, (1u << 20) / std::max<uint32_t>(k.width, 1)));
  std::vector<uint32_t> raster(size_t(k.width) * band);
  rgba->req_orientation = ORIENTATION_TOPLEFT;
  for (uint32_t y0 = 0; y0 < k.height; y0 += band) {
    if (Stop(r)) return false;
    const uint32_t rows = std::min(band, k.height - y0);
    rgba->row_offset = int(y0);
    rgba->col_offset = 0;
    if (!TIFFRGBAImageGet(rgba, raster.data(), k.width, rows))
      return ReadFailed(r, "TIFF read failed near row " + std::to_string(y0));
    for (uint32_t y = 0; y < rows; ++y) {
      uint8_t* dst = r->image.pixels.data() + size_t(RowBytes(r->image)) * (y0 + y);
      for (uint32_t x = 0; x < k.width; ++x) {
        const uint32_t p = raster[size_t(y) * k.width + x];
        uint32_t c[4] = {TIFFGetR(p), TIFFGetG(p), TIFFGetB(p), TIFFGetA(p)};
        // The library answers colours multiplied by alpha; the image keeps them apart.
        if (r->kind.alpha)
          for (int i = 0; i < 3; ++i) c[i] = c[3] ? std::min<uint32_t>(255, (c[i] * 255 + c[3] / 2) / c[3]) : 0;
        uint8_t* d = dst + size_t(x) * size_t(channels);
        if (grey) {
          d[0] = uint8_t(c[0]);
          if (channels == 2) d[1] = uint8_t(c[3]);
        } else {
          d[0] = uint8_t(c[0]);
          d[1] = uint8_t(c[1]);
          d[2] = uint8_t(c[2]);
          if (channels == 4) d[3] = uint8_t(c[3]);
        }
      }
    }
  }
  return true;
}

bool TiffReadSteps(TiffRead* r) {
  TIFF* tif = r->tif;
  TiffKind& k = r->kind;
  k = ReadKind(tif);
  if (k.width == 0 || k.height == 0) return ReadFailed(r, "bad TIFF: no image size");
  if (k.hasPhotometric && k.photometric == PHOTOMETRIC_SEPARATED)
    return ReadFailed(r, "CMYK and multichannel TIFF files are not supported (grey and RGB only)");
  ImageHeader header;
  header.format = ImageFormat::Tiff;
  header.width = k.width;
  header.height = k.height;
  const bool plain = PlainKind(k);
  char why[1024] = {};
  if (plain) {
    header.channels = k.samples;
    header.bitsPerChannel = k.bits;
  } else if (TIFFRGBAImageOK(tif, why)) {
    const bool grey = k.hasPhotometric && (k.photometric == PHOTOMETRIC_MINISBLACK ||
                                           k.photometric == PHOTOMETRIC_MINISWHITE);
    header.channels = (grey ? 1 : 3) + (k.alpha ? 1 : 0);
    header.bitsPerChannel = 8;
  } else {
    r->error = r->in->name + ": unsupported TIFF: " + std::to_string(k.samples) + " sample(s) of " +
               std::to_string(k.bits) + " bits (" + SampleFormatName(k.format) + "), " + PhotometricName(k) +
               " (" + why + "); grey or RGB at 8 or 16 bits, 32-bit float, or what converts to 8-bit RGBA";
    return false;
  }
  if (!AcceptImageHeader(header, *r->options, r->in->name, &r->error)) return false;
  if (!CheckStriles(r)) return false;
  if (plain) {
    SizeImage(header, &r->image);
    return k.tiled ? ReadPlainTiles(r) : ReadPlainStrips(r);
  }
  TIFFRGBAImage rgba;
  // Stop at the first strip or tile that cannot be read, rather than leave it blank.
  if (!TIFFRGBAImageBegin(&rgba, tif, 1, why)) return ReadFailed(r, std::string("unsupported TIFF: ") + why);
  SizeImage(header, &r->image);
  const bool done = ReadThroughRgba(r, &rgba);
  TIFFRGBAImageEnd(&rgba);
  return done;
}

}  // namespace

IoResult ReadTiff(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error) {
  TiffMessages messages;
  TiffSource source{in.file, in.length};
  TiffOptionsPtr tiffOptions = MakeTiffOptions(&messages, options.decoderMemory);
  TiffPtr tif(TIFFClientOpenExt(in.name.c_str(), "rm", &source, SourceRead, SourceWrite, SourceSeek, SourceClose,
                                SourceSize, NoMap, NoUnmap, tiffOptions.get()));
  if (!tif) {
    *error = in.name + ": bad TIFF file" + (messages.error.empty() ? "" : " (" + messages.error + ")");
    return IoResult::Failed;
  }
  TiffRead r;
  r.in = &in;
  r.options = &options;
  r.tif = tif.get();
  r.messages = &messages;
  if (!TiffReadSteps(&r)) {
    if (r.stopped) return IoResult::Stopped;
    *error = r.error;
    return IoResult::Failed;
  }
  *out = std::move(r.image);
  return IoResult::Ok;
}

namespace {

// --- writing: strips encoded on several threads ------------------------------------
//
// The image is cut into groups of strips (a fixed number of strips each, so
// the groups do not depend on the thread count). Each group is encoded by
// the library on a thread of its own, into a TIFF in memory of the same
// shape and settings, written row by row exactly as the file is; the file
// then takes each strip's encoded bytes in order. The file is byte for byte
// the one a row-by-row write makes.

constexpr uint32_t kStripsPerGroup = 64;
// Images with fewer rows are written row by row on the calling thread.
constexpr int32_t kParallelWriteRows = 256;

// A TIFF in memory, written only. It is written into a given slot while it
// fits there and moves to a buffer of its own when it outgrows the slot.
struct MemoryTarget {
  uint8_t* data = nullptr;
  uint64_t size = 0;      // bytes written up to the furthest one
  uint64_t capacity = 0;  // of data
  uint64_t at = 0;
  PixelBytes own;  // data, once the slot is outgrown
};

void UseMemorySlot(MemoryTarget* m, uint8_t* slot, uint64_t slotBytes) {
  m->data = slot;
  m->capacity = slotBytes;
  m->size = 0;
  m->at = 0;
  PixelBytes().swap(m->own);
}

void GrowMemoryTarget(MemoryTarget* m, uint64_t needed) {
  PixelBytes grown(size_t(std::max(needed, 2 * m->capacity)));
  if (m->size > 0) std::memcpy(grown.data(), m->data, size_t(m->size));
  m->own.swap(grown);
  m->data = m->own.data();
  m->capacity = m->own.size();
}

tmsize_t MemoryRead(thandle_t, void*, tmsize_t) { return 0; }
tmsize_t MemoryWrite(thandle_t handle, void* data, tmsize_t size) {
  auto* m = static_cast<MemoryTarget*>(handle);
  if (size <= 0) return 0;
  const uint64_t end = m->at + uint64_t(size);
  if (end > m->capacity) GrowMemoryTarget(m, end);
  // A seek past the end leaves a gap, which reads as zero as in a file.
  if (m->at > m->size) std::memset(m->data + m->size, 0, size_t(m->at - m->size));
  std::memcpy(m->data + m->at, data, size_t(size));
  m->at = end;
  m->size = std::max(m->size, end);
  return size;
}
toff_t MemorySeek(thandle_t handle, toff_t offset, int whence) {
  auto* m = static_cast<MemoryTarget*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = m->at;
  if (whence == SEEK_END) base = m->size;
  m->at = base + offset;
  return toff_t(m->at);
}
int MemoryClose(thandle_t) { return 0; }
toff_t MemorySize(thandle_t handle) { return toff_t(static_cast<MemoryTarget*>(handle)->size); }

// The tags of the file: the same for the file and for every group.
void SetTiffTags(TIFF* tif, const ImageFile& image, uint32_t rowsPerStrip) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(image.height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(image.channels));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(image.bitsPerChannel));
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, uint16_t(image.bitsPerChannel == 32 ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(image.channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK));
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
  TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_ADOBE_DEFLATE));
  // The fastest deflate level, as for PNG: at the default level the encoder
  // takes a good share of a render's time for files only a few per cent
  // smaller.
  TIFFSetField(tif, TIFFTAG_ZIPQUALITY, 1);
  if (rowsPerStrip == 0) rowsPerStrip = TIFFDefaultStripSize(tif, 0);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  if (image.channels == 2 || image.channels == 4) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
  }
}

// Rows first..last-1 through the library, one at a time. The encoder may
// work on the row it is given: each row goes through a copy.
bool WriteScanlines(TIFF* tif, const ImageFile& image, uint32_t first, uint32_t last, const WriteOptions* options,
                    bool* stopped) {
  PixelBytes row(size_t(RowBytes(image)));
  for (uint32_t y = first; y < last; ++y) {
    if (options && StopAsked(*options)) {
      *stopped = true;
      return false;
    }
    std::memcpy(row.data(), image.pixels.data() + row.size() * size_t(y), row.size());
    if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
  }
  return true;
}

struct StripGroup {
  MemoryTarget memory;
  std::vector<uint64_t> offsets;  // of each strip in memory.bytes
  std::vector<uint64_t> sizes;
  bool ok = false;
  std::string error;
};

// Empties a group for the next wave and gives it its slot of the wave's
// memory: the slots of a wave are one block (on huge pages where the system
// has them) that every wave reuses. A slot holds the group's rows
// unencoded; deflated strips are seldom larger.
void StartStripGroup(StripGroup* group, uint8_t* slot, uint64_t slotBytes) {
  UseMemorySlot(&group->memory, slot, slotBytes);
  group->offsets.clear();
  group->sizes.clear();
  group->ok = false;
  group->error.clear();
}

struct GroupWrite {
  const ImageFile* image;
  uint32_t rowsPerStrip;
  uint32_t firstGroup;
  StripGroup* groups;  // groups firstGroup, firstGroup + 1, ...
};

void EncodeStripGroup(void* arg, int32_t index) {
  const auto* w = static_cast<const GroupWrite*>(arg);
  StripGroup& group = w->groups[index];
  const uint32_t g = w->firstGroup + uint32_t(index);
  const ImageFile& image = *w->image;
  TiffMessages messages;
  TiffOptionsPtr tiffOptions = MakeTiffOptions(&messages, 0);
  TIFF* tif = TIFFClientOpenExt("memory", "w", &group.memory, MemoryRead, MemoryWrite, MemorySeek, MemoryClose,
                                MemorySize, NoMap, NoUnmap, tiffOptions.get());
  if (!tif) {
    group.error = messages.error.empty() ? "failed" : messages.error;
    return;
  }
  SetTiffTags(tif, image, w->rowsPerStrip);
  const uint32_t firstStrip = g * kStripsPerGroup;
  const uint32_t first = firstStrip * w->rowsPerStrip;
  const uint32_t last = std::min<uint64_t>(uint64_t(first) + uint64_t(kStripsPerGroup) * w->rowsPerStrip,
                                           uint32_t(image.height));
  bool stopped = false;
  bool ok = WriteScanlines(tif, image, first, last, nullptr, &stopped) && TIFFFlushData(tif);
  if (ok) {
    const uint32_t strips = (last - first + w->rowsPerStrip - 1) / w->rowsPerStrip;
    for (uint32_t s = 0; s < strips && ok; ++s) {
      int failed = 0;
      const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, firstStrip + s, &failed);
      const uint64_t size = failed ? 0 : TIFFGetStrileByteCountWithErr(tif, firstStrip + s, &failed);
      ok = !failed && offset + size <= group.memory.size;
      group.offsets.push_back(offset);
      group.sizes.push_back(size);
    }
  }
  group.ok = ok;
  if (!ok) group.error = messages.error.empty() ? "failed" : messages.error;
  // The group's TIFF is never finished: only its strips are used.
  TIFFCleanup(tif);
}

}  // namespace

IoResult WriteTiff(int fd, const ImageFile& image, const WriteOptions& options, const std::string& name,
                   std::string* error) {
  TiffMessages messages;
  TiffTarget target{fd, 0};
  TiffOptionsPtr tiffOptions = MakeTiffOptions(&messages, 0);
  TiffPtr tif(TIFFClientOpenExt(name.c_str(), "w", &target, TargetRead, TargetWrite, TargetSeek, TargetClose,
                                TargetSize, NoMap, NoUnmap, tiffOptions.get()));
  auto failed = [&]() {
    *error = WriteFailure(name, target.error, "TIFF writer: " + (messages.error.empty() ? "failed" : messages.error));
    return IoResult::Failed;
  };
  if (!tif) return failed();
  SetTiffTags(tif.get(), image, 0);
  uint32_t rowsPerStrip = 0;
  TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  const int32_t threads = RenderThreadCount();
  if (threads <= 1 || image.height < kParallelWriteRows || rowsPerStrip == 0) {
    bool stopped = false;
    if (!WriteScanlines(tif.get(), image, 0, uint32_t(image.height), &options, &stopped))
      return stopped ? IoResult::Stopped : failed();
  } else {
    const uint32_t strips = (uint32_t(image.height) + rowsPerStrip - 1) / rowsPerStrip;
    const uint32_t groupCount = (strips + kStripsPerGroup - 1) / kStripsPerGroup;
    // A few groups a thread at a time, so that little of the encoded file
    // waits in memory; the same helper threads encode every wave.
    const uint32_t wave = uint32_t(threads) * 2;
    ParallelScope helpers(threads);
    std::vector<StripGroup> groups(std::min(wave, groupCount));
    const size_t rawBytes = std::min(size_t(RowBytes(image)) * rowsPerStrip * kStripsPerGroup, image.pixels.size());
    const size_t slotBytes = (rawBytes + rawBytes / 64 + 4096 + 63) & ~size_t(63);
    PixelBytes slots(slotBytes * groups.size());
    for (uint32_t g0 = 0; g0 < groupCount; g0 += wave) {
      if (StopAsked(options)) return IoResult::Stopped;
      const uint32_t count = std::min(wave, groupCount - g0);
      for (uint32_t i = 0; i < count; ++i) StartStripGroup(&groups[i], slots.data() + slotBytes * i, slotBytes);
      GroupWrite w{&image, rowsPerStrip, g0, groups.data()};
      RunParallel(int32_t(count), threads, EncodeStripGroup, &w);
      for (uint32_t i = 0; i < count; ++i) {
        const StripGroup& group = groups[i];
        if (!group.ok) {
          if (messages.error.empty()) messages.error = group.error;
          return failed();
        }
        for (size_t s = 0; s < group.sizes.size(); ++s) {
          if (StopAsked(options)) return IoResult::Stopped;
          const uint32_t strip = (g0 + i) * kStripsPerGroup + uint32_t(s);
          uint8_t* data = group.memory.data + group.offsets[s];
          if (TIFFWriteRawStrip(tif.get(), strip, data, tmsize_t(group.sizes[s])) < 0) return failed();
        }
      }
    }
  }
  if (!TIFFFlush(tif.get())) return failed();
  TIFF* open = tif.release();
  TIFFClose(open);
  return target.error == 0 ? IoResult::Ok : failed();
}
