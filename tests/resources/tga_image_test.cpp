#include "resources/tga_image.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/box_recorder.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace resources_test {
namespace {

using resources::decodeTga;
using resources::TgaStatus;

// Pixel k of a test picture, stored B, G, R (, A) as in the file.
Bytes storedPixel(int k, int n) {
  Bytes p = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k + 100),
             static_cast<std::uint8_t>(255 - k)};
  if (n == 4) p.push_back(static_cast<std::uint8_t>(k * 3));
  return p;
}

// The same pixel as the decoder hands it out: R, G, B (, A).
Bytes decodedPixel(int k, int n) {
  Bytes p = storedPixel(k, n);
  std::swap(p[0], p[2]);
  return p;
}

Bytes rawPayload(int count, int n, int first = 0) {
  Bytes out;
  for (int k = first; k < first + count; ++k) {
    const Bytes p = storedPixel(k, n);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

Bytes decodedPixels(int count, int n, int first = 0) {
  Bytes out;
  for (int k = first; k < first + count; ++k) {
    const Bytes p = decodedPixel(k, n);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

Bytes rowsReversed(const Bytes& pixels, int width, int height, int n) {
  Bytes out(pixels.size());
  const size_t stride = static_cast<size_t>(width) * n;
  for (int y = 0; y < height; ++y)
    std::copy_n(&pixels[y * stride], stride, &out[(height - 1 - y) * stride]);
  return out;
}

// Run-length coding of a picture as raw packets of at most `chunk` pixels.
Bytes rawPackets(const Bytes& stored, int n, int chunk) {
  Bytes out;
  const int count = static_cast<int>(stored.size()) / n;
  for (int k = 0; k < count; k += chunk) {
    const int take = std::min(chunk, count - k);
    out.push_back(static_cast<std::uint8_t>(take - 1));
    out.insert(out.end(), stored.begin() + k * n, stored.begin() + (k + take) * n);
  }
  return out;
}

TEST(TgaDecode, UncompressedSwapsToRgbAndKeepsTheStoredRowOrder) {
  for (int bits : {24, 32}) {
    const int n = bits / 8;
    const auto result = decodeTga(tgaFile(2, 3, 2, bits, 0, rawPayload(6, n)));
    ASSERT_EQ(result.status, TgaStatus::Ok) << bits;
    EXPECT_EQ(result.image.width, 3);
    EXPECT_EQ(result.image.height, 2);
    EXPECT_EQ(result.image.bits, bits);
    EXPECT_EQ(result.image.pixels, decodedPixels(6, n)) << bits;
  }
}

TEST(TgaDecode, RunLengthRawPacketsGiveTheSamePictureAsUncompressed) {
  for (int bits : {24, 32}) {
    const int n = bits / 8;
    const Bytes stored = rawPayload(12, n);
    const auto plain = decodeTga(tgaFile(2, 4, 3, bits, 0, stored));
    const auto packed = decodeTga(tgaFile(10, 4, 3, bits, 0, rawPackets(stored, n, 5)));
    ASSERT_EQ(packed.status, TgaStatus::Ok);
    EXPECT_EQ(packed.image.pixels, plain.image.pixels) << bits;
  }
}

TEST(TgaDecode, PacketHeadersAtTheirBoundaries) {
  // 0xFF repeats 128 times, 0x00 carries one pixel, 0x80 repeats once, 0x7F carries 128:
  // any count off by one shifts every later pixel.
  const int n = 3;
  Bytes payload = {0xFF};
  auto add = [&](const Bytes& b) { payload.insert(payload.end(), b.begin(), b.end()); };
  add(storedPixel(1, n));
  payload.push_back(0x00);
  add(storedPixel(2, n));
  payload.push_back(0x80);
  add(storedPixel(3, n));
  payload.push_back(0x7F);
  add(rawPayload(128, n, 10));
  const int total = 128 + 1 + 1 + 128;
  const auto result = decodeTga(tgaFile(10, total, 1, 24, 0, payload));
  ASSERT_EQ(result.status, TgaStatus::Ok);

  Bytes expected;
  for (int i = 0; i < 128; ++i) {
    const Bytes p = decodedPixel(1, n);
    expected.insert(expected.end(), p.begin(), p.end());
  }
  for (int k : {2, 3}) {
    const Bytes p = decodedPixel(k, n);
    expected.insert(expected.end(), p.begin(), p.end());
  }
  const Bytes raw = decodedPixels(128, n, 10);
  expected.insert(expected.end(), raw.begin(), raw.end());
  EXPECT_EQ(result.image.pixels, expected);
}

TEST(TgaDecode, AnyNonZeroDescriptorFlipsTheRows) {
  const int n = 4;
  const Bytes stored = rawPayload(12, n);
  const Bytes packets = rawPackets(stored, n, 7);
  const auto upright = decodeTga(tgaFile(10, 4, 3, 32, 0, packets));
  for (int descriptor : {8, 0x20, 0x28, 1}) {
    const auto flipped = decodeTga(tgaFile(10, 4, 3, 32, descriptor, packets));
    ASSERT_EQ(flipped.status, TgaStatus::Ok);
    EXPECT_EQ(flipped.image.pixels, rowsReversed(upright.image.pixels, 4, 3, n)) << descriptor;
  }
  // The odd height kept its middle row in place.
  EXPECT_EQ(Bytes(&upright.image.pixels[16], &upright.image.pixels[32]), decodedPixels(4, n, 4));
}

TEST(TgaDecode, TopDownWithOriginBitMatchesBottomUp) {
  for (int bits : {24, 32}) {
    const int n = bits / 8;
    const Bytes bottomUp = rawPayload(10, n);
    const Bytes topDown = rowsReversed(bottomUp, 2, 5, n);
    const auto a = decodeTga(tgaFile(2, 2, 5, bits, 0, bottomUp));
    const auto b = decodeTga(tgaFile(2, 2, 5, bits, 0x20, topDown));
    const auto c = decodeTga(tgaFile(10, 2, 5, bits, 0x20, rawPackets(topDown, n, 3)));
    EXPECT_EQ(a.image.pixels, b.image.pixels) << bits;
    EXPECT_EQ(a.image.pixels, c.image.pixels) << bits;
  }
}

TEST(TgaDecode, PacketsRunningPastTheLastPixelStopThere) {
  const int n = 3;
  // A run of 128 on a picture of 5 pixels, then a raw packet that no pixel is left for.
  Bytes payload = {0xFF};
  const Bytes p = storedPixel(7, n);
  payload.insert(payload.end(), p.begin(), p.end());
  payload.push_back(0x7F);
  const Bytes more = rawPayload(128, n, 50);
  payload.insert(payload.end(), more.begin(), more.end());
  const auto run = decodeTga(tgaFile(10, 5, 1, 24, 0, payload));
  ASSERT_EQ(run.status, TgaStatus::Ok);
  ASSERT_EQ(run.image.pixels.size(), 15u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(run.image.pixels[i * 3], 255 - 7);

  // A raw packet of 128 on a picture of 3 pixels keeps the first 3.
  Bytes raw = {0x7F};
  raw.insert(raw.end(), more.begin(), more.end());
  const auto cut = decodeTga(tgaFile(10, 3, 1, 24, 0, raw));
  EXPECT_EQ(cut.image.pixels, decodedPixels(3, n, 50));
}

TEST(TgaDecode, ShortStreamsLeaveTheRestZero) {
  const int n = 4;
  // Uncompressed: 2.5 of 4 pixels present.
  Bytes stored = rawPayload(3, n);
  stored.resize(10);
  const auto plain = decodeTga(tgaFile(2, 2, 2, 32, 0, stored));
  ASSERT_EQ(plain.status, TgaStatus::Ok);
  Bytes expected = decodedPixels(2, n);
  expected.resize(16, 0);
  expected[8] = 0;  // the half pixel's third byte never arrived, so its red stays 0
  expected[9] = stored[9];
  expected[10] = stored[8];
  EXPECT_EQ(plain.image.pixels, expected);

  // Run-length: a run packet whose pixel is cut off, and a stream that simply ends.
  const Bytes runCut = {0x83, 1, 2};
  const auto cutRun = decodeTga(tgaFile(10, 2, 2, 32, 0, runCut));
  EXPECT_EQ(cutRun.image.pixels, Bytes(16, 0));
  Bytes ends = {0x00};
  const Bytes one = storedPixel(9, n);
  ends.insert(ends.end(), one.begin(), one.end());
  ends.push_back(0x02);  // announces 3 pixels, none follow
  const auto ended = decodeTga(tgaFile(10, 2, 2, 32, 8, ends));
  Bytes want(16, 0);
  const Bytes first = decodedPixel(9, n);
  std::copy(first.begin(), first.end(), want.begin() + 8);  // row 0 moved up by the flip
  EXPECT_EQ(ended.image.pixels, want);
}

TEST(TgaDecode, RejectsUnsupportedTypesDepthsAndSizes) {
  const Bytes px = rawPayload(4, 3);
  EXPECT_EQ(decodeTga(tgaFile(1, 2, 2, 24, 0, px)).status, TgaStatus::BadType);
  EXPECT_EQ(decodeTga(tgaFile(3, 2, 2, 24, 0, px)).status, TgaStatus::BadType);
  EXPECT_EQ(decodeTga(tgaFile(11, 2, 2, 24, 0, px)).status, TgaStatus::BadType);
  EXPECT_EQ(decodeTga(tgaFile(2, 2, 2, 16, 0, px)).status, TgaStatus::BadDepth);
  EXPECT_EQ(decodeTga(tgaFile(10, 2, 2, 8, 0, px)).status, TgaStatus::BadDepth);
  EXPECT_EQ(decodeTga(tgaFile(2, 0, 2, 24, 0, px)).status, TgaStatus::BadType);
  EXPECT_EQ(decodeTga(tgaFile(2, 2, 0xFFFF, 24, 0, px)).status, TgaStatus::BadType);  // -1
  EXPECT_EQ(decodeTga(tgaFile(2, 0x8000, 1, 24, 0, px)).status, TgaStatus::BadType);  // -32768
  EXPECT_EQ(decodeTga(tgaFile(10, 16385, 1, 24, 0, px)).status, TgaStatus::BadType);
  EXPECT_EQ(decodeTga(tgaFile(10, 16384, 1, 24, 0, px)).status, TgaStatus::Ok);
  Bytes header = tgaFile(2, 2, 2, 24, 0, {});
  header.resize(17);
  EXPECT_EQ(decodeTga(header).status, TgaStatus::BadType);
  EXPECT_EQ(decodeTga({}).status, TgaStatus::BadType);
}

class TgaTexture : public GlTest {
 protected:
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd{folder.path()};
  testing_support::BoxRecorder boxes;
};

TEST_F(TgaTexture, UploadsTightRowsWithTheSharedSettingsAndStaysBound) {
  // 2 x 2 at 24 bits: rows of 6 bytes, which the default unpack alignment would misread.
  folder.write("a.tga", asString(tgaFile(2, 2, 2, 24, 0, rawPayload(4, 3))));
  resources::TextureRecord record = resources::loadTgaTexture("a.tga", 0);
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.width, 2);
  EXPECT_EQ(record.height, 2);
  EXPECT_EQ(record.bits, 24);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), record.name);
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);

  int w = 0;
  int h = 0;
  const Bytes level0 = readTexture(record.name, &w, &h);
  ASSERT_EQ(w, 2);
  ASSERT_EQ(h, 2);
  const Bytes rgb = decodedPixels(4, 3);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(level0[i * 4 + 0], rgb[i * 3 + 0]) << i;
    EXPECT_EQ(level0[i * 4 + 1], rgb[i * 3 + 1]) << i;
    EXPECT_EQ(level0[i * 4 + 2], rgb[i * 3 + 2]) << i;
  }
  EXPECT_EQ(texParameter(record.name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(texParameter(record.name, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(texParameter(record.name, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(texParameter(record.name, GL_TEXTURE_WRAP_T), GL_REPEAT);
  GLint level1 = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
  EXPECT_EQ(level1, 1) << "the mipmap chain was not built";
  EXPECT_TRUE(boxes.boxes().empty());
  resources::releaseTexture(record);
}

TEST_F(TgaTexture, RunLengthWithAlphaAndBothOriginsGiveTheSameTexture) {
  const Bytes bottomUp = rawPayload(16, 4);
  folder.write("up.tga", asString(tgaFile(10, 4, 4, 32, 0, rawPackets(bottomUp, 4, 3))));
  folder.write("down.tga", asString(tgaFile(2, 4, 4, 32, 0x20, rowsReversed(bottomUp, 4, 4, 4))));
  folder.write("eight.tga", asString(tgaFile(10, 4, 4, 32, 8, rawPackets(bottomUp, 4, 16))));
  auto up = resources::loadTgaTexture("up.tga");
  auto down = resources::loadTgaTexture("down.tga");
  auto eight = resources::loadTgaTexture("eight.tga");
  EXPECT_EQ(up.bits, 32);
  const Bytes a = readTexture(up.name);
  EXPECT_EQ(a, decodedPixels(16, 4));
  EXPECT_EQ(readTexture(down.name), a);
  EXPECT_EQ(readTexture(eight.name), rowsReversed(a, 4, 4, 4));
  for (auto* r : {&up, &down, &eight}) resources::releaseTexture(*r);
}

TEST_F(TgaTexture, ReadsFromAnOffsetAndThroughThePathResolver) {
  Bytes file = {9, 9, 9, 9, 9};
  const Bytes tga = tgaFile(2, 2, 2, 32, 0, rawPayload(4, 4));
  file.insert(file.end(), tga.begin(), tga.end());
  folder.write("Textures/Inside.tga", asString(file));
  auto record = resources::loadTgaTexture("textures\\INSIDE.tga", 5);
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(readTexture(record.name), decodedPixels(4, 4));
  resources::releaseTexture(record);
}

TEST_F(TgaTexture, MissingAndBadFilesGiveEmptyRecords) {
  auto missing = resources::loadTgaTexture("nothing.tga");
  EXPECT_EQ(missing.name, 0u);
  EXPECT_EQ(missing.width + missing.height + missing.bits, 0);
  EXPECT_TRUE(boxes.boxes().empty()) << "a missing file shows no box";

  folder.write("type.tga", asString(tgaFile(1, 2, 2, 24, 0, rawPayload(4, 3))));
  auto type = resources::loadTgaTexture("type.tga");
  EXPECT_EQ(type.name, 0u);
  EXPECT_EQ(type.width, 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_TRUE(boxes.saw("Error", "Bad TGA format."));

  folder.write("depth.tga", asString(tgaFile(2, 2, 2, 16, 0, rawPayload(4, 3))));
  auto depth = resources::loadTgaTexture("depth.tga");
  EXPECT_EQ(depth.name, 0u);
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_TRUE(boxes.saw("Error",
                        "Bad TGA format, only supporting 24 & 32bits compressed or uncompressed."));

  folder.write("huge.tga", asString(tgaFile(2, 30000, 30000, 32, 0, rawPayload(4, 4))));
  EXPECT_EQ(resources::loadTgaTexture("huge.tga").name, 0u);
  folder.write("cut.tga", std::string("\0\0\2\0\0", 5));
  EXPECT_EQ(resources::loadTgaTexture("cut.tga").name, 0u);
  EXPECT_EQ(resources::loadTgaTexture("depth.tga", 1000).name, 0u);  // offset past the end
  EXPECT_EQ(boxes.boxes().size(), 5u);
}

TEST_F(TgaTexture, TruncatedFileUploadsWhatArrivedAndZeroes) {
  Bytes file = tgaFile(2, 2, 2, 24, 0, rawPayload(4, 3));
  file.resize(18 + 6);  // only the first row
  folder.write("short.tga", asString(file));
  auto record = resources::loadTgaTexture("short.tga");
  ASSERT_FALSE(record.empty());
  const Bytes level0 = readTexture(record.name);
  const Bytes first = decodedPixels(2, 3);
  EXPECT_EQ(level0[0], first[0]);
  EXPECT_EQ(level0[4 + 2], first[5]);
  for (int i = 8; i < 16; ++i) {
    if (i % 4 == 3) continue;  // alpha of an RGB texture reads back as 255
    EXPECT_EQ(level0[i], 0) << i;
  }
  resources::releaseTexture(record);
}

TEST_F(TgaTexture, WrittenPicturesLoadUpright) {
  for (int bits : {24, 32}) {
    const int n = bits / 8;
    Bytes pixels;  // bottom-up R, G, B (, A), as the writer takes them
    for (int i = 0; i < 8 * 4 * n; ++i) pixels.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    ASSERT_TRUE(resources::writeTga("w.tga", 8, 4, bits, pixels)) << bits;
    auto record = resources::loadTgaTexture("w.tga");
    ASSERT_EQ(record.bits, bits);
    const Bytes level0 = readTexture(record.name);
    for (int i = 0; i < 32; ++i)
      for (int c = 0; c < n; ++c) EXPECT_EQ(level0[i * 4 + c], pixels[i * n + c]) << bits << " " << i;
    resources::releaseTexture(record);
  }
  const Bytes tooShort(8 * 4 * 3 - 1, 0);
  EXPECT_FALSE(resources::writeTga("bad.tga", 8, 4, 24, tooShort));
  EXPECT_FALSE(resources::writeTga("bad.tga", 8, 4, 16, Bytes(8 * 4 * 4, 0)));
  EXPECT_FALSE(resources::writeTga("bad.tga", 0, 4, 24, tooShort));
  EXPECT_FALSE(resources::writeTga("no/such/folder/w.tga", 1, 1, 24, Bytes(3, 0)));
  EXPECT_FALSE(folder.exists("bad.tga"));
}

}  // namespace
}  // namespace resources_test
