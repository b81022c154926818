#include "pack/sample_data.h"

#include <cmath>
#include <cstring>
#include <string>

namespace pack {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
  double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
  // Zipf-like rank: small ranks are much more frequent.
  std::uint32_t rank(std::uint32_t n) { return static_cast<std::uint32_t>(std::pow(static_cast<double>(n), unit())) - 1; }

 private:
  std::uint64_t state_;
};

std::vector<std::string> makeVocabulary(Random& rng, int words) {
  static const char* const kOnsets[] = {"", "b", "c", "d", "f", "g", "h", "l", "m", "n", "p", "r", "s", "t", "v",
                                        "w", "st", "tr", "br", "ch", "sh", "th", "pl", "gr"};
  static const char* const kVowels[] = {"a", "e", "i", "o", "u", "ea", "ou", "ai", "ie", "y"};
  static const char* const kCodas[] = {"", "", "n", "r", "s", "t", "l", "nd", "ng", "st", "ck", "m"};
  std::vector<std::string> vocabulary;
  for (int w = 0; w < words; ++w) {
    std::string word;
    const int syllables = 1 + static_cast<int>(rng.below(3)) + (rng.below(4) == 0 ? 1 : 0);
    for (int s = 0; s < syllables; ++s) {
      word += kOnsets[rng.below(sizeof kOnsets / sizeof *kOnsets)];
      word += kVowels[rng.below(sizeof kVowels / sizeof *kVowels)];
      word += kCodas[rng.below(sizeof kCodas / sizeof *kCodas)];
    }
    vocabulary.push_back(word);
  }
  return vocabulary;
}

}  // namespace

std::vector<std::uint8_t> sampleText(std::size_t size, std::uint32_t seed) {
  Random rng(seed);
  const auto vocabulary = makeVocabulary(rng, 4000);
  std::string text;
  text.reserve(size + 200);
  size_t lineStart = 0;
  while (text.size() < size) {
    const int words = 4 + static_cast<int>(rng.below(14));
    for (int w = 0; w < words; ++w) {
      std::string word = vocabulary[rng.rank(static_cast<std::uint32_t>(vocabulary.size()))];
      if (w == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      if (text.size() - lineStart + word.size() > 72) {
        text += '\n';
        lineStart = text.size();
      } else if (!text.empty() && text.back() != '\n') {
        text += ' ';
      }
      text += word;
      if (w + 1 < words && rng.below(9) == 0) text += ',';
    }
    text += rng.below(8) == 0 ? '?' : '.';
    if (rng.below(7) == 0) {
      text += "\n\n";
      lineStart = text.size();
    }
  }
  text.resize(size);
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> sampleBinary(std::size_t size, std::uint32_t seed) {
  Random rng(seed);
  std::vector<std::uint8_t> out;
  out.reserve(size + 4096);
  auto put = [&](const void* p, size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  };
  std::vector<std::vector<std::uint8_t>> idioms;  // recurring instruction-like sequences
  for (int i = 0; i < 300; ++i) {
    std::vector<std::uint8_t> idiom(3 + rng.below(10));
    for (auto& b : idiom) b = static_cast<std::uint8_t>(rng.below(4) == 0 ? rng.below(256) : rng.rank(64));
    idioms.push_back(idiom);
  }
  std::uint32_t id = 1000;
  float x = 0, y = 0, z = 0;
  while (out.size() < size) {
    switch (rng.below(4)) {
      case 0: {  // vertex records: index, position on a random walk, flags
        const int count = 20 + static_cast<int>(rng.below(200));
        for (int i = 0; i < count; ++i) {
          x += static_cast<float>(rng.unit() - 0.5) * 4.0f;
          y += static_cast<float>(rng.unit() - 0.5) * 4.0f;
          z += static_cast<float>(rng.unit() - 0.5);
          const std::uint32_t index = id++;
          const std::uint16_t flags = static_cast<std::uint16_t>(1u << rng.below(5));
          const std::uint16_t material = static_cast<std::uint16_t>(rng.rank(40));
          put(&index, 4), put(&x, 4), put(&y, 4), put(&z, 4), put(&flags, 2), put(&material, 2);
        }
        break;
      }
      case 1: {  // code-like byte stream
        const int count = 50 + static_cast<int>(rng.below(400));
        for (int i = 0; i < count; ++i) {
          if (rng.below(3) == 0) {
            const auto& idiom = idioms[rng.rank(static_cast<std::uint32_t>(idioms.size()))];
            put(idiom.data(), idiom.size());
          } else {
            const std::uint32_t target = id * 16 + rng.below(4096);
            put(&target, 1 + rng.below(4));
          }
        }
        break;
      }
      case 2: {  // table of small numbers
        const int count = 64 + static_cast<int>(rng.below(512));
        std::uint16_t value = static_cast<std::uint16_t>(rng.below(1000));
        for (int i = 0; i < count; ++i) {
          value = static_cast<std::uint16_t>(value + rng.rank(24));
          put(&value, 2);
        }
        break;
      }
      default: {  // names and padding
        char name[32] = {};
        const int length = 4 + static_cast<int>(rng.below(20));
        for (int i = 0; i < length; ++i) name[i] = static_cast<char>('a' + rng.rank(26));
        put(name, sizeof name);
        break;
      }
    }
  }
  out.resize(size);
  return out;
}

std::vector<std::uint8_t> sampleAudio(std::size_t size, int channels, std::uint32_t seed) {
  Random rng(seed);
  std::vector<std::uint8_t> out(size);
  struct Voice {
    double frequency[3], amplitude[3], phase[3];
  };
  std::vector<Voice> voices(static_cast<size_t>(channels));
  for (auto& v : voices)
    for (int k = 0; k < 3; ++k) {
      v.frequency[k] = 0.002 + rng.unit() * 0.03;
      v.amplitude[k] = 6 + rng.unit() * 14;
      v.phase[k] = rng.unit() * 6.283;
    }
  for (size_t i = 0; i < size; ++i) {
    const size_t c = i % static_cast<size_t>(channels);
    const double t = static_cast<double>(i / static_cast<size_t>(channels));
    double s = 128 + 40.0 * static_cast<double>(c) - 60.0;
    for (int k = 0; k < 3; ++k) s += voices[c].amplitude[k] * std::sin(voices[c].frequency[k] * t + voices[c].phase[k]);
    s += (rng.unit() - 0.5) * 3.0;
    out[i] = static_cast<std::uint8_t>(static_cast<int>(std::lround(s)) & 0xFF);
  }
  return out;
}

std::vector<std::uint8_t> sampleNoise(std::size_t size, std::uint32_t seed) {
  Random rng(seed);
  std::vector<std::uint8_t> out(size);
  for (size_t i = 0; i < size; i += 8) {
    const std::uint64_t v = rng.next();
    std::memcpy(out.data() + i, &v, std::min<size_t>(8, size - i));
  }
  return out;
}

}  // namespace pack
