#include "resources/texture_record.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace resources {

void releaseTexture(TextureRecord& record) {
  if (record.name != 0) {
    const GLuint name = record.name;
    glDeleteTextures(1, &name);
  }
  record = TextureRecord{};
}

void uploadTexture(TextureRecord& record, const std::uint8_t* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  record.name = name;
  glBindTexture(GL_TEXTURE_2D, name);
  if ((record.bits == 24 || record.bits == 32) && pixels) {
    const GLenum format = record.bits == 24 ? GL_RGB : GL_RGBA;
    // Rows are packed tightly; with the default alignment of 4 an RGB image whose width is
    // not a multiple of 4 would be read skewed and past the end of the buffer.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), record.width, record.height,
                      format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}

}  // namespace resources
