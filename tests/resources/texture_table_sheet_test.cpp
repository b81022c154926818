// A look at the whole texture table as the show folder has it: every entry is loaded the way
// the demo loads it, checked against its file, and drawn on one contact sheet saved as
// artifacts/texture_table.png in the build folder.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "resources/bitmap_font.h"
#include "resources/jpeg_texture.h"
#include "resources/png_writer.h"
#include "resources/texture_table.h"
#include "resources/tga_image.h"
#include "support/box_recorder.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"

namespace resources_test {
namespace {

namespace fs = std::filesystem;

struct FileFacts {
  bool readable = false;
  int width = 0;
  int height = 0;
  int bits = 0;
};

// What the file alone decodes to, apart from the table that loads it.
FileFacts fileFacts(const std::string& path, bool tga) {
  FileFacts facts;
  const auto bytes = platform::readWholeFile(path);
  if (!bytes) return facts;
  if (tga) {
    const auto decoded = resources::decodeTga(*bytes);
    if (decoded.status == resources::TgaStatus::Ok)
      facts = {true, decoded.image.width, decoded.image.height, decoded.image.bits};
  } else if (resources::JpegImage image; resources::decodeJpegBytes(*bytes, image)) {
    facts = {true, image.width, image.height, image.components * 8};
  }
  return facts;
}

constexpr int kColumns = 7;
constexpr int kCellWidth = 176;
constexpr int kCellHeight = 164;
constexpr int kLabelHeight = 32;

void drawChecker(int x, int y, int w, int h) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glBegin(GL_QUADS);
  for (int cy = 0; cy < h; cy += 8)
    for (int cx = 0; cx < w; cx += 8) {
      const float shade = ((cx / 8 + cy / 8) % 2) ? 0.32f : 0.22f;
      glColor3f(shade, shade, shade);
      const int x1 = std::min(cx + 8, w);
      const int y1 = std::min(cy + 8, h);
      glVertex2i(x + cx, y + cy);
      glVertex2i(x + x1, y + cy);
      glVertex2i(x + x1, y + y1);
      glVertex2i(x + cx, y + y1);
    }
  glEnd();
}

// Fits the picture into the cell keeping its proportions. TGA rows are stored bottom-up and
// JPEG scanlines top-down, so each is drawn the way a person sees the file.
void drawPicture(GLuint name, int width, int height, bool firstRowOnTop, int cellX, int cellY) {
  const int boxW = kCellWidth - 8;
  const int boxH = kCellHeight - kLabelHeight - 8;
  const float scale = std::min(static_cast<float>(boxW) / width, static_cast<float>(boxH) / height);
  const int w = std::max(1, static_cast<int>(width * scale));
  const int h = std::max(1, static_cast<int>(height * scale));
  const int x = cellX + 4 + (boxW - w) / 2;
  const int y = cellY + kLabelHeight + 4 + (boxH - h) / 2;
  drawChecker(x, y, w, h);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  const float bottomT = firstRowOnTop ? 1.0f : 0.0f;
  const float topT = 1.0f - bottomT;
  glBegin(GL_QUADS);
  glTexCoord2f(0, bottomT);
  glVertex2i(x, y);
  glTexCoord2f(1, bottomT);
  glVertex2i(x + w, y);
  glTexCoord2f(1, topT);
  glVertex2i(x + w, y + h);
  glTexCoord2f(0, topT);
  glVertex2i(x, y + h);
  glEnd();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void drawLabel(const resources::BitmapFont& font, const std::string& text, int x, int y,
               bool ok) {
  if (ok)
    glColor3f(0.9f, 0.85f, 0.7f);
  else
    glColor3f(1.0f, 0.2f, 0.2f);
  glRasterPos2i(x, y);
  glListBase(font.listBase - resources::kBitmapFontFirstChar);
  glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
}

bool hasImage(GLuint name) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint w = 0;
  GLint h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  if (w <= 0 || h <= 0) return false;
  std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  for (size_t i = 0; i < pixels.size(); i += 4)
    if (pixels[i] | pixels[i + 1] | pixels[i + 2]) return true;
  return false;  // all black: nothing was decoded
}

constexpr int kSheetRows = (resources::kTextureTableSize + 1 + kColumns - 1) / kColumns;

class TextureTableSheet : public testing_support::DrawingTest<kColumns * kCellWidth, kSheetRows * kCellHeight> {};

TEST_F(TextureTableSheet, EveryEntryOfTheShowLoadsWithItsFileSizeAndDepth) {
  const std::string show = testing_support::kitShowFolder();
  if (show.empty()) GTEST_SKIP() << "no show folder (write one with make show, or point TOLVEK_SHOW_DIR at one)";

  testing_support::BoxRecorder boxes;
  resources::BitmapFont font;
  {
    testing_support::ScopedWorkingDirectory cwd(show);
    const auto start = std::chrono::steady_clock::now();
    resources::loadTextureTable();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("texture table loaded in %.0f ms\n", took.count());
    for (int i = 0; i < resources::kTextureTableSize; ++i) {
      const auto& file = resources::kTextureTableFiles[i];
      const auto& record = resources::tableTexture(i);
      const bool tga = file.reader == resources::TextureReader::Tga;
      const FileFacts facts = fileFacts(file.path, tga);
      SCOPED_TRACE(std::to_string(i) + " " + file.path);
      ASSERT_TRUE(facts.readable) << "file missing or unreadable";
      EXPECT_FALSE(record.empty());
      EXPECT_EQ(record.width, facts.width);
      EXPECT_EQ(record.height, facts.height);
      EXPECT_EQ(record.bits, facts.bits);
      EXPECT_TRUE(record.bits == 24 || record.bits == 32) << "bits " << record.bits;
      EXPECT_TRUE(hasImage(record.name)) << "the texture holds no picture";
    }
  }
  for (const auto& box : boxes.boxes()) ADD_FAILURE() << "box while loading: " << box.text;

  glMatrixMode(GL_PROJECTION);
  glOrtho(0, kWidth, 0, kHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glClearColor(0.06f, 0.06f, 0.08f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(font.create(-12));
  for (int i = 0; i <= resources::kTextureTableSize; ++i) {
    const int cellX = (i % kColumns) * kCellWidth;
    const int cellY = kHeight - (i / kColumns + 1) * kCellHeight;
    std::string label;
    std::string size;
    bool ok = true;
    if (i < resources::kTextureTableSize) {
      const auto& record = resources::tableTexture(i);
      std::string path = resources::kTextureTableFiles[i].path;
      path = path.substr(path.rfind('\\') + 1);
      label = std::to_string(i) + " " + path;
      size = std::to_string(record.width) + " x " + std::to_string(record.height) + ", " +
             std::to_string(record.bits) + " bits";
      ok = !record.empty() && record.bits >= 24;
      if (ok)
        drawPicture(record.name, record.width, record.height,
                    resources::kTextureTableFiles[i].reader == resources::TextureReader::Jpeg,
                    cellX, cellY);
    } else {
      label = "noise";
      size = "256 x 256, generated";
      drawPicture(resources::textureTable.noiseTexture, 256, 256, false, cellX, cellY);
    }
    drawLabel(font, label, cellX + 4, cellY + 18, ok);
    drawLabel(font, size, cellX + 4, cellY + 4, ok);
  }
  glFinish();
  const auto pixels = gl().readPixels();
  const fs::path artifacts = fs::path(TOLVEK_BUILD_DIR) / "artifacts";
  fs::create_directories(artifacts);
  const std::string sheet = (artifacts / "texture_table.png").string();
  EXPECT_TRUE(resources::writePngFile(sheet, kWidth, kHeight, 4, pixels.data()));
  std::printf("contact sheet: %s\n", sheet.c_str());
  font.destroy();
  resources::releaseTextureTable();
}

}  // namespace
}  // namespace resources_test
