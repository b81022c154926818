#include "resources/texture_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/crt_random.h"
#include "resources/tga_image.h"
#include "support/box_recorder.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace resources_test {
namespace {

// The first ten results of the C runtime's rand() from its initial seed (41, 18467, 6334,
// 26500, ...), each modulo 255.
constexpr int kFirstNoise[] = {41, 107, 214, 235, 44, 169, 3, 33, 187, 239};

TEST(NoiseTexture, FirstColumnFollowsTheUnseededRuntimeGenerator) {
  platform::crtSrand(777);  // whatever ran before must not matter
  const Bytes pixels = resources::noisePixels();
  ASSERT_EQ(pixels.size(), 256u * 256u * 4u);
  for (int y = 0; y < 10; ++y) {
    const std::uint8_t* p = &pixels[static_cast<size_t>(y) * 1024];
    EXPECT_EQ(p[0], kFirstNoise[y]) << "row " << y;
    EXPECT_EQ(p[1], p[0]);
    EXPECT_EQ(p[2], p[0]);
    EXPECT_EQ(p[3], 255);
  }
  // Column by column: the second value went down the first column, not along the first row.
  EXPECT_NE(pixels[4], kFirstNoise[1]);
  int maximum = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) maximum = std::max<int>(maximum, pixels[i]);
  EXPECT_EQ(maximum, 254);
  EXPECT_EQ(resources::noisePixels(), pixels);
  // The generator stands where 65536 draws from seed 1 leave it.
  platform::crtSrand(1);
  for (int i = 0; i < 65536; ++i) platform::crtRand();
  const int expectedNext = platform::crtRand();
  resources::noisePixels();
  EXPECT_EQ(platform::crtRand(), expectedNext);
}

class TextureTable : public GlTest {
 protected:
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd{folder.path()};
  testing_support::BoxRecorder boxes;
};

TEST_F(TextureTable, EntriesFindTheirFilesAndGeneratedTexturesFollow) {
  // Three of the 24 files exist, one of them under different letter case.
  std::filesystem::create_directories(folder.file("Textures/Morvan"));
  const Bytes picture(16 * 8 * 4, 200);
  ASSERT_TRUE(resources::writeTga(folder.file("Textures/Where.tga"), 16, 8, 32, picture));
  ASSERT_TRUE(writeJpeg(folder.file("Textures/waves.jpg"), 32, 16, 3, Bytes(32 * 16 * 3, 90)));
  ASSERT_TRUE(writeJpeg(folder.file("Textures/Morvan/waterfx.jpg"), 8, 8, 3, Bytes(8 * 8 * 3, 50)));

  resources::loadTextureTable();
  const auto& table = resources::textureTable;
  for (int i = 0; i < resources::kTextureTableSize; ++i) {
    const bool present = i == 4 || i == 12 || i == 21;
    EXPECT_EQ(!resources::tableTexture(i).empty(), present) << "entry " << i;
  }
  EXPECT_EQ(table.entries[4].bits, 32);
  EXPECT_EQ(table.entries[4].width, 16);
  EXPECT_EQ(table.entries[12].width, 32);
  EXPECT_EQ(table.entries[12].bits, 24);
  EXPECT_TRUE(boxes.boxes().empty());

  // Generated textures: noise at level 0 only with nearest filtering, targets 512 x 512.
  int w = 0;
  int h = 0;
  const Bytes noise = readTexture(table.noiseTexture, &w, &h);
  EXPECT_EQ(w, 256);
  EXPECT_EQ(h, 256);
  EXPECT_EQ(noise, resources::noisePixels());
  EXPECT_EQ(texParameter(table.noiseTexture, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
  EXPECT_EQ(texParameter(table.noiseTexture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  for (GLuint target : {table.trailTexture, table.backdropTexture}) {
    readTexture(target, &w, &h);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);
    EXPECT_EQ(texParameter(target, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(target, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  }
  EXPECT_NE(table.trailTexture, table.backdropTexture);

  const GLuint where = table.entries[4].name;
  resources::releaseTextureTable();
  EXPECT_FALSE(glIsTexture(where));
  for (const auto& record : table.entries) EXPECT_TRUE(record.empty());
  EXPECT_TRUE(glIsTexture(table.noiseTexture)) << "generated textures end with the context";
  glDeleteTextures(1, &table.noiseTexture);
  glDeleteTextures(1, &table.trailTexture);
  glDeleteTextures(1, &table.backdropTexture);
}

}  // namespace
}  // namespace resources_test
