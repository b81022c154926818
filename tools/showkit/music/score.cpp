#include "score.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace musickit {

int noteNumber(std::string_view name) {
  if (name.size() < 2) return -1;
  static constexpr int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  if (letter < 'A' || letter > 'G') return -1;
  int semitone = kSemitone[letter - 'A'];
  std::size_t i = 1;
  if (name[i] == '#') {
    ++semitone;
    ++i;
  } else if (name[i] == 'b') {
    --semitone;
    ++i;
  }
  if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
  const int n = 12 * (name[i] - '0') + semitone;
  return n >= 0 && n <= 119 ? n : -1;
}

Chord chord(std::string_view name) {
  if (name == "Dm") return {38, {50, 53, 57}};
  if (name == "C") return {36, {48, 52, 55}};
  if (name == "Bb") return {34, {50, 53, 58}};
  if (name == "A") return {33, {49, 52, 57}};
  if (name == "F") return {41, {48, 53, 57}};
  if (name == "Gm") return {43, {50, 55, 58}};
  if (name == "Eb") return {39, {51, 55, 58}};
  if (name == "Am") return {45, {48, 52, 57}};
  return {38, {50, 53, 57}};
}

Score::Score(int channels, int rows)
    : channels_(channels), rows_(rows), cells_(static_cast<std::size_t>(channels) * rows) {}

ItCell& Score::at(int row, int channel) { return cells_[static_cast<std::size_t>(row) * channels_ + channel]; }

void Score::note(int channel, int row, int n, int instrument, int vol) {
  if (row < 0 || row >= rows_ || channel < 0 || channel >= channels_ || n < 0 || n > 119) return;
  ItCell& c = at(row, channel);
  c.note = static_cast<std::uint8_t>(n);
  c.instrument = static_cast<std::uint8_t>(instrument);
  c.volume = vol < 0 ? kNoVolume : static_cast<std::uint8_t>(std::clamp(vol, 0, 64));
}

void Score::off(int channel, int row) {
  if (row < 0 || row >= rows_ || channel < 0 || channel >= channels_) return;
  ItCell& c = at(row, channel);
  if (c.note == kNoNote) c.note = kNoteOff;
}

void Score::volume(int channel, int row, int vol) {
  if (row < 0 || row >= rows_ || channel < 0 || channel >= channels_) return;
  at(row, channel).volume = static_cast<std::uint8_t>(std::clamp(vol, 0, 64));
}

void Score::effect(int channel, int row, char letter, int parameter) {
  if (row < 0 || row >= rows_ || channel < 0 || channel >= channels_) return;
  ItCell& c = at(row, channel);
  c.effect = effectLetter(letter);
  c.parameter = static_cast<std::uint8_t>(parameter);
}

int Score::phrase(int channel, int row, int instrument, int vol, std::string_view text, int transpose) {
  struct Event {
    int note;  // -1 rest
    int length;
  };
  std::vector<Event> events;
  std::size_t i = 0;
  auto token = [&]() {
    while (i < text.size() && (text[i] == ' ' || text[i] == '|')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '|') ++i;
    return text.substr(start, i - start);
  };
  for (;;) {
    const std::string_view name = token();
    const std::string_view length = token();
    if (name.empty() || length.empty()) break;
    const int n = name == "-" ? -1 : noteNumber(name);
    if (name != "-" && n < 0) break;  // a typo ends the phrase rather than shifting it
    int rows = 0;
    for (char c : length) rows = std::isdigit(static_cast<unsigned char>(c)) ? rows * 10 + (c - '0') : rows;
    events.push_back({n < 0 ? -1 : n + transpose, std::max(rows, 1)});
  }
  int at = row;
  for (std::size_t e = 0; e < events.size(); ++e) {
    if (events[e].note >= 0) {
      note(channel, at, events[e].note, instrument, vol);
      const bool nextIsNote = e + 1 < events.size() && events[e + 1].note >= 0;
      if (!nextIsNote) off(channel, at + events[e].length);
    }
    at += events[e].length;
  }
  return at - row;
}

void Score::beat(int channel, int row, int rows, int instrument, std::string_view hits, double level, int pitch) {
  if (hits.empty()) return;
  for (int r = 0; r < rows; ++r) {
    const char c = hits[static_cast<std::size_t>(r) % hits.size()];
    const int vol = c == 'X' ? 60 : c == 'x' ? 44 : c == 'o' ? 26 : -1;
    if (vol >= 0) note(channel, row + r, pitch, instrument, static_cast<int>(std::lround(vol * level)));
  }
}

void Score::echo(int from, int to, int first, int last, int delay, double gain) {
  for (int r = std::max(first, 0); r < std::min(last, rows_); ++r) {
    const ItCell& c = at(r, from);
    if (c.note == kNoNote) continue;
    if (c.note == kNoteOff || c.note == kNoteCut) {
      off(to, r + delay);
      continue;
    }
    const int vol = c.volume == kNoVolume ? 64 : c.volume;
    note(to, r + delay, c.note, c.instrument, static_cast<int>(std::lround(vol * gain)));
  }
}

void Score::toPatterns(const std::vector<int>& sectionStarts, std::vector<ItPattern>& patterns,
                       std::vector<std::uint8_t>& orders) const {
  std::vector<int> bounds = sectionStarts;
  bounds.push_back(rows_);
  for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
    int row = bounds[s];
    while (row < bounds[s + 1]) {
      int length = std::min(64, bounds[s + 1] - row);
      // A short remainder joins this chunk instead of becoming a pattern of its own.
      if (bounds[s + 1] - row - length < kMinRows) length = bounds[s + 1] - row;
      ItPattern pattern(std::max(length, kMinRows), channels_);
      for (int r = 0; r < length; ++r)
        for (int ch = 0; ch < channels_; ++ch)
          pattern.at(r, ch) = cells_[static_cast<std::size_t>(row + r) * channels_ + ch];
      if (length < kMinRows) pattern.at(length, 0).effect = effectLetter('C');  // end early
      auto same = std::find(patterns.begin(), patterns.end(), pattern);
      if (same == patterns.end()) {
        patterns.push_back(std::move(pattern));
        same = patterns.end() - 1;
      }
      orders.push_back(static_cast<std::uint8_t>(same - patterns.begin()));
      row += length;
    }
  }
}

}  // namespace musickit
