#include "image.h"

#include <algorithm>
#include <cmath>

namespace showkit {

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float edge0, float edge1, float x) {
  const float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

float mix(float a, float b, float t) { return a + (b - a) * t; }

Rgba mix(Rgba a, Rgba b, float t) { return a + (b - a) * t; }

Rgba ramp(const std::vector<Rgba>& stops, float t) {
  if (stops.empty()) return {};
  if (stops.size() == 1) return stops[0];
  const float x = clamp01(t) * static_cast<float>(stops.size() - 1);
  const size_t i = std::min(static_cast<size_t>(x), stops.size() - 2);
  return mix(stops[i], stops[i + 1], x - static_cast<float>(i));
}

namespace {

int wrapIndex(int i, int n) {
  const int m = i % n;
  return m < 0 ? m + n : m;
}

int clampIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

template <typename T, typename Get>
T bilinear(int width, int height, float x, float y, bool wrap, Get get) {
  const float fx = x - 0.5f, fy = y - 0.5f;
  const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  const float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
  auto index = [&](int i, int n) { return wrap ? wrapIndex(i, n) : clampIndex(i, n); };
  const int xa = index(x0, width), xb = index(x0 + 1, width);
  const int ya = index(y0, height), yb = index(y0 + 1, height);
  const T top = get(xa, ya) * (1 - tx) + get(xb, ya) * tx;
  const T bottom = get(xa, yb) * (1 - tx) + get(xb, yb) * tx;
  return top * (1 - ty) + bottom * ty;
}

// Three running-sum box passes along one line of n values spaced by `stride`.
template <typename T>
void boxLine(T* data, int n, size_t stride, int radius, bool wrap, std::vector<T>& scratch) {
  scratch.resize(n);
  const float scale = 1.0f / static_cast<float>(2 * radius + 1);
  for (int pass = 0; pass < 3; ++pass) {
    auto get = [&](int i) {
      return data[static_cast<size_t>(wrap ? wrapIndex(i, n) : clampIndex(i, n)) * stride];
    };
    T sum = get(-radius) * 0.0f;
    for (int i = -radius; i <= radius; ++i) sum = sum + get(i);
    for (int i = 0; i < n; ++i) {
      scratch[i] = sum * scale;
      sum = sum + get(i + radius + 1) - get(i - radius);
    }
    for (int i = 0; i < n; ++i) data[static_cast<size_t>(i) * stride] = scratch[i];
  }
}

template <typename T>
void blurGrid(std::vector<T>& values, int width, int height, int radius, bool wrap) {
  if (radius <= 0 || width <= 0 || height <= 0) return;
  std::vector<T> scratch;
  for (int y = 0; y < height; ++y)
    boxLine(values.data() + static_cast<size_t>(y) * width, width, 1, radius, wrap, scratch);
  for (int x = 0; x < width; ++x)
    boxLine(values.data() + x, height, static_cast<size_t>(width), radius, wrap, scratch);
}

template <typename T, typename Sample>
void resampleInto(int sw, int sh, int dw, int dh, Sample sample, std::vector<T>& out) {
  const float sx = static_cast<float>(sw) / static_cast<float>(dw);
  const float sy = static_cast<float>(sh) / static_cast<float>(dh);
  const int nx = std::max(1, static_cast<int>(std::ceil(sx))) * 2;
  const int ny = std::max(1, static_cast<int>(std::ceil(sy))) * 2;
  out.resize(static_cast<size_t>(dw) * dh);
  for (int y = 0; y < dh; ++y)
    for (int x = 0; x < dw; ++x) {
      T sum = sample(0.0f, 0.0f) * 0.0f;
      for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i)
          sum = sum + sample((static_cast<float>(x) + (i + 0.5f) / nx) * sx,
                             (static_cast<float>(y) + (j + 0.5f) / ny) * sy);
      out[static_cast<size_t>(y) * dw + x] = sum * (1.0f / static_cast<float>(nx * ny));
    }
}

}  // namespace

float Field::sample(float x, float y, bool wrap) const {
  return bilinear<float>(width, height, x, y, wrap, [&](int i, int j) { return at(i, j); });
}

Image::Image(int width, int height, Rgba fill)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

Rgba Image::sample(float x, float y, bool wrap) const {
  return bilinear<Rgba>(width_, height_, x, y, wrap, [&](int i, int j) { return at(i, j); });
}

std::vector<std::uint8_t> Image::toBytes(int channels) const {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(pixels_.size() * channels);
  auto byte = [](float v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)); };
  for (const Rgba& p : pixels_) {
    bytes.push_back(byte(p.r));
    bytes.push_back(byte(p.g));
    bytes.push_back(byte(p.b));
    if (channels == 4) bytes.push_back(byte(p.a));
  }
  return bytes;
}

double Image::meanLevel() const {
  if (pixels_.empty()) return 0;
  double sum = 0;
  for (const Rgba& p : pixels_) sum += clamp01(p.r) + clamp01(p.g) + clamp01(p.b);
  return sum * 255.0 / (3.0 * static_cast<double>(pixels_.size()));
}

Image resampled(const Image& source, int width, int height) {
  Image out(width, height);
  std::vector<Rgba> values;
  resampleInto<Rgba>(source.width(), source.height(), width, height,
                     [&](float x, float y) { return source.sample(x, y, false); }, values);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.at(x, y) = values[static_cast<size_t>(y) * width + x];
  return out;
}

Field resampled(const Field& source, int width, int height) {
  Field out(width, height);
  resampleInto<float>(source.width, source.height, width, height,
                      [&](float x, float y) { return source.sample(x, y, false); }, out.v);
  return out;
}

void blur(Field& field, int radius, bool wrap) {
  blurGrid(field.v, field.width, field.height, radius, wrap);
}

void blur(Image& image, int radius, bool wrap) {
  std::vector<Rgba> values(static_cast<size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) values[static_cast<size_t>(y) * image.width() + x] = image.at(x, y);
  blurGrid(values, image.width(), image.height(), radius, wrap);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.at(x, y) = values[static_cast<size_t>(y) * image.width() + x];
}

void blendOver(Image& image, int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  const float k = clamp01(coverage * c.a);
  if (k <= 0) return;
  Rgba& d = image.at(x, y);
  const float outA = k + d.a * (1 - k);
  if (outA <= 0) return;
  d.r = (c.r * k + d.r * d.a * (1 - k)) / outA;
  d.g = (c.g * k + d.g * d.a * (1 - k)) / outA;
  d.b = (c.b * k + d.b * d.a * (1 - k)) / outA;
  d.a = outA;
}

void addLight(Image& image, int x, int y, Rgba c, float amount) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  Rgba& d = image.at(x, y);
  d.r += c.r * amount;
  d.g += c.g * amount;
  d.b += c.b * amount;
}

void paintMask(Image& image, const Field& mask, int x0, int y0, Rgba c) {
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) blendOver(image, x0 + x, y0 + y, c, mask.at(x, y));
}

float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  const float dx = bx - ax, dy = by - ay;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
  t = clamp01(t);
  const float ex = px - (ax + t * dx), ey = py - (ay + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace showkit
