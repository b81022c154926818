// The GLU calls the show makes: perspective, look-at, mipmaps and the textured cylinder of
// one quadric, computed as GLU defines them and drawn through the layer's own entry points.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

struct GLUquadric {
  GLenum normals = GLU_SMOOTH;
  bool texture = false;
  GLenum orientation = GLU_OUTSIDE;
  GLenum drawStyle = GLU_FILL;
};

namespace {

constexpr double kPi = 3.14159265358979323846;

// The power of two GLU rescales a side to: the nearest one, rounding up from one and a half.
int mipmapSide(int side) {
  int power = 1;
  while (power * 2 <= side) power *= 2;
  return side >= power + power / 2 ? power * 2 : power;
}

// Rescales by averaging the source area each target pixel covers.
std::vector<std::uint8_t> rescale(const std::uint8_t* src, int w, int h, int n, int nw, int nh) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(nw) * nh * n);
  const double sx = static_cast<double>(w) / nw, sy = static_cast<double>(h) / nh;
  for (int y = 0; y < nh; ++y) {
    const double y0 = y * sy, y1 = y0 + sy;
    for (int x = 0; x < nw; ++x) {
      const double x0 = x * sx, x1 = x0 + sx;
      double sum[4] = {}, area = 0;
      for (int py = static_cast<int>(y0); py < h && py < y1; ++py) {
        const double wy = std::min<double>(py + 1, y1) - std::max<double>(py, y0);
        for (int px = static_cast<int>(x0); px < w && px < x1; ++px) {
          const double wxy = wy * (std::min<double>(px + 1, x1) - std::max<double>(px, x0));
          if (wxy <= 0) continue;
          const std::uint8_t* p = src + (static_cast<std::size_t>(py) * w + px) * n;
          for (int c = 0; c < n; ++c) sum[c] += wxy * p[c];
          area += wxy;
        }
      }
      std::uint8_t* q = &out[(static_cast<std::size_t>(y) * nw + x) * n];
      for (int c = 0; c < n; ++c) q[c] = static_cast<std::uint8_t>(area > 0 ? sum[c] / area + 0.5 : 0);
    }
  }
  return out;
}

// The next mipmap level: each pixel the rounded mean of the 2 x 2 (or 2 x 1) below it.
std::vector<std::uint8_t> halve(const std::vector<std::uint8_t>& src, int w, int h, int n, int& nw, int& nh) {
  nw = std::max(1, w / 2), nh = std::max(1, h / 2);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(nw) * nh * n);
  const int dx = w > 1 ? 1 : 0, dy = h > 1 ? 1 : 0;
  const int count = (dx + 1) * (dy + 1);
  for (int y = 0; y < nh; ++y)
    for (int x = 0; x < nw; ++x)
      for (int c = 0; c < n; ++c) {
        int sum = 0;
        for (int j = 0; j <= dy; ++j)
          for (int i = 0; i <= dx; ++i) sum += src[((static_cast<std::size_t>(2 * y + j)) * w + 2 * x + i) * n + c];
        out[(static_cast<std::size_t>(y) * nw + x) * n + c] = static_cast<std::uint8_t>((sum + count / 2) / count);
      }
  return out;
}

void normalise(float v[3]) {
  const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (r == 0.0f) return;
  v[0] /= r, v[1] /= r, v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  const double radians = fovy / 2 * kPi / 180;
  const double depth = zFar - zNear, sine = std::sin(radians);
  if (depth == 0 || sine == 0 || aspect == 0) return;  // a degenerate request changes nothing
  const double cotangent = std::cos(radians) / sine;
  const GLdouble m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(zFar + zNear) / depth, -1,
                          0, 0, -2 * zNear * zFar / depth, 0};
  glMultMatrixd(m);
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
  glOrtho(left, right, bottom, top, -1, 1);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
  float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                      static_cast<float>(centerZ - eyeZ)};
  float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
  normalise(forward);
  float side[3];
  cross(forward, up, side);
  normalise(side);
  cross(side, forward, up);
  const GLfloat m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                         side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
  glMultMatrixf(m);
  glTranslated(-eyeX, -eyeY, -eyeZ);
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
  if (width < 1 || height < 1) return GLU_INVALID_VALUE;
  const int n = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : format == GL_LUMINANCE_ALPHA ? 2 : 1;
  if (type != GL_UNSIGNED_BYTE || !data) return GLU_INVALID_ENUM;
  // Tight rows from the client's, at its unpack alignment.
  GLint align = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
  const std::size_t stride = (static_cast<std::size_t>(width) * n + align - 1) / align * align;
  std::vector<std::uint8_t> tight(static_cast<std::size_t>(width) * height * n);
  for (int y = 0; y < height; ++y)
    std::copy_n(static_cast<const std::uint8_t*>(data) + y * stride, static_cast<std::size_t>(width) * n,
                &tight[static_cast<std::size_t>(y) * width * n]);
  GLint maxSize = 4096;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  int w = std::min(mipmapSide(width), static_cast<int>(maxSize));
  int h = std::min(mipmapSide(height), static_cast<int>(maxSize));
  std::vector<std::uint8_t> level =
      (w == width && h == height) ? std::move(tight) : rescale(tight.data(), width, height, n, w, h);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int index = 0;; ++index) {
    glTexImage2D(target, index, internalFormat, w, h, 0, format, GL_UNSIGNED_BYTE, level.data());
    if (w == 1 && h == 1) break;
    int nw = 0, nh = 0;
    level = halve(level, w, h, n, nw, nh);
    w = nw, h = nh;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, align);
  return 0;
}

GLUquadric* gluNewQuadric() { return new (std::nothrow) GLUquadric; }
void gluDeleteQuadric(GLUquadric* q) { delete q; }
void gluQuadricNormals(GLUquadric* q, GLenum normals) {
  if (q) q->normals = normals;
}
void gluQuadricTexture(GLUquadric* q, GLboolean texture) {
  if (q) q->texture = texture;
}
void gluQuadricOrientation(GLUquadric* q, GLenum orientation) {
  if (q) q->orientation = orientation;
}
void gluQuadricDrawStyle(GLUquadric* q, GLenum style) {
  if (q) q->drawStyle = style;
}

// A tube round z from 0 to height: one strip of quads per stack, slice i at the angle 2 pi i /
// slices measured from +y towards +x; texture s runs from 1 down to 0 round it, t up it.
void gluCylinder(GLUquadric* q, GLdouble baseRadius, GLdouble topRadius, GLdouble height, GLint slices,
                 GLint stacks) {
  if (!q || slices < 2 || stacks < 1 || baseRadius < 0 || topRadius < 0 || height < 0) return;
  slices = std::min(slices, 127);
  const float deltaRadius = static_cast<float>(baseRadius - topRadius);
  const float length = std::sqrt(deltaRadius * deltaRadius + static_cast<float>(height * height));
  if (length == 0.0f) return;
  const float outward = q->orientation == GLU_INSIDE ? -1.0f : 1.0f;
  const float zNormal = outward * deltaRadius / length, xyNormal = outward * static_cast<float>(height) / length;
  std::vector<float> sines(static_cast<std::size_t>(slices) + 1), cosines(sines.size());
  for (int i = 0; i < slices; ++i) {
    const float angle = 2.0f * static_cast<float>(kPi) * static_cast<float>(i) / static_cast<float>(slices);
    sines[i] = std::sin(angle);
    cosines[i] = std::cos(angle);
  }
  sines[slices] = sines[0], cosines[slices] = cosines[0];
  const GLenum mode = q->drawStyle == GLU_FILL ? GL_QUAD_STRIP : GL_LINES;
  for (int j = 0; j < stacks; ++j) {
    const float zLow = static_cast<float>(j * height / stacks), zHigh = static_cast<float>((j + 1) * height / stacks);
    const float rLow = static_cast<float>(baseRadius) - deltaRadius * (static_cast<float>(j) / stacks);
    const float rHigh = static_cast<float>(baseRadius) - deltaRadius * (static_cast<float>(j + 1) / stacks);
    glBegin(mode);
    for (int i = 0; i <= slices; ++i) {
      if (q->normals != GLU_NONE) glNormal3f(xyNormal * sines[i], xyNormal * cosines[i], zNormal);
      const float s = 1.0f - static_cast<float>(i) / slices;
      const bool inside = q->orientation == GLU_INSIDE;
      const float zFirst = inside ? zHigh : zLow, zSecond = inside ? zLow : zHigh;
      const float rFirst = inside ? rHigh : rLow, rSecond = inside ? rLow : rHigh;
      const int jFirst = inside ? j + 1 : j, jSecond = inside ? j : j + 1;
      if (q->texture) glTexCoord2f(s, static_cast<float>(jFirst) / stacks);
      glVertex3f(rFirst * sines[i], rFirst * cosines[i], zFirst);
      if (q->texture) glTexCoord2f(s, static_cast<float>(jSecond) / stacks);
      glVertex3f(rSecond * sines[i], rSecond * cosines[i], zSecond);
    }
    glEnd();
  }
}

}  // extern "C"
