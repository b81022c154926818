#include <cstdlib>
#include <cstring>

#include "picture_files.h"
#include "platform/file_system.h"
#include "resources/png_writer.h"
#include "resources/tga_image.h"

namespace showkit {

bool writeTga32(ShowFolder& folder, std::string_view relativePath, const Image& image) {
  savePreview(relativePath, image, true);
  // The writer takes rows bottom first (OpenGL's order); ours are top first.
  const std::vector<std::uint8_t> topFirst = image.toBytes(4);
  const size_t stride = static_cast<size_t>(image.width()) * 4;
  std::vector<std::uint8_t> bottomFirst(topFirst.size());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(&bottomFirst[static_cast<size_t>(image.height() - 1 - y) * stride],
                &topFirst[static_cast<size_t>(y) * stride], stride);
  return folder.writeWith(relativePath, [&](const std::string& path) {
    return resources::writeTga(path, image.width(), image.height(), 32, bottomFirst);
  });
}

void savePreview(std::string_view relativePath, const Image& image, bool hasAlpha) {
  const char* root = std::getenv("TOLVEK_SHOWKIT_PREVIEW");
  if (!root || !*root) return;
  std::string name(relativePath);
  for (char& c : name)
    if (c == '/') c = '_';
  Image shown = image;
  if (hasAlpha) {
    // Added over a dark stone grey, the way the demo blends most of them.
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) {
        const Rgba p = image.at(x, y);
        const float k = clamp01(p.a);
        shown.at(x, y) = {0.12f + p.r * k, 0.12f + p.g * k, 0.14f + p.b * k, 1};
      }
  }
  platform::createFolders(root);
  const std::vector<std::uint8_t> rgb = shown.toBytes(3);
  resources::writePngFile(std::string(root) + "/" + name + ".png", shown.width(), shown.height(), 3,
                          rgb.data());
}

}  // namespace showkit
