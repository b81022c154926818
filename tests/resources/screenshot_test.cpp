#include "resources/screenshot.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/settings.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace resources_test {
namespace {

class Screenshot : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    saved = platform::settings;
    platform::settings.screenWidth = gl().width();
    platform::settings.screenHeight = gl().height();
    resources::resetScreenshotCounter();
  }
  void TearDown() override { platform::settings = saved; }

  platform::Settings saved;
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd{folder.path()};
};

// Dark blue window with an orange block in its bottom-left corner.
void drawScene(int width, int height) {
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, width / 4, height / 4);
  glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

TEST_F(Screenshot, WritesTheWindowAsABottomUpBgrTga) {
  const int w = gl().width();
  const int h = gl().height();
  drawScene(w, h);
  const auto name = resources::saveScreenshot();
  ASSERT_TRUE(name);
  EXPECT_EQ(*name, "screenshot0.tga");
  const std::string file = folder.read("screenshot0.tga");
  ASSERT_EQ(file.size(), 18u + static_cast<size_t>(w) * h * 3);
  const std::string header = file.substr(0, 18);
  std::string expected(18, '\0');
  expected[2] = 2;
  expected[12] = static_cast<char>(w & 0xff);
  expected[13] = static_cast<char>(w >> 8);
  expected[14] = static_cast<char>(h & 0xff);
  expected[15] = static_cast<char>(h >> 8);
  expected[16] = 24;
  EXPECT_EQ(header, expected);

  auto pixel = [&](int x, int y) {  // y counted from the bottom, as stored
    const size_t at = 18 + (static_cast<size_t>(y) * w + x) * 3;
    return std::array<int, 3>{static_cast<std::uint8_t>(file[at]),
                              static_cast<std::uint8_t>(file[at + 1]),
                              static_cast<std::uint8_t>(file[at + 2])};
  };
  EXPECT_EQ(pixel(0, 0), (std::array<int, 3>{0, 128, 255}));       // orange, as B, G, R
  EXPECT_EQ(pixel(w - 1, h - 1), (std::array<int, 3>{128, 0, 0}));  // dark blue
  EXPECT_EQ(pixel(w / 4 - 1, h / 4 - 1), (std::array<int, 3>{0, 128, 255}));
  EXPECT_EQ(pixel(w / 4, 0), (std::array<int, 3>{128, 0, 0}));
}

TEST_F(Screenshot, NumberingSkipsTakenNamesAndNeverGoesBack) {
  folder.write("screenshot0.tga", "x");
  folder.write("screenshot1.tga", "x");
  drawScene(gl().width(), gl().height());
  EXPECT_EQ(resources::saveScreenshot().value_or(""), "screenshot2.tga");
  ASSERT_TRUE(platform::deleteFile("screenshot2.tga"));
  EXPECT_EQ(resources::saveScreenshot().value_or(""), "screenshot3.tga");
  EXPECT_FALSE(folder.exists("screenshot2.tga"));
  EXPECT_TRUE(folder.exists("screenshot3.tga"));
  EXPECT_EQ(folder.read("screenshot0.tga"), "x");
}

TEST(ScreenshotNames, SearchIsBounded) {
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd(folder.path());
  resources::resetScreenshotCounter();
  for (int i = 0; i < 10000; ++i) folder.write("screenshot" + std::to_string(i) + ".tga", "");
  EXPECT_FALSE(resources::nextScreenshotName());
  // The counter moved on; the next search starts past the taken names.
  EXPECT_EQ(resources::nextScreenshotName().value_or(""), "screenshot10000.tga");
}

TEST(ScreenshotNames, WriterUsesTheWindowSizeAndRefusesShortBuffers) {
  testing_support::TempFolder folder;
  const platform::Settings saved = platform::settings;
  platform::settings.screenWidth = 3;
  platform::settings.screenHeight = 2;
  const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  EXPECT_TRUE(resources::writeTgaFile(folder.file("s.tga"), rgb));
  EXPECT_FALSE(resources::writeTgaFile(folder.file("t.tga"), Bytes(17, 0)));
  EXPECT_FALSE(resources::writeTgaFile(folder.file("missing/u.tga"), rgb));
  platform::settings = saved;
  const std::string file = folder.read("s.tga");
  ASSERT_EQ(file.size(), 18u + 18u);
  EXPECT_EQ(file[12], 3);
  EXPECT_EQ(file[14], 2);
  EXPECT_EQ(file[17], 0);
  EXPECT_EQ(file.substr(18, 6), std::string("\3\2\1\6\5\4"));
  EXPECT_FALSE(folder.exists("t.tga"));
  EXPECT_EQ(folder.entryCount(), 1);
}

}  // namespace
}  // namespace resources_test
