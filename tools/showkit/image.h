// The kit's picture type and drawing primitives. Pixels are float RGBA (0..1, straight
// alpha), rows top to bottom; they become bytes only when a file is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace showkit {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

inline Rgba operator+(Rgba x, Rgba y) { return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a}; }
inline Rgba operator-(Rgba x, Rgba y) { return {x.r - y.r, x.g - y.g, x.b - y.b, x.a - y.a}; }
inline Rgba operator*(Rgba x, float k) { return {x.r * k, x.g * k, x.b * k, x.a * k}; }
inline Rgba operator*(float k, Rgba x) { return x * k; }
// Colour times colour (alpha of the left side kept): light through tinted glass.
inline Rgba tint(Rgba x, Rgba t) { return {x.r * t.r, x.g * t.g, x.b * t.b, x.a}; }
inline Rgba opaque(float r, float g, float b) { return {r, g, b, 1}; }
inline Rgba withAlpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);
float mix(float a, float b, float t);
Rgba mix(Rgba a, Rgba b, float t);
// Colour ramp through evenly spaced stops, t in 0..1.
Rgba ramp(const std::vector<Rgba>& stops, float t);

// A single-channel grid: coverage masks, heights, glows.
struct Field {
  int width = 0, height = 0;
  std::vector<float> v;
  Field() = default;
  Field(int w, int h, float fill = 0) : width(w), height(h), v(static_cast<std::size_t>(w) * h, fill) {}
  float& at(int x, int y) { return v[static_cast<std::size_t>(y) * width + x]; }
  float at(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
  float sample(float x, float y, bool wrap) const;  // bilinear, pixel centres at +0.5
};

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgba fill = {0, 0, 0, 1});

  int width() const { return width_; }
  int height() const { return height_; }
  Rgba& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const Rgba& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  Rgba sample(float x, float y, bool wrap) const;  // bilinear, pixel centres at +0.5

  // 3 (RGB) or 4 (RGBA) bytes per pixel, rows top to bottom, rounded and clamped.
  std::vector<std::uint8_t> toBytes(int channels) const;
  // Mean of the red, green and blue channels over the picture, 0..255.
  double meanLevel() const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Rgba> pixels_;
};

// Area-averaged resize (to fit a picture designed at the shown aspect into the stored size).
Image resampled(const Image& source, int width, int height);
Field resampled(const Field& source, int width, int height);

// Three box passes, close to a Gaussian of the given radius; wrap for tiling pictures.
void blur(Field& field, int radius, bool wrap);
void blur(Image& image, int radius, bool wrap);

// Straight-alpha "over" of colour c with coverage k onto one pixel.
void blendOver(Image& image, int x, int y, Rgba c, float coverage);
// Additive light onto one pixel (alpha untouched).
void addLight(Image& image, int x, int y, Rgba c, float amount);

// Paints a mask in colour c over the picture at (x0, y0).
void paintMask(Image& image, const Field& mask, int x0, int y0, Rgba c);

// Distance from point p to the segment a-b.
float segmentDistance(float px, float py, float ax, float ay, float bx, float by);

}  // namespace showkit
