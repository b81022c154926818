#include "resources/tga_image.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>

#include "platform/file_system.h"
#include "platform/message_box.h"

namespace resources {
namespace {

int signed16(const std::uint8_t* p) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

TgaStatus parseHeader(std::span<const std::uint8_t> bytes, TgaHeader& header) {
  if (bytes.size() < static_cast<size_t>(kTgaHeaderSize)) return TgaStatus::BadType;
  header = readTgaHeader(bytes.first<kTgaHeaderSize>());
  if (header.imageType != 2 && header.imageType != 10) return TgaStatus::BadType;
  if (header.bits != 24 && header.bits != 32) return TgaStatus::BadDepth;
  if (header.width <= 0 || header.height <= 0 || header.width > kTgaMaxSide ||
      header.height > kTgaMaxSide)
    return TgaStatus::BadType;
  return TgaStatus::Ok;
}

// The most pixel bytes a well-formed file of this header can carry after the header: raw
// packets of one pixel each are the worst case of run-length coding.
size_t payloadLimit(const TgaHeader& header) {
  const size_t pixels = static_cast<size_t>(header.width) * header.height;
  const size_t n = static_cast<size_t>(header.bits / 8);
  return header.imageType == 2 ? pixels * n : pixels * (n + 1);
}

void decodeRunLength(std::span<const std::uint8_t> data, int n, std::vector<std::uint8_t>& out) {
  const size_t total = out.size() / n;
  size_t count = 0;
  size_t pos = 0;
  auto store = [&](const std::uint8_t* p) {
    std::uint8_t* q = &out[count * n];
    q[0] = p[2];
    q[1] = p[1];
    q[2] = p[0];
    if (n == 4) q[3] = p[3];
    ++count;
  };
  while (count < total && pos < data.size()) {
    const int h = data[pos++];
    if (h >= 128) {
      if (pos + n > data.size()) return;
      const size_t repeat = std::min<size_t>(static_cast<size_t>(h - 127), total - count);
      for (size_t i = 0; i < repeat; ++i) store(&data[pos]);
      pos += n;
    } else {
      for (int i = 0; i <= h && count < total; ++i) {
        if (pos + n > data.size()) return;
        store(&data[pos]);
        pos += n;
      }
    }
  }
}

void flipRows(TgaImage& image) {
  const size_t stride = static_cast<size_t>(image.width) * (image.bits / 8);
  std::vector<std::uint8_t> scratch(stride);
  for (int i = 0; i < image.height / 2; ++i) {
    std::uint8_t* a = &image.pixels[i * stride];
    std::uint8_t* b = &image.pixels[(image.height - 1 - i) * stride];
    std::copy_n(a, stride, scratch.data());
    std::copy_n(b, stride, a);
    std::copy_n(scratch.data(), stride, b);
  }
}

void showBadFormat(TgaStatus status) {
  // The original's boxes had no caption of their own; the system's default one is "Error".
  platform::showMessageBox("Error", status == TgaStatus::BadDepth
                                        ? "Bad TGA format, only supporting 24 & 32bits "
                                          "compressed or uncompressed."
                                        : "Bad TGA format.");
}

// Whether the pixel stream could describe the picture: a picture of up to a million pixels
// always loads (a short stream leaves the rest zero), a bigger one only when the stream could
// hold it as run-length packets of 128 pixels each, the densest the format has. A few bytes
// claiming a picture of thousands of pixels square are damage, not a short stream, and would
// cost the whole picture in memory and in the upload.
constexpr size_t kAlwaysLoadedPixels = size_t{1} << 20;

bool streamCanHold(const TgaHeader& header, size_t streamBytes) {
  const size_t pixels = static_cast<size_t>(header.width) * static_cast<size_t>(header.height);
  const size_t packetBytes = 1 + static_cast<size_t>(header.bits / 8);
  const size_t packets = (streamBytes + packetBytes - 1) / packetBytes;
  return pixels <= kAlwaysLoadedPixels || pixels <= packets * 128;
}

}  // namespace

TgaHeader readTgaHeader(std::span<const std::uint8_t, kTgaHeaderSize> bytes) {
  return {bytes[2], signed16(&bytes[12]), signed16(&bytes[14]), bytes[16], bytes[17]};
}

std::array<std::uint8_t, kTgaHeaderSize> writeTgaHeader(const TgaHeader& header) {
  std::array<std::uint8_t, kTgaHeaderSize> bytes{};
  bytes[2] = static_cast<std::uint8_t>(header.imageType);
  bytes[12] = static_cast<std::uint8_t>(header.width & 0xff);
  bytes[13] = static_cast<std::uint8_t>((header.width >> 8) & 0xff);
  bytes[14] = static_cast<std::uint8_t>(header.height & 0xff);
  bytes[15] = static_cast<std::uint8_t>((header.height >> 8) & 0xff);
  bytes[16] = static_cast<std::uint8_t>(header.bits);
  bytes[17] = static_cast<std::uint8_t>(header.descriptor);
  return bytes;
}

TgaDecodeResult decodeTga(std::span<const std::uint8_t> bytes) {
  TgaDecodeResult result;
  TgaHeader header;
  result.status = parseHeader(bytes, header);
  if (result.status != TgaStatus::Ok) return result;
  if (!streamCanHold(header, bytes.size() - kTgaHeaderSize)) {
    result.status = TgaStatus::BadType;
    return result;
  }

  TgaImage& image = result.image;
  image.width = header.width;
  image.height = header.height;
  image.bits = header.bits;
  const int n = header.bits / 8;
  const size_t total = static_cast<size_t>(header.width) * header.height;

  const auto data = bytes.subspan(kTgaHeaderSize);
  if (header.imageType == 2) {
    // A short stream leaves the rest zero; only pixels that got bytes need their order turned.
    const size_t copied = std::min(data.size(), total * n);
    image.pixels.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(copied));
    image.pixels.resize(total * n, 0);
    for (size_t i = 0; i < copied; i += n) std::swap(image.pixels[i], image.pixels[i + 2]);
  } else {
    image.pixels.assign(total * n, 0);  // a short stream leaves the rest zero
    decodeRunLength(data, n, image.pixels);
  }
  if (header.descriptor != 0) flipRows(image);
  return result;
}

TextureRecord loadTgaTexture(std::string_view path, long offset) {
  TextureRecord record;
  // The header, then no more of the file than the picture can use, so neither a huge file
  // nor a tiny one claiming a huge picture costs more than it must. A negative offset reads
  // no header at all.
  const size_t start = offset >= 0 ? static_cast<size_t>(offset) : SIZE_MAX;
  auto fileStart = [&](size_t bytes) { return platform::readFileStart(path, start == SIZE_MAX ? 0 : start + bytes); };
  auto fromStart = [&](std::optional<std::vector<std::uint8_t>> read) {
    if (!read || read->size() <= start) return std::vector<std::uint8_t>{};
    read->erase(read->begin(), read->begin() + static_cast<std::ptrdiff_t>(start));
    return std::move(*read);
  };
  TgaDecodeResult decoded;
  try {
    auto head = fileStart(kTgaHeaderSize);
    if (!head) return record;  // no file: no texture, no message
    const std::vector<std::uint8_t> bytes = fromStart(std::move(head));
    TgaHeader header;
    decoded.status = parseHeader(bytes, header);
    if (decoded.status == TgaStatus::Ok) decoded = decodeTga(fromStart(fileStart(kTgaHeaderSize + payloadLimit(header))));
  } catch (const std::bad_alloc&) {
    return record;
  }
  if (decoded.status != TgaStatus::Ok) {
    showBadFormat(decoded.status);
    return record;
  }
  record.width = decoded.image.width;
  record.height = decoded.image.height;
  record.bits = decoded.image.bits;
  uploadTexture(record, decoded.image.pixels.data());
  return record;
}

bool writeTga(std::string_view path, int width, int height, int bits,
              std::span<const std::uint8_t> pixels) {
  if (width <= 0 || height <= 0 || width > 0x7fff || height > 0x7fff) return false;
  if (bits != 24 && bits != 32) return false;
  const size_t n = static_cast<size_t>(bits / 8);
  const size_t stride = static_cast<size_t>(width) * n;
  if (pixels.size() < stride * height) return false;

  std::vector<std::uint8_t> file(kTgaHeaderSize + stride * height, 0);
  const auto header = writeTgaHeader({2, width, height, bits, bits == 32 ? 0x28 : 0});
  std::copy(header.begin(), header.end(), file.begin());
  for (int row = 0; row < height; ++row) {
    const int source = bits == 32 ? height - 1 - row : row;
    const std::uint8_t* in = &pixels[source * stride];
    std::uint8_t* out = &file[kTgaHeaderSize + row * stride];
    for (size_t i = 0; i < stride; i += n) {
      out[i] = in[i + 2];
      out[i + 1] = in[i + 1];
      out[i + 2] = in[i];
      if (n == 4) out[i + 3] = in[i + 3];
    }
  }
  return platform::writeWholeFile(path, file.data(), file.size());
}

}  // namespace resources
