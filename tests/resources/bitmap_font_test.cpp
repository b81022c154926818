#include "resources/bitmap_font.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "support/box_recorder.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace resources_test {
namespace {

TEST(BitmapFontHeight, FollowsTheWindowWidthInSinglePrecision) {
  EXPECT_EQ(resources::bitmapFontHeight(512), -14);
  EXPECT_EQ(resources::bitmapFontHeight(640), -17);  // 17.9999995..., not 18
  EXPECT_EQ(resources::bitmapFontHeight(800), -22);
  EXPECT_EQ(resources::bitmapFontHeight(1024), -28);
}

struct InkBox {
  int left = INT_MAX, right = -1, top = -1, bottom = INT_MAX;  // rows counted from the bottom
  int width() const { return right < 0 ? 0 : right - left + 1; }
  int height() const { return top < 0 ? 0 : top - bottom + 1; }
};

class BitmapFontDrawing : public GlTest {
 protected:
  void prepare() override {
    if (resources::bitmapFontFile().empty()) GTEST_SKIP() << "Liberation Sans Bold is not installed";
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, gl().width(), 0, gl().height(), -1, 1);
    glMatrixMode(GL_MODELVIEW);
  }

  // Draws `text` with its baseline at (x, y) and returns where ink landed.
  InkBox draw(const resources::BitmapFont& font, const std::string& text, int x = 20, int y = 40) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glRasterPos2i(x, y);
    glListBase(font.listBase - resources::kBitmapFontFirstChar);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    const Bytes pixels = gl().readPixels();  // top row first
    InkBox box;
    for (int row = 0; row < gl().height(); ++row)
      for (int col = 0; col < gl().width(); ++col)
        if (pixels[(static_cast<size_t>(row) * gl().width() + col) * 4] > 128) {
          const int up = gl().height() - 1 - row;
          box.left = std::min(box.left, col);
          box.right = std::max(box.right, col);
          box.top = std::max(box.top, up);
          box.bottom = std::min(box.bottom, up);
        }
    return box;
  }
};

TEST_F(BitmapFontDrawing, ListsDrawGlyphsSizedByTheHeight) {
  resources::BitmapFont large;
  ASSERT_TRUE(large.create(-28));
  ASSERT_NE(large.listBase, 0u);
  EXPECT_TRUE(glIsList(large.listBase));
  EXPECT_TRUE(glIsList(large.listBase + 95));

  const InkBox h = draw(large, "H");
  ASSERT_GT(h.width(), 0) << "no pixel was drawn";
  EXPECT_EQ(h.bottom, 40) << "the glyph sits on the baseline";
  EXPECT_GE(h.left, 20);
  // Capitals of this face are about 0.69 em tall.
  EXPECT_GE(h.height(), 17);
  EXPECT_LE(h.height(), 22);

  const InkBox g = draw(large, "g");
  EXPECT_LT(g.bottom, 40) << "descenders go below the baseline";
  EXPECT_EQ(draw(large, " ").width(), 0);

  // Each list moves the raster position on by its advance.
  const InkBox two = draw(large, "HH");
  EXPECT_GE(two.width(), 2 * h.width());
  const InkBox spaced = draw(large, "H H");
  EXPECT_GT(spaced.width(), two.width());

  resources::BitmapFont small;
  ASSERT_TRUE(small.create(-14));
  const InkBox hs = draw(small, "H");
  EXPECT_GE(hs.height(), 8);
  EXPECT_LE(hs.height(), 11);
  EXPECT_LT(hs.width(), h.width());
  small.destroy();
  const GLuint base = large.listBase;
  large.destroy();
  EXPECT_FALSE(glIsList(base));
  EXPECT_EQ(large.listBase, 0u);
}

class BitmapFontText : public ::testing::Test {
 protected:
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd{folder.path()};
  testing_support::BoxRecorder boxes;
  resources::BitmapFont font;
};

TEST_F(BitmapFontText, KeepsTheBytesAsStoredCarriageReturnsIncluded) {
  const std::string text = "Tolvek\r\nmonks\r\n\0water\n";
  folder.write("scroll.txt", std::string(text.data(), text.size()));
  font.loadText("SCROLL.TXT");
  EXPECT_EQ(std::string(font.text.begin(), font.text.end()), text);
  EXPECT_EQ(font.textSize(), static_cast<std::int32_t>(text.size()));
  EXPECT_TRUE(boxes.boxes().empty());

  const std::string binary("a\0b\r\0\r\n", 7);
  folder.write("bin.txt", binary);
  font.loadText("bin.txt");
  EXPECT_EQ(std::string(font.text.begin(), font.text.end()), binary);

  folder.write("empty.txt", "");
  font.loadText("empty.txt");
  EXPECT_EQ(font.textSize(), 0);
  EXPECT_TRUE(boxes.boxes().empty()) << "an empty file is not an error";
}

TEST_F(BitmapFontText, MissingFileShowsItsBoxAndLeavesNoText) {
  folder.write("scroll.txt", "old");
  font.loadText("scroll.txt");
  font.loadText("nothing.txt");
  EXPECT_EQ(font.textSize(), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_TRUE(boxes.saw("Error", "Cannot read the file"));
}

TEST_F(BitmapFontText, UnreadableFileShowsOneBoxAndNoText) {
  // A folder opens for reading on this system but gives no bytes.
  ASSERT_TRUE(std::filesystem::create_directory(folder.file("folder.txt")));
  font.loadText("folder.txt");
  EXPECT_EQ(font.textSize(), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "Error");
  EXPECT_NE(boxes.boxes()[0].text, "");
}

}  // namespace
}  // namespace resources_test
