#include "test_module.h"

#include <cmath>
#include <cstring>

namespace music_test {
namespace {

constexpr std::size_t kSongHeader = 0xC0;
constexpr std::size_t kSampleHeader = 0x50;
constexpr int kSampleFrames = 400;

void put16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void putText(std::vector<std::uint8_t>& b, std::size_t at, const char* text) {
  std::memcpy(&b[at], text, std::strlen(text));
}

// Row 0: channel 1 plays `note` with sample 1 at volume 64; the other rows are empty.
std::vector<std::uint8_t> packedPattern(int rows, std::uint8_t note) {
  std::vector<std::uint8_t> data{0x81, 0x07, note, 0x01, 0x40, 0x00};
  data.resize(data.size() + static_cast<std::size_t>(rows - 1), 0x00);
  return data;
}

}  // namespace

std::vector<std::uint8_t> buildTestModule(const ModuleShape& shape) {
  const int orderCount = shape.patterns + 1;  // with the closing 255
  const std::size_t tables = kSongHeader + orderCount + 4 * (1 + shape.patterns);
  std::vector<std::uint8_t> b(tables + kSampleHeader, 0);

  putText(b, 0x00, "IMPM");
  putText(b, 0x04, "music test");
  put16(b, 0x1E, 0x1004);
  put16(b, 0x20, orderCount);
  put16(b, 0x22, 0);  // sample mode
  put16(b, 0x24, 1);
  put16(b, 0x26, shape.patterns);
  put16(b, 0x28, 0x0214);
  put16(b, 0x2A, 0x0214);
  put16(b, 0x2C, 0x0009);  // stereo, linear slides
  b[0x30] = 128;
  b[0x31] = 48;
  b[0x32] = shape.speed;
  b[0x33] = shape.tempo;
  b[0x34] = 128;
  for (int c = 0; c < 64; ++c) {
    b[0x40 + c] = c == 0 ? 32 : 0xA0;
    b[0x80 + c] = 64;
  }
  for (int o = 0; o < shape.patterns; ++o) b[kSongHeader + o] = static_cast<std::uint8_t>(o);
  b[kSongHeader + shape.patterns] = 255;

  const std::size_t sampleOffsetAt = kSongHeader + orderCount;
  const std::size_t sampleHeaderAt = tables;
  put32(b, sampleOffsetAt, static_cast<std::uint32_t>(sampleHeaderAt));

  for (int p = 0; p < shape.patterns; ++p) {
    const auto data = packedPattern(shape.rows, static_cast<std::uint8_t>(48 + 5 * p));
    put32(b, sampleOffsetAt + 4 + 4 * p, static_cast<std::uint32_t>(b.size()));
    std::vector<std::uint8_t> header(8, 0);
    put16(header, 0, static_cast<unsigned>(data.size()));
    put16(header, 2, static_cast<unsigned>(shape.rows));
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), data.begin(), data.end());
  }

  // A looped, slightly rounded sawtooth: loud from its first frame on.
  const std::size_t h = sampleHeaderAt;
  putText(b, h, "IMPS");
  b[h + 0x11] = 64;    // global volume
  b[h + 0x12] = 0x13;  // data present, 16-bit, loop
  b[h + 0x13] = 64;    // default volume
  putText(b, h + 0x14, "saw");
  b[h + 0x2E] = 0x01;  // signed
  put32(b, h + 0x30, kSampleFrames);
  put32(b, h + 0x34, 0);
  put32(b, h + 0x38, kSampleFrames);
  put32(b, h + 0x3C, 44100);
  put32(b, h + 0x48, static_cast<std::uint32_t>(b.size()));
  for (int i = 0; i < kSampleFrames; ++i) {
    const double phase = static_cast<double>(i) / kSampleFrames;
    const auto value = static_cast<std::int16_t>(std::lround(20000.0 * (1.0 - 2.0 * phase) + 3000.0 * std::sin(6.283 * phase)));
    b.push_back(static_cast<std::uint8_t>(value));
    b.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8));
  }
  return b;
}

}  // namespace music_test
