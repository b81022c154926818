#include "app/demo_config.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"

namespace app {
namespace {

constexpr int kWordsRead = 8;
// Numeric values pass through a 12-byte buffer: longer words are cut to 11 characters.
constexpr size_t kNumericWordMax = 11;

bool isBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next whitespace-separated word from `at`, or false at the end of the text. Only the
// first `limit` bytes of a word are kept.
bool nextWord(std::string_view text, size_t& at, std::string& word, size_t limit) {
  word.clear();
  while (at < text.size() && isBlank(static_cast<unsigned char>(text[at]))) ++at;
  if (at == text.size()) return false;
  const size_t start = at;
  while (at < text.size() && !isBlank(static_cast<unsigned char>(text[at]))) ++at;
  word.assign(text.substr(start, std::min(at - start, limit)));
  return true;
}

std::string numericWord(const std::string& word) {
  std::string cut = word.substr(0, kNumericWordMax);
  // A NUL inside the word ends the C string the conversion sees.
  return cut.substr(0, std::strlen(cut.c_str()));
}

}  // namespace

void parseDemoConfig(std::string_view text, platform::Settings& settings) {
  // Titles are one word of any reasonable length; a caption longer than this is of no use.
  constexpr size_t kTitleMax = 4096;
  std::string word;
  size_t at = 0;
  for (int index = 1; index <= kWordsRead; ++index) {
    const size_t limit = index == 2 ? kTitleMax : kNumericWordMax + 1;
    if (!nextWord(text, at, word, limit)) return;
    switch (index) {
      case 2:
        settings.windowTitle = word.substr(0, std::strlen(word.c_str()));
        break;
      case 4:
        std::sscanf(numericWord(word).c_str(), "%f", &settings.fieldOfView);
        break;
      case 6:
        std::sscanf(numericWord(word).c_str(), "%f", &settings.aspectRatio);
        break;
      case 8:
        std::sscanf(numericWord(word).c_str(), "%d", &settings.showFpsAverage);
        break;
      default:
        break;  // labels
    }
  }
}

bool loadDemoConfig(platform::Settings& settings, std::string_view path) {
  // A read that fails part way leaves the words before it, as reading word by word did.
  const auto bytes = platform::readFileStart(path, SIZE_MAX);
  if (!bytes) return false;
  parseDemoConfig(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), settings);
  return true;
}

int computeLetterboxHeight(int screenWidth, int screenHeight) {
  // One unit in the last place above 0.5625: the bars come out one pixel short of 16:9.
  const float k = std::bit_cast<float>(std::uint32_t{0x3F100001});
  const int visibleCut = static_cast<int>(screenHeight - screenWidth * static_cast<double>(k));
  // A window wider than the picture has no bars (never a negative height).
  return std::max(0, visibleCut / 2);
}

}  // namespace app
