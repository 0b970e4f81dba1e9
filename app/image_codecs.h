// The readers and writers of the three formats behind image_files.h, and what
// they share: the header checks, a buffered sink over a file descriptor that
// keeps the first system error, and the messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/image_files.h"

// An input as the readers see it: a stream that can go back to its start,
// its length and the name for messages.
struct InputStream {
  FILE* file = nullptr;
  int64_t length = 0;
  std::string name;
};

IoResult ReadPng(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error);
IoResult ReadJpeg(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error);
IoResult ReadTiff(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error);

// Checks the header against the sanity limits of a row and of the whole
// image, then asks the caller (options.acceptHeader). False with *error set.
bool AcceptImageHeader(const ImageHeader& header, const ReadOptions& options, const std::string& name,
                       std::string* error);

// Allocates the image's pixels for the header (no fill).
void SizeImage(const ImageHeader& header, ImageFile* image);

inline bool StopAsked(const ReadOptions& options) { return options.stop && options.stop(); }
inline bool StopAsked(const WriteOptions& options) { return options.stop && options.stop(); }

// A buffered writer over an open file descriptor. The first failing system
// call stops it and keeps its errno.
struct OutputSink {
  int fd = -1;
  int error = 0;  // errno of the first failure, 0 while none
  PixelBytes buffer;
  size_t used = 0;
};
void OpenSink(OutputSink* sink, int fd);
bool SinkWrite(OutputSink* sink, const void* data, size_t count);
bool SinkFlush(OutputSink* sink);

// "cannot write NAME: REASON", the reason from errno when there is one.
std::string WriteFailure(const std::string& name, int errorNumber, const std::string& detail);

IoResult WritePng(OutputSink* sink, const ImageFile& image, const WriteOptions& options, const std::string& name,
                  std::string* error);
IoResult WriteJpeg(OutputSink* sink, const ImageFile& image, const WriteOptions& options, const std::string& name,
                   std::string* error);
IoResult WriteTiff(int fd, const ImageFile& image, const WriteOptions& options, const std::string& name,
                   std::string* error);
