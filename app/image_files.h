// Image files of the orbalix program: PNG, JPEG and TIFF read into and written
// from one interleaved in-memory layout.
//
// A read looks at the file's header first and asks the caller whether the
// image may be decoded (its size against a memory budget) before any pixel
// memory is taken; between rows it asks whether to stop. A write goes to a
// file descriptor the caller opened, and stops between rows the same way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/pixel_bytes.h"

enum class ImageFormat { Unknown, Png, Jpeg, Tiff };

struct ImageFile {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;        // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
  int32_t bitsPerChannel = 0;  // 8, 16 (unsigned integers) or 32 (float)
  PixelBytes pixels;           // rows top to bottom, channels interleaved, native byte order
};

inline int64_t BytesPerPixel(const ImageFile& image) {
  return int64_t(image.channels) * (image.bitsPerChannel / 8);
}
inline int64_t RowBytes(const ImageFile& image) { return BytesPerPixel(image) * image.width; }

// How a read or a write ended.
enum class IoResult { Ok, Failed, Stopped };

// What a file's header says, before any pixel is decoded: the image as it
// will be in memory.
struct ImageHeader {
  ImageFormat format = ImageFormat::Unknown;
  int64_t width = 0;
  int64_t height = 0;
  int32_t channels = 0;
  int32_t bitsPerChannel = 0;
};

inline int64_t DecodedBytes(const ImageHeader& header) {
  return header.width * header.height * header.channels * (header.bitsPerChannel / 8);
}

struct ReadOptions {
  // Asked once the header is known and before any pixel memory is taken;
  // false refuses the file with *error saying why. A PNG asks twice: from
  // its first chunk, then with the alpha a later transparency chunk adds.
  std::function<bool(const ImageHeader& header, std::string* error)> acceptHeader;
  // The most a decoder may take for its own work besides the image (the
  // JPEG decoder's coefficient buffers, the TIFF library's strip buffers);
  // 0 leaves the libraries' own limits.
  int64_t decoderMemory = 0;
  // Asked between rows; true stops the read (IoResult::Stopped).
  std::function<bool()> stop;
};

struct WriteOptions {
  std::function<bool()> stop;  // asked between rows
};

// An input opened once. A plain file is read in place; what comes through a
// pipe (or any file that cannot be read again from its start) is held in
// memory, so that the readers can look at its start twice.
struct InputFile {
  std::string path;
  int64_t length = 0;  // bytes in the file
  struct Closer {
    void operator()(FILE* f) const;
  };
  std::unique_ptr<FILE, Closer> file;
  PixelBytes bytes;  // a piped input
};

// Opens `path` for reading; a pipe is read to its end, at most `pipeLimit`
// bytes (0: no limit).
bool OpenInputFile(const std::string& path, int64_t pipeLimit, InputFile* input, std::string* error);

// Reads any of the three formats, chosen by the file's own signature.
IoResult ReadImage(InputFile* input, const ReadOptions& options, ImageFile* out, std::string* error);
IoResult ReadImageFromMemory(const uint8_t* data, size_t size, const std::string& name, const ReadOptions& options,
                             ImageFile* out, std::string* error);
// The same with no budget and no stop (tests and tools).
bool ReadImageFile(const std::string& path, ImageFile* out, std::string* error);

ImageFormat FormatFromPath(const std::string& path);
// Sizes shown in messages: "812 MiB", "12.0 GiB".
std::string ByteSizeText(int64_t bytes);
const char* FormatName(ImageFormat format);

// Writes the image to the open file `fd` (left open) in `format`, at the
// image's depth where the format allows it (JPEG is 8-bit without alpha; PNG
// has no float). `name` is the file the user knows, for messages.
IoResult WriteImage(int fd, ImageFormat format, const std::string& name, const ImageFile& image,
                    const WriteOptions& options, std::string* error);

// Writes in the format the path's extension names, through a private new
// file beside the target that then replaces it, so a failure never leaves a
// partial file behind (tests and tools; the program commits its outputs
// together, see output_files.h).
bool WriteImageFile(const std::string& path, const ImageFile& image, std::string* error);

// Converts the samples to another depth (8, 16 or 32), keeping channels.
ImageFile ConvertDepth(const ImageFile& image, int32_t bitsPerChannel);
// One row of `image` at another depth into `out` (width * channels samples).
void ConvertRowDepth(const ImageFile& image, int32_t row, int32_t bitsPerChannel, uint8_t* out);

// Resamples to a new size with a separable triangle filter widened to the scale
// when shrinking (an area-like average), as an image editor's resize would.
// `stop` is asked between rows; a stopped resample answers an unfinished image.
ImageFile ResampleImage(const ImageFile& image, int32_t width, int32_t height,
                        const std::function<bool()>& stop = nullptr);
// The same in place, asking `stop` between rows; the source's memory is given
// back as soon as its rows are read. Bytes it takes at most: see
// ResampleWorkingBytes.
IoResult ResampleImageInPlace(ImageFile* image, int32_t width, int32_t height, const std::function<bool()>& stop);
int64_t ResampleWorkingBytes(int64_t fromWidth, int64_t fromHeight, int64_t toWidth, int64_t toHeight,
                             int32_t channels, int32_t bitsPerChannel);
