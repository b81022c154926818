// What the page needs made ahead by the desktop's libraries, which the browser does not have:
//
//   tolvek-web-assets soundtrack MODULE MS OUT.wav OUT.rows
//       the module played by the demo's own music layer from its start for MS milliseconds,
//       rendered offline into a WAV file, and its order and row at every row change
//       ("milliseconds order row" a line)
//   tolvek-web-assets font OUT.cpp
//       the bitmap font's glyphs (Liberation Sans Bold, as the desktop rasterises it) as
//       pictures of grey coverage with their metrics, written as a C++ source the page's
//       program is built with
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "music/music_player.h"
#include "music/offline_recording.h"
#include "resources/bitmap_font.h"

namespace {

int soundtrack(const char* module, double lengthMs, const char* wavPath, const char* rowsPath) {
  if (!music::startOfflineRecording(wavPath)) {
    std::fprintf(stderr, "tolvek-web-assets: cannot write %s\n", wavPath);
    return 1;
  }
  music::soundInit(music::kRecordingRate, 32, 0);
  music::SongHandle song = music::musicLoadSong(module);
  if (!song) {
    std::fprintf(stderr, "tolvek-web-assets: %s is not a module the player reads\n", module);
    music::finishOfflineRecording();
    std::remove(wavPath);
    return 1;
  }
  music::musicPlaySong(song.get());
  std::FILE* rows = std::fopen(rowsPath, "w");
  if (!rows) {
    std::fprintf(stderr, "tolvek-web-assets: cannot write %s\n", rowsPath);
    return 1;
  }
  int order = -1, row = -1;
  // A row lasts tens of milliseconds: steps of 2 ms place every change within one step.
  for (double ms = 0; ms <= lengthMs; ms += 2.0) {
    music::advanceOfflineRecording(ms);
    const int o = music::musicGetOrder(song.get()), r = music::musicGetRow(song.get());
    if (o != order || r != row) std::fprintf(rows, "%.0f %d %d\n", ms, o, r);
    order = o, row = r;
  }
  const bool closed = std::fclose(rows) == 0;
  music::musicFreeSong(song);
  music::soundClose();
  if (!music::finishOfflineRecording() || !closed) {
    std::fprintf(stderr, "tolvek-web-assets: the soundtrack could not be completed\n");
    return 1;
  }
  return 0;
}

// Glyphs at an em of kEm pixels, anti-aliased, each glyph's box of coverage one after another.
constexpr int kEm = 40;

int font(const char* outPath) {
  const std::string file = resources::bitmapFontFile();
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (file.empty() || FT_Init_FreeType(&library) != 0 || FT_New_Face(library, file.c_str(), 0, &face) != 0 ||
      FT_Set_Pixel_Sizes(face, 0, kEm) != 0) {
    std::fprintf(stderr, "tolvek-web-assets: Liberation Sans Bold cannot be loaded (fonts-liberation2)\n");
    return 1;
  }
  std::vector<unsigned char> coverage;
  std::string metrics;
  for (int i = 0; i < resources::kBitmapFontCharCount; ++i) {
    int w = 0, h = 0, left = 0, top = 0, advance = 0;
    const std::size_t offset = coverage.size();
    if (FT_Load_Char(face, static_cast<FT_ULong>(resources::kBitmapFontFirstChar + i), FT_LOAD_RENDER) == 0) {
      const FT_Bitmap& b = face->glyph->bitmap;
      w = static_cast<int>(b.width);
      h = static_cast<int>(b.rows);
      left = face->glyph->bitmap_left;
      top = face->glyph->bitmap_top;
      advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
      for (int y = 0; y < h; ++y) coverage.insert(coverage.end(), b.buffer + y * b.pitch, b.buffer + y * b.pitch + w);
    }
    metrics += "    {" + std::to_string(w) + ", " + std::to_string(h) + ", " + std::to_string(left) + ", " +
               std::to_string(top) + ", " + std::to_string(advance) + ", " + std::to_string(offset) + "},\n";
  }
  int cell = face->ascender - face->descender;
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
    cell = os2->usWinAscent + os2->usWinDescent;
  const double cellPerEm = static_cast<double>(cell) / face->units_per_EM;
  FT_Done_Face(face);
  FT_Done_FreeType(library);

  std::ofstream out(outPath, std::ios::binary);
  out << "// Made by tolvek-web-assets from Liberation Sans Bold: do not edit.\n"
         "#include \"resources/font_picture.h\"\n\nnamespace resources {\n\n"
         "namespace {\nconst unsigned char kCoverage[] = {";
  for (std::size_t i = 0; i < coverage.size(); ++i) out << (i % 32 == 0 ? "\n    " : "") << int{coverage[i]} << ",";
  out << "\n    0};\n}  // namespace\n\n"
      << "const FontPicture fontPicture{" << kEm << ", " << cellPerEm << ",\n  {{\n" << metrics << "  }},\n  kCoverage};\n\n"
      << "}  // namespace resources\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "tolvek-web-assets: cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "soundtrack" && argc == 6) return soundtrack(argv[2], std::atof(argv[3]), argv[4], argv[5]);
  if (what == "font" && argc == 3) return font(argv[2]);
  std::fprintf(stderr,
               "usage: tolvek-web-assets soundtrack MODULE MS OUT.wav OUT.rows\n"
               "       tolvek-web-assets font OUT.cpp\n");
  return 2;
}
