#include "app/demo_config.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/path_resolver.h"

namespace app {
namespace {

constexpr int kWordsRead = 8;
// Numeric values pass through a 12-byte buffer: longer words are cut to 11 characters.
constexpr size_t kNumericWordMax = 11;

bool isBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next whitespace-separated word, or false at the end of the file. Only the first
// `limit` bytes of a word are kept, so a huge file without blanks costs no memory.
bool nextWord(std::FILE* file, std::string& word, size_t limit) {
  word.clear();
  int c;
  do {
    c = std::fgetc(file);
  } while (c != EOF && isBlank(c));
  if (c == EOF) return false;
  while (c != EOF && !isBlank(c)) {
    if (word.size() < limit) word.push_back(static_cast<char>(c));
    c = std::fgetc(file);
  }
  return true;
}

std::string numericWord(const std::string& word) {
  std::string cut = word.substr(0, kNumericWordMax);
  // A NUL inside the word ends the C string the conversion sees.
  return cut.substr(0, std::strlen(cut.c_str()));
}

}  // namespace

void readDemoConfig(std::FILE* file, platform::Settings& settings) {
  // Titles are one word of any reasonable length; a caption longer than this is of no use.
  constexpr size_t kTitleMax = 4096;
  std::string word;
  for (int index = 1; index <= kWordsRead; ++index) {
    const size_t limit = index == 2 ? kTitleMax : kNumericWordMax + 1;
    if (!nextWord(file, word, limit)) return;
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
  std::FILE* file = platform::openFile(path, "rb");
  if (!file) return false;
  readDemoConfig(file, settings);
  std::fclose(file);
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
