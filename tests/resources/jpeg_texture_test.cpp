#include "resources/jpeg_texture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/box_recorder.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace resources_test {
namespace {

// Top half red, bottom half blue, a green column on the left.
Bytes colourPicture(int width, int height) {
  Bytes pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (x < width / 4) {
        pixels.insert(pixels.end(), {0, 255, 0});
      } else if (y < height / 2) {
        pixels.insert(pixels.end(), {255, 0, 0});
      } else {
        pixels.insert(pixels.end(), {0, 0, 255});
      }
    }
  return pixels;
}

bool near(int a, int b) { return std::abs(a - b) <= 24; }

class JpegTexture : public GlTest {
 protected:
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd{folder.path()};
  testing_support::BoxRecorder boxes;
};

TEST_F(JpegTexture, ColourFileKeepsItsFirstScanlineAtTheFirstRow) {
  ASSERT_TRUE(writeJpeg(folder.file("c.jpg"), 16, 16, 3, colourPicture(16, 16)));
  auto record = resources::loadJpegTexture("c.jpg");
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.width, 16);
  EXPECT_EQ(record.height, 16);
  EXPECT_EQ(record.bits, 24);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), record.name);
  int w = 0;
  int h = 0;
  const Bytes level0 = readTexture(record.name, &w, &h);
  ASSERT_EQ(w, 16);
  ASSERT_EQ(h, 16);
  auto at = [&](int x, int y) { return &level0[(y * 16 + x) * 4]; };
  // Row 0 is the top of the picture (red), the last row its bottom (blue); channels in order.
  EXPECT_TRUE(near(at(10, 1)[0], 255) && near(at(10, 1)[1], 0) && near(at(10, 1)[2], 0));
  EXPECT_TRUE(near(at(10, 14)[0], 0) && near(at(10, 14)[1], 0) && near(at(10, 14)[2], 255));
  EXPECT_TRUE(near(at(1, 8)[0], 0) && near(at(1, 8)[1], 255) && near(at(1, 8)[2], 0));
  EXPECT_EQ(texParameter(record.name, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(texParameter(record.name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  resources::releaseTexture(record);
  EXPECT_TRUE(record.empty());
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(JpegTexture, OddSizesKeepTheirOwnSizeInTheRecord) {
  ASSERT_TRUE(writeJpeg(folder.file("odd.jpg"), 300, 225, 3, colourPicture(300, 225), 90));
  auto record = resources::loadJpegTexture("odd.jpg");
  EXPECT_EQ(record.width, 300);
  EXPECT_EQ(record.height, 225);
  int w = 0;
  int h = 0;
  const Bytes level0 = readTexture(record.name, &w, &h);
  // The mipmap builder rescales to powers of two; the picture survives it.
  EXPECT_EQ(w, 256);
  EXPECT_EQ(h, 256);
  ASSERT_FALSE(level0.empty());
  const std::uint8_t* topRight = &level0[(10 * w + 200) * 4];
  EXPECT_TRUE(near(topRight[0], 255) && near(topRight[2], 0));
  resources::releaseTexture(record);
}

TEST_F(JpegTexture, GreyscaleGivesEightBitsAndANameWithoutImage) {
  ASSERT_TRUE(writeJpeg(folder.file("g.jpg"), 8, 8, 1, Bytes(64, 128)));
  resources::JpegImage image;
  ASSERT_TRUE(resources::decodeJpegFile("g.jpg", image));
  EXPECT_EQ(image.components, 1);
  EXPECT_TRUE(near(image.pixels[0], 128));

  auto record = resources::loadJpegTexture("g.jpg");
  EXPECT_EQ(record.bits, 8);
  EXPECT_EQ(record.width, 8);
  ASSERT_NE(record.name, 0u);
  EXPECT_TRUE(glIsTexture(record.name));
  int w = -1;
  readTexture(record.name, &w);
  EXPECT_EQ(w, 0);
  resources::releaseTexture(record);
}

TEST_F(JpegTexture, MissingFileGivesAnEmptyRecordSilently) {
  auto record = resources::loadJpegTexture("Textures\\none.jpg");
  EXPECT_EQ(record.name, 0u);
  EXPECT_EQ(record.width, 0);
  EXPECT_EQ(record.height, 0);
  EXPECT_EQ(record.bits, 0);
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(JpegTexture, RejectedFilesGiveEmptyRecordsAndLoadingGoesOn) {
  ASSERT_TRUE(writeJpeg(folder.file("good.jpg"), 16, 16, 3, colourPicture(16, 16)));
  const std::string good = folder.read("good.jpg");
  folder.write("text.jpg", "this is not a picture at all");
  folder.write("empty.jpg", "");
  folder.write("header.jpg", good.substr(0, 40));  // cut inside the tables
  const size_t sof = good.find("\xFF\xC0", 2);
  ASSERT_NE(sof, std::string::npos);
  std::string bogus = good;
  bogus[sof + 4] = 12;  // a sample precision the decoder does not do
  folder.write("precision.jpg", bogus);
  std::string huge = good;  // a frame header claiming 60000 x 60000
  huge[sof + 5] = '\xEA';
  huge[sof + 6] = '\x60';
  huge[sof + 7] = '\xEA';
  huge[sof + 8] = '\x60';
  folder.write("huge.jpg", huge);

  for (const char* name : {"text.jpg", "empty.jpg", "header.jpg", "precision.jpg", "huge.jpg"}) {
    auto record = resources::loadJpegTexture(name);
    EXPECT_EQ(record.name, 0u) << name;
    EXPECT_EQ(record.width + record.height + record.bits, 0) << name;
  }
  // The decoder is left in a clean state for the next file.
  auto record = resources::loadJpegTexture("good.jpg");
  EXPECT_EQ(record.bits, 24);
  EXPECT_FALSE(record.empty());
  resources::releaseTexture(record);
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(JpegTexture, CutScanDataStillGivesAFullSizedTexture) {
  // Busy below the red top rows, so the scan data far outweighs the tables.
  Bytes busy = colourPicture(64, 64);
  for (size_t i = 64 * 3 * 8; i < busy.size(); ++i) busy[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  ASSERT_TRUE(writeJpeg(folder.file("full.jpg"), 64, 64, 3, busy, 95));
  const std::string full = folder.read("full.jpg");
  folder.write("cut.jpg", full.substr(0, full.size() * 2 / 3));
  auto record = resources::loadJpegTexture("cut.jpg");
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.width, 64);
  EXPECT_EQ(record.height, 64);
  const Bytes level0 = readTexture(record.name);
  EXPECT_TRUE(near(level0[(2 * 64 + 40) * 4], 255)) << "the top rows arrived";
  resources::releaseTexture(record);
}

}  // namespace
}  // namespace resources_test
