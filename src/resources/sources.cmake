# The resources library's sources: those the web page compiles too, and the desktop's side of
# its seams (libjpeg-turbo's decoder, FreeType's glyphs, the PNG writer), which the page has
# its own of or does without.
set(tolvek_resources_sources
  bitmap_font.cpp
  jpeg_texture.cpp
  screenshot.cpp
  texture_record.cpp
  texture_table.cpp
  tga_image.cpp)
set(tolvek_resources_desktop_sources
  bitmap_font_glyphs.cpp
  jpeg_decoder.cpp
  jpeg_errors.cpp
  png_writer.cpp)
