// Builders for the files the resource tests feed to the loaders, and the drawing fixture
// with a texture read-back.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/tga_image.h"
#include "support/drawing_test.h"

namespace resources_test {

using Bytes = std::vector<std::uint8_t>;

// A TGA header followed by `payload`: the files the writer would not make (run-length
// packets, other types and depths, odd descriptors).
inline Bytes tgaFile(int type, int width, int height, int bits, int descriptor,
                     const Bytes& payload) {
  const auto header = resources::writeTgaHeader({type, width, height, bits, descriptor});
  Bytes file(header.begin(), header.end());
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

inline std::string asString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Writes a baseline JPEG with the content kit's writer, without chroma subsampling: `pixels`
// holds height rows of width x components bytes, top row first; components 3 (RGB) or 1
// (greyscale).
bool writeJpeg(const std::string& path, int width, int height, int components,
               const Bytes& pixels, int quality = 100);

// The resource tests draw in a 256 x 128 window and read textures back.
class GlTest : public testing_support::DrawingTest<256, 128> {
 protected:
  // Level 0 of the texture as RGBA, first row (t = 0) first.
  static Bytes readTexture(GLuint name, int* width = nullptr, int* height = nullptr);
  static GLint texParameter(GLuint name, GLenum parameter);
};

}  // namespace resources_test
