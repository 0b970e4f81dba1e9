#include "app/image_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/image_codecs.h"
#include "platform/private_files.h"

namespace {

std::string LowerExtension(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

ImageFormat SniffFormat(FILE* f, const std::string& name, std::string* error) {
  unsigned char head[8] = {};
  const size_t n = std::fread(head, 1, sizeof head, f);
  std::rewind(f);
  if (n >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) return ImageFormat::Png;
  if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return ImageFormat::Jpeg;
  if (n >= 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0))
    return ImageFormat::Tiff;
  if (n >= 4 && (std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0))
    return ImageFormat::Tiff;  // BigTIFF
  Fail(error, name + (n == 0 ? ": the file is empty" : ": not a PNG, JPEG or TIFF file"));
  return ImageFormat::Unknown;
}

IoResult ReadStream(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error) {
  switch (SniffFormat(in.file, in.name, error)) {
    case ImageFormat::Png: return ReadPng(in, options, out, error);
    case ImageFormat::Jpeg: return ReadJpeg(in, options, out, error);
    case ImageFormat::Tiff: return ReadTiff(in, options, out, error);
    default: return IoResult::Failed;
  }
}

// Reads a pipe to its end.
bool ReadWhole(int fd, int64_t limit, const std::string& path, PixelBytes* bytes, std::string* error) {
  size_t used = 0;
  for (;;) {
    if (bytes->size() - used < 65536) bytes->resize(std::max<size_t>(bytes->size() * 2, 1 << 20));
    const ssize_t n = read(fd, bytes->data() + used, bytes->size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(error, path + ": cannot read: " + std::strerror(errno));
    if (n == 0) break;
    used += size_t(n);
    if (limit > 0 && int64_t(used) > limit)
      return Fail(error, path + ": more than " + ByteSizeText(limit) + " came through the pipe (the memory budget)");
  }
  bytes->resize(used);
  return true;
}

float SampleToUnit(const uint8_t* p, int32_t bits, size_t index) {
  switch (bits) {
    case 8: return p[index] / 255.0f;
    case 16: {
      uint16_t v;
      std::memcpy(&v, p + index * 2, 2);
      return v / 65535.0f;
    }
    default: {
      float v;
      std::memcpy(&v, p + index * 4, 4);
      return v;
    }
  }
}

void StoreUnit(uint8_t* p, int32_t bits, size_t index, float value) {
  switch (bits) {
    case 8: {
      float c = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
      p[index] = uint8_t(std::lround(c * 255.0f));
      break;
    }
    case 16: {
      float c = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
      uint16_t v = uint16_t(std::lround(c * 65535.0f));
      std::memcpy(p + index * 2, &v, 2);
      break;
    }
    default: std::memcpy(p + index * 4, &value, 4);
  }
}

}  // namespace

void InputFile::Closer::operator()(FILE* f) const {
  if (f) std::fclose(f);
}

std::string ByteSizeText(int64_t bytes) {
  char text[32];
  const double mib = double(bytes) / (1024.0 * 1024.0);
  if (mib >= 1024.0) {
    std::snprintf(text, sizeof text, "%.1f GiB", mib / 1024.0);
  } else if (mib >= 1.0) {
    std::snprintf(text, sizeof text, "%.0f MiB", mib);
  } else {
    std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
  }
  return text;
}

bool AcceptImageHeader(const ImageHeader& header, const ReadOptions& options, const std::string& name,
                       std::string* error) {
  if (header.width <= 0 || header.height <= 0) return Fail(error, name + ": the image has no pixels");
  // Whatever the budget, a row may hold at most 2^31 bytes and the image 2^40.
  const int64_t row = header.width * header.channels * (header.bitsPerChannel / 8);
  if (header.width > (int64_t(1) << 31) || header.height > (int64_t(1) << 31) || row > (int64_t(1) << 31) ||
      double(row) * double(header.height) > double(int64_t(1) << 40))
    return Fail(error, name + ": the image is " + std::to_string(header.width) + " x " +
                           std::to_string(header.height) + " pixels, too large to hold in memory");
  if (options.acceptHeader && !options.acceptHeader(header, error)) return false;
  return true;
}

void SizeImage(const ImageHeader& header, ImageFile* image) {
  image->width = int32_t(header.width);
  image->height = int32_t(header.height);
  image->channels = header.channels;
  image->bitsPerChannel = header.bitsPerChannel;
  image->pixels.resize(size_t(DecodedBytes(header)));
}

bool OpenInputFile(const std::string& path, int64_t pipeLimit, InputFile* input, std::string* error) {
  *input = InputFile{};
  input->path = path;
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail(error, path + ": cannot open: " + std::strerror(errno));
  struct stat st;
  if (fstat(fd, &st) != 0) {
    const int saved = errno;
    close(fd);
    return Fail(error, path + ": cannot open: " + std::strerror(saved));
  }
  if (S_ISDIR(st.st_mode)) {
    close(fd);
    return Fail(error, path + ": cannot open: it is a folder");
  }
  // A plain file is read where it is; anything else (a pipe, a terminal, a
  // process substitution) once, into memory.
  if (S_ISREG(st.st_mode) && lseek(fd, 0, SEEK_CUR) >= 0) {
    input->length = st.st_size;
    input->file.reset(fdopen(fd, "rb"));
    if (!input->file) {
      close(fd);
      return Fail(error, path + ": cannot open: " + std::strerror(errno));
    }
    return true;
  }
  const bool read = ReadWhole(fd, pipeLimit, path, &input->bytes, error);
  close(fd);
  if (!read) return false;
  input->length = int64_t(input->bytes.size());
  if (input->bytes.empty()) return Fail(error, path + ": the file is empty");
  input->file.reset(fmemopen(input->bytes.data(), input->bytes.size(), "rb"));
  if (!input->file) return Fail(error, path + ": cannot open: " + std::strerror(errno));
  return true;
}

IoResult ReadImage(InputFile* input, const ReadOptions& options, ImageFile* out, std::string* error) {
  if (!input->file) {
    Fail(error, input->path + ": cannot open");
    return IoResult::Failed;
  }
  InputStream in;
  in.file = input->file.get();
  in.length = input->length;
  in.name = input->path;
  return ReadStream(in, options, out, error);
}

IoResult ReadImageFromMemory(const uint8_t* data, size_t size, const std::string& name, const ReadOptions& options,
                             ImageFile* out, std::string* error) {
  if (size == 0) {
    Fail(error, name + ": the file is empty");
    return IoResult::Failed;
  }
  std::unique_ptr<FILE, InputFile::Closer> file(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
  if (!file) {
    Fail(error, name + ": cannot open: " + std::strerror(errno));
    return IoResult::Failed;
  }
  InputStream in;
  in.file = file.get();
  in.length = int64_t(size);
  in.name = name;
  return ReadStream(in, options, out, error);
}

bool ReadImageFile(const std::string& path, ImageFile* out, std::string* error) {
  InputFile input;
  if (!OpenInputFile(path, 0, &input, error)) return false;
  return ReadImage(&input, ReadOptions{}, out, error) == IoResult::Ok;
}

ImageFormat FormatFromPath(const std::string& path) {
  std::string ext = LowerExtension(path);
  if (ext == "png") return ImageFormat::Png;
  if (ext == "jpg" || ext == "jpeg") return ImageFormat::Jpeg;
  if (ext == "tif" || ext == "tiff") return ImageFormat::Tiff;
  return ImageFormat::Unknown;
}

const char* FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Jpeg: return "JPEG";
    case ImageFormat::Tiff: return "TIFF";
    default: return "unknown";
  }
}

// --- the output sink -------------------------------------------------------------

void OpenSink(OutputSink* sink, int fd) {
  sink->fd = fd;
  sink->error = 0;
  sink->buffer.resize(size_t(1) << 20);
  sink->used = 0;
}

bool SinkFlush(OutputSink* sink) {
  size_t done = 0;
  while (sink->error == 0 && done < sink->used) {
    const ssize_t n = write(sink->fd, sink->buffer.data() + done, sink->used - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sink->error = n < 0 ? errno : EIO;
      break;
    }
    done += size_t(n);
  }
  sink->used = 0;
  return sink->error == 0;
}

bool SinkWrite(OutputSink* sink, const void* data, size_t count) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (count > 0 && sink->error == 0) {
    if (sink->used == sink->buffer.size() && !SinkFlush(sink)) break;
    const size_t n = std::min(count, sink->buffer.size() - sink->used);
    std::memcpy(sink->buffer.data() + sink->used, bytes, n);
    sink->used += n;
    bytes += n;
    count -= n;
  }
  return sink->error == 0;
}

std::string WriteFailure(const std::string& name, int errorNumber, const std::string& detail) {
  if (errorNumber != 0) return "cannot write " + name + ": " + std::strerror(errorNumber);
  return "cannot write " + name + ": " + detail;
}

IoResult WriteImage(int fd, ImageFormat format, const std::string& name, const ImageFile& image,
                    const WriteOptions& options, std::string* error) {
  if (image.width <= 0 || image.height <= 0 || image.channels < 1 || image.channels > 4 ||
      (image.bitsPerChannel != 8 && image.bitsPerChannel != 16 && image.bitsPerChannel != 32) ||
      image.pixels.size() != size_t(RowBytes(image)) * size_t(image.height)) {
    Fail(error, "internal error: malformed image");
    return IoResult::Failed;
  }
  if (format == ImageFormat::Tiff) return WriteTiff(fd, image, options, name, error);
  OutputSink sink;
  OpenSink(&sink, fd);
  IoResult result = IoResult::Failed;
  if (format == ImageFormat::Png) {
    result = WritePng(&sink, image, options, name, error);
  } else if (format == ImageFormat::Jpeg) {
    result = WriteJpeg(&sink, image, options, name, error);
  } else {
    Fail(error, name + ": unknown output format (use .png, .jpg, .jpeg, .tif or .tiff)");
  }
  if (result == IoResult::Ok && !SinkFlush(&sink)) {
    Fail(error, WriteFailure(name, sink.error, "write failed"));
    result = IoResult::Failed;
  }
  return result;
}

bool WriteImageFile(const std::string& path, const ImageFile& image, std::string* error) {
  const ImageFormat format = FormatFromPath(path);
  if (format == ImageFormat::Unknown)
    return Fail(error, path + ": unknown output format (use .png, .jpg, .jpeg, .tif or .tiff)");
  std::vector<char> scratch(path.size() + 32);
  const OsFile file = OsCreatePrivateScratchFile(path.c_str(), scratch.data(), scratch.size());
  if (file == kInvalidOsFile) return Fail(error, "cannot create " + path + ": " + std::strerror(errno));
  const int fd = int(file);
  bool ok = WriteImage(fd, format, path, image, WriteOptions{}, error) == IoResult::Ok;
  const mode_t mask = umask(0);
  umask(mask);
  if (ok && fchmod(fd, 0666 & ~mask) != 0) ok = Fail(error, WriteFailure(path, errno, ""));
  if (close(fd) != 0 && ok) ok = Fail(error, WriteFailure(path, errno, ""));
  if (!ok) {
    unlink(scratch.data());
    return false;
  }
  if (!OsCommitPrivateScratchFile(scratch.data(), path.c_str()))
    return Fail(error, "cannot write " + path + ": " + std::strerror(errno));
  return true;
}

// --- depth conversion ------------------------------------------------------------

void ConvertRowDepth(const ImageFile& image, int32_t row, int32_t bitsPerChannel, uint8_t* out) {
  const size_t count = size_t(image.width) * size_t(image.channels);
  const uint8_t* in = image.pixels.data() + size_t(RowBytes(image)) * size_t(row);
  if (image.bitsPerChannel == bitsPerChannel) {
    std::memcpy(out, in, count * size_t(bitsPerChannel / 8));
    return;
  }
  for (size_t i = 0; i < count; ++i) StoreUnit(out, bitsPerChannel, i, SampleToUnit(in, image.bitsPerChannel, i));
}

ImageFile ConvertDepth(const ImageFile& image, int32_t bitsPerChannel) {
  if (image.bitsPerChannel == bitsPerChannel) return image;
  ImageFile out;
  out.width = image.width;
  out.height = image.height;
  out.channels = image.channels;
  out.bitsPerChannel = bitsPerChannel;
  out.pixels.resize(size_t(RowBytes(out)) * size_t(out.height));
  for (int32_t y = 0; y < image.height; ++y)
    ConvertRowDepth(image, y, bitsPerChannel, out.pixels.data() + size_t(RowBytes(out)) * size_t(y));
  return out;
}

// --- resampling ------------------------------------------------------------------

namespace {

// One axis of the separable resampler: for each output index, the source taps and weights.
struct Taps {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
  std::vector<float> weights;  // count[i] weights for output i, stored back to back
  std::vector<size_t> offset;
};

Taps MakeTaps(int32_t from, int32_t to) {
  Taps taps;
  double scale = double(from) / double(to);
  double support = std::max(1.0, scale);  // triangle radius in source pixels
  for (int32_t i = 0; i < to; ++i) {
    double centre = (i + 0.5) * scale - 0.5;
    int32_t lo = int32_t(std::floor(centre - support)) + 1;
    int32_t hi = int32_t(std::ceil(centre + support)) - 1;
    taps.offset.push_back(taps.weights.size());
    taps.first.push_back(lo);
    double sum = 0.0;
    std::vector<double> w;
    for (int32_t s = lo; s <= hi; ++s) {
      double t = 1.0 - std::fabs(s - centre) / support;
      w.push_back(t > 0.0 ? t : 0.0);
      sum += w.back();
    }
    taps.count.push_back(int32_t(w.size()));
    for (double v : w) taps.weights.push_back(float(sum > 0.0 ? v / sum : 0.0));
  }
  return taps;
}

}  // namespace

int64_t ResampleWorkingBytes(int64_t fromWidth, int64_t fromHeight, int64_t toWidth, int64_t toHeight,
                             int32_t channels, int32_t bitsPerChannel) {
  const int64_t source = fromWidth * fromHeight * channels * (bitsPerChannel / 8);
  const int64_t middle = toWidth * fromHeight * channels * int64_t(sizeof(float));
  const int64_t result = toWidth * toHeight * channels * (bitsPerChannel / 8);
  return std::max(source, result) + middle;
}

namespace {

// The horizontal pass: every source row, made float with premultiplied alpha
// (so transparent pixels do not bleed colour), filtered across into `middle`.
IoResult ResampleAcross(const ImageFile& image, const Taps& across, int32_t width, std::vector<float>* middle,
                        const std::function<bool()>& stop) {
  const int32_t channels = image.channels;
  const bool hasAlpha = channels == 2 || channels == 4;
  const int32_t alphaIndex = channels - 1;
  std::vector<float> row(size_t(image.width) * size_t(channels));
  middle->resize(size_t(width) * size_t(image.height) * size_t(channels));
  for (int32_t y = 0; y < image.height; ++y) {
    if (stop && stop()) return IoResult::Stopped;
    const uint8_t* in = image.pixels.data() + size_t(RowBytes(image)) * size_t(y);
    for (size_t i = 0; i < row.size(); ++i) row[i] = SampleToUnit(in, image.bitsPerChannel, i);
    if (hasAlpha)
      for (size_t p = 0; p < row.size(); p += size_t(channels))
        for (int32_t c = 0; c < alphaIndex; ++c) row[p + size_t(c)] *= row[p + size_t(alphaIndex)];
    for (int32_t x = 0; x < width; ++x)
      for (int32_t c = 0; c < channels; ++c) {
        float sum = 0.0f;
        for (int32_t k = 0; k < across.count[size_t(x)]; ++k) {
          int32_t sx = std::clamp(across.first[size_t(x)] + k, 0, image.width - 1);
          sum += across.weights[across.offset[size_t(x)] + size_t(k)] * row[size_t(sx) * size_t(channels) + size_t(c)];
        }
        (*middle)[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)] = sum;
      }
  }
  return IoResult::Ok;
}

// The vertical pass from `middle` (sourceHeight rows) into `out`, whose size,
// channels and depth are set.
IoResult ResampleDown(const std::vector<float>& middle, int32_t sourceHeight, const Taps& down, ImageFile* out,
                      const std::function<bool()>& stop) {
  const int32_t channels = out->channels;
  const int32_t width = out->width;
  const bool hasAlpha = channels == 2 || channels == 4;
  const int32_t alphaIndex = channels - 1;
  out->pixels.resize(size_t(RowBytes(*out)) * size_t(out->height));
  std::vector<float> pixel(static_cast<size_t>(channels));
  for (int32_t y = 0; y < out->height; ++y) {
    if (stop && stop()) return IoResult::Stopped;
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < channels; ++c) {
        float sum = 0.0f;
        for (int32_t k = 0; k < down.count[size_t(y)]; ++k) {
          int32_t sy = std::clamp(down.first[size_t(y)] + k, 0, sourceHeight - 1);
          sum += down.weights[down.offset[size_t(y)] + size_t(k)] *
                 middle[(size_t(sy) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)];
        }
        pixel[size_t(c)] = sum;
      }
      if (hasAlpha) {
        float a = pixel[size_t(alphaIndex)];
        for (int32_t c = 0; c < alphaIndex; ++c) pixel[size_t(c)] = a > 0.0f ? pixel[size_t(c)] / a : 0.0f;
      }
      size_t base = (size_t(y) * size_t(width) + size_t(x)) * size_t(channels);
      for (int32_t c = 0; c < channels; ++c)
        StoreUnit(out->pixels.data(), out->bitsPerChannel, base + size_t(c), pixel[size_t(c)]);
    }
  }
  return IoResult::Ok;
}

}  // namespace

IoResult ResampleImageInPlace(ImageFile* image, int32_t width, int32_t height, const std::function<bool()>& stop) {
  if (width == image->width && height == image->height) return IoResult::Ok;
  const int32_t sourceHeight = image->height;
  const Taps across = MakeTaps(image->width, width);
  const Taps down = MakeTaps(image->height, height);
  std::vector<float> middle;
  const IoResult result = ResampleAcross(*image, across, width, &middle, stop);
  if (result != IoResult::Ok) return result;
  PixelBytes().swap(image->pixels);  // the source is no longer needed
  image->width = width;
  image->height = height;
  return ResampleDown(middle, sourceHeight, down, image, stop);
}

ImageFile ResampleImage(const ImageFile& image, int32_t width, int32_t height, const std::function<bool()>& stop) {
  if (width == image.width && height == image.height) return image;
  std::vector<float> middle;
  ImageFile out;
  out.width = width;
  out.height = height;
  out.channels = image.channels;
  out.bitsPerChannel = image.bitsPerChannel;
  if (ResampleAcross(image, MakeTaps(image.width, width), width, &middle, stop) != IoResult::Ok) {
    out.pixels.resize(size_t(RowBytes(out)) * size_t(height));
    return out;
  }
  ResampleDown(middle, image.height, MakeTaps(image.height, height), &out, stop);
  return out;
}
