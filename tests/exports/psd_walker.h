// A reader of PSD files written for the tests from the format's published
// layout, independent of the writer: it walks every section, checks each
// length field against the bytes it covers (resource data and layer names
// padded as the format pads them, tagged blocks rounded up to four bytes),
// and keeps what the tests compare: the header, the resources, the tagged
// blocks, the layer records, each layer's channel samples and the merged
// image data. Every disagreement is a line in `errors`.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct WalkedResource {
  uint16_t id = 0;
  uint32_t size = 0;           // the size field: unpadded
  std::vector<uint8_t> data;
};

struct WalkedLayer {
  int32_t top = 0, left = 0, bottom = 0, right = 0;
  std::vector<int16_t> channelIds;
  std::vector<uint32_t> channelLengths;
  std::string blendKey;
  uint8_t opacity = 0, clipping = 0, flags = 0;
  std::string name;
  uint32_t namePaddedBytes = 0;  // length byte, characters and padding
  std::vector<std::vector<uint8_t>> channels;  // per channel: the samples after the compression word
  std::vector<uint16_t> compressions;
};

struct WalkedPsd {
  uint16_t channels = 0;
  uint32_t height = 0, width = 0;
  uint16_t depth = 0, colourMode = 0;
  std::vector<uint8_t> colourModeData;
  uint32_t resourcesLength = 0;
  std::vector<WalkedResource> resources;
  uint32_t layerSectionLength = 0;
  uint32_t layerInfoLength = 0;  // the plain field (0 when the layers are in a tagged block)
  std::vector<std::string> taggedKeys;
  std::vector<uint32_t> taggedLengths;
  std::vector<WalkedLayer> layers;
  uint16_t imageCompression = 0;
  std::vector<uint8_t> imageData;  // after the compression word, to the end of the file
  std::vector<std::string> errors;

  const WalkedResource* Resource(uint16_t id) const {
    for (const WalkedResource& r : resources)
      if (r.id == id) return &r;
    return nullptr;
  }
  uint64_t PlaneBytes() const { return uint64_t(width) * height * (depth / 8); }
  // Sample (x, y) of a plane of merged data, in the file's units.
  uint32_t MergedSample(int32_t plane, int32_t x, int32_t y) const {
    return SampleAt(imageData, size_t(plane) * PlaneBytes(), x, y);
  }
  uint32_t LayerSample(size_t layer, size_t channel, int32_t x, int32_t y) const {
    return SampleAt(layers[layer].channels[channel], 0, x, y);
  }
  uint32_t SampleAt(const std::vector<uint8_t>& bytes, size_t base, int32_t x, int32_t y) const {
    const size_t bpc = depth / 8;
    const size_t at = base + (size_t(y) * width + size_t(x)) * bpc;
    if (at + bpc > bytes.size()) return 0xDEADBEEF;
    uint32_t v = 0;
    for (size_t k = 0; k < bpc; ++k) v = (v << 8) | bytes[at + k];
    return v;
  }
};

class PsdCursor {
 public:
  PsdCursor(const std::vector<uint8_t>& bytes, std::vector<std::string>* errors) : bytes_(bytes), errors_(errors) {}
  size_t at = 0;
  bool ok = true;
  bool Need(size_t n, const char* what) {
    if (ok && at + n <= bytes_.size()) return true;
    if (ok) errors_->push_back(std::string("file ends inside ") + what);
    ok = false;
    return false;
  }
  uint32_t Be(size_t n, const char* what) {
    if (!Need(n, what)) return 0;
    uint32_t v = 0;
    for (size_t k = 0; k < n; ++k) v = (v << 8) | bytes_[at + k];
    at += n;
    return v;
  }
  uint8_t U8(const char* what) { return uint8_t(Be(1, what)); }
  uint16_t U16(const char* what) { return uint16_t(Be(2, what)); }
  uint32_t U32(const char* what) { return Be(4, what); }
  std::string Key(const char* what) {
    if (!Need(4, what)) return "";
    std::string key(reinterpret_cast<const char*>(&bytes_[at]), 4);
    at += 4;
    return key;
  }
  std::vector<uint8_t> Bytes(size_t n, const char* what) {
    if (!Need(n, what)) return {};
    std::vector<uint8_t> out(bytes_.begin() + long(at), bytes_.begin() + long(at + n));
    at += n;
    return out;
  }
  // The section that started at `start` with `length` bytes must end here.
  void ExpectEnd(size_t start, uint64_t length, const std::string& what) {
    if (ok && at != start + length) {
      errors_->push_back(what + ": length field " + std::to_string(length) + " but the content takes " +
                         std::to_string(at - start) + " bytes");
      ok = false;
    }
  }
  size_t Size() const { return bytes_.size(); }

 private:
  const std::vector<uint8_t>& bytes_;
  std::vector<std::string>* errors_;
};

inline void WalkLayerInfo(PsdCursor& c, uint32_t length, WalkedPsd* psd) {
  const size_t start = c.at;
  const int16_t count = int16_t(c.U16("layer count"));
  const int32_t layers = count < 0 ? -count : count;
  for (int32_t k = 0; k < layers && c.ok; ++k) {
    WalkedLayer layer;
    layer.top = int32_t(c.U32("layer top"));
    layer.left = int32_t(c.U32("layer left"));
    layer.bottom = int32_t(c.U32("layer bottom"));
    layer.right = int32_t(c.U32("layer right"));
    const uint16_t channels = c.U16("channel count");
    for (uint16_t ch = 0; ch < channels; ++ch) {
      layer.channelIds.push_back(int16_t(c.U16("channel id")));
      layer.channelLengths.push_back(c.U32("channel length"));
    }
    if (c.Key("blend signature") != "8BIM") psd->errors.push_back("layer record without 8BIM");
    layer.blendKey = c.Key("blend key");
    layer.opacity = c.U8("opacity");
    layer.clipping = c.U8("clipping");
    layer.flags = c.U8("flags");
    c.U8("filler");
    const uint32_t extra = c.U32("extra length");
    const size_t extraStart = c.at;
    const uint32_t maskLength = c.U32("mask length");
    c.Bytes(maskLength, "mask data");
    const uint32_t rangesLength = c.U32("blending ranges length");
    c.Bytes(rangesLength, "blending ranges");
    const size_t nameStart = c.at;
    const uint8_t nameLength = c.U8("name length");
    const std::vector<uint8_t> name = c.Bytes(nameLength, "name");
    layer.name.assign(name.begin(), name.end());
    while ((c.at - nameStart) % 4 != 0 && c.ok) {
      if (c.U8("name padding") != 0) psd->errors.push_back("name padding is not zero");
    }
    layer.namePaddedBytes = uint32_t(c.at - nameStart);
    // Tagged blocks of the layer may follow the name; there are none here.
    c.ExpectEnd(extraStart, extra, "layer extra data");
    psd->layers.push_back(layer);
  }
  for (WalkedLayer& layer : psd->layers) {
    for (size_t ch = 0; ch < layer.channelIds.size() && c.ok; ++ch) {
      const size_t channelStart = c.at;
      layer.compressions.push_back(c.U16("channel compression"));
      layer.channels.push_back(c.Bytes(layer.channelLengths[ch] - 2, "channel data"));
      c.ExpectEnd(channelStart, layer.channelLengths[ch], "channel data");
    }
  }
  // The layer information is padded to an even length at most.
  if (c.ok && c.at != start + length && c.at + 1 == start + length) c.U8("layer info padding");
  c.ExpectEnd(start, length, "layer information");
}

inline WalkedPsd WalkPsd(const std::vector<uint8_t>& bytes) {
  WalkedPsd psd;
  PsdCursor c(bytes, &psd.errors);
  if (c.Key("signature") != "8BPS") psd.errors.push_back("no 8BPS signature");
  if (c.U16("version") != 1) psd.errors.push_back("version is not 1");
  for (const uint8_t b : c.Bytes(6, "reserved"))
    if (b != 0) psd.errors.push_back("reserved bytes are not zero");
  psd.channels = c.U16("channels");
  psd.height = c.U32("height");
  psd.width = c.U32("width");
  psd.depth = c.U16("depth");
  psd.colourMode = c.U16("colour mode");

  const uint32_t colourLength = c.U32("colour mode length");
  psd.colourModeData = c.Bytes(colourLength, "colour mode data");

  psd.resourcesLength = c.U32("resources length");
  const size_t resourcesStart = c.at;
  while (c.ok && c.at < resourcesStart + psd.resourcesLength) {
    WalkedResource r;
    if (c.Key("resource signature") != "8BIM") psd.errors.push_back("resource without 8BIM");
    r.id = c.U16("resource id");
    const uint8_t nameLength = c.U8("resource name");
    c.Bytes(nameLength, "resource name");
    if ((1 + nameLength) % 2 != 0) c.U8("resource name padding");
    r.size = c.U32("resource size");
    r.data = c.Bytes(r.size, "resource data");
    if (r.size % 2 != 0 && c.U8("resource padding") != 0) psd.errors.push_back("resource padding is not zero");
    psd.resources.push_back(r);
  }
  c.ExpectEnd(resourcesStart, psd.resourcesLength, "image resources");

  psd.layerSectionLength = c.U32("layer section length");
  const size_t sectionStart = c.at;
  if (psd.layerSectionLength > 0) {
    psd.layerInfoLength = c.U32("layer info length");
    if (psd.layerInfoLength > 0) WalkLayerInfo(c, psd.layerInfoLength, &psd);
    const uint32_t globalMask = c.U32("global mask length");
    c.Bytes(globalMask, "global mask");
    while (c.ok && c.at < sectionStart + psd.layerSectionLength) {
      if (c.Key("tagged block signature") != "8BIM") psd.errors.push_back("tagged block without 8BIM");
      const std::string key = c.Key("tagged block key");
      const uint32_t length = c.U32("tagged block length");
      psd.taggedKeys.push_back(key);
      psd.taggedLengths.push_back(length);
      const size_t blockStart = c.at;
      if (key == "Lr16" || key == "Lr32") {
        WalkLayerInfo(c, length, &psd);
      } else {
        c.Bytes(length, "tagged block");
      }
      // Tagged blocks of this section are rounded up to four bytes.
      while (c.ok && (c.at - blockStart) % 4 != 0) c.U8("tagged block padding");
    }
    c.ExpectEnd(sectionStart, psd.layerSectionLength, "layer and mask information");
  }
  psd.imageCompression = c.U16("image compression");
  if (c.ok) psd.imageData = c.Bytes(c.Size() - c.at, "image data");
  return psd;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
