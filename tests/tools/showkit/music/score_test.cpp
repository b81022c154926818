// The composing helpers: note names, phrases with their releases, drum strings and the cut
// into patterns.
#include <gtest/gtest.h>

#include "score.h"

namespace musickit {
namespace {

TEST(Score, NoteNamesFollowTrackerOctaves) {
  EXPECT_EQ(noteNumber("C5"), 60);
  EXPECT_EQ(noteNumber("A4"), 57);
  EXPECT_EQ(noteNumber("Bb4"), 58);
  EXPECT_EQ(noteNumber("F#3"), 42);
  EXPECT_EQ(noteNumber("C0"), 0);
  EXPECT_EQ(noteNumber("B9"), 119);
  for (const char* bad : {"", "C", "H4", "C#", "Cb0", "C10", "5C", "D5x"}) EXPECT_EQ(noteNumber(bad), -1) << bad;
}

TEST(Score, PhrasePlacesNotesAndReleasesBeforeRests) {
  Score s(2, 64);
  const int used = s.phrase(1, 4, 7, 40, "A4 6 D5 2 | - 4 E5 4", 12);
  EXPECT_EQ(used, 16);
  EXPECT_EQ(s.at(4, 1).note, 57 + 12);
  EXPECT_EQ(s.at(4, 1).instrument, 7);
  EXPECT_EQ(s.at(4, 1).volume, 40);
  EXPECT_EQ(s.at(10, 1).note, 62 + 12);  // straight after, no release in between
  EXPECT_EQ(s.at(12, 1).note, kNoteOff);  // the rest releases it
  EXPECT_EQ(s.at(16, 1).note, 64 + 12);
  EXPECT_EQ(s.at(20, 1).note, kNoteOff);  // the last note ends too
  int notes = 0;
  for (int r = 0; r < 64; ++r) {
    EXPECT_TRUE(s.at(r, 0).empty());
    notes += s.at(r, 1).note != kNoNote;
  }
  EXPECT_EQ(notes, 5);
}

TEST(Score, PhraseStopsAtATypoAndAtTheEnd) {
  Score s(1, 32);
  EXPECT_EQ(s.phrase(0, 0, 1, 30, "C5 4 X9 4 D5 4"), 4);
  EXPECT_EQ(s.at(8, 0).note, kNoNote);
  s.phrase(0, 28, 1, 30, "E5 8");  // runs past the last row: cut, not out of bounds
  EXPECT_EQ(s.at(28, 0).note, 64);
}

TEST(Score, BeatStringsGiveVolumesByAccent) {
  Score s(1, 32);
  s.beat(0, 0, 32, 3, "X.x.o...", 0.5, 50);
  EXPECT_EQ(s.at(0, 0).volume, 30);
  EXPECT_EQ(s.at(2, 0).volume, 22);
  EXPECT_EQ(s.at(4, 0).volume, 13);
  EXPECT_EQ(s.at(8, 0).note, 50);  // the string repeats
  EXPECT_EQ(s.at(8, 0).instrument, 3);
  EXPECT_TRUE(s.at(1, 0).empty());
  EXPECT_TRUE(s.at(31, 0).empty());
}

TEST(Score, EchoRepeatsNotesLaterAndSofter) {
  Score s(2, 40);
  s.phrase(0, 2, 5, 40, "C5 4 - 4 E5 2");
  s.note(0, 30, 48, 5);  // no volume: the sample's full volume is echoed
  s.echo(0, 1, 0, 30, 3, 0.5);
  EXPECT_EQ(s.at(5, 1).note, 60);
  EXPECT_EQ(s.at(5, 1).instrument, 5);
  EXPECT_EQ(s.at(5, 1).volume, 20);
  EXPECT_EQ(s.at(9, 1).note, kNoteOff);
  EXPECT_EQ(s.at(13, 1).note, 64);
  EXPECT_EQ(s.at(15, 1).note, kNoteOff);
  EXPECT_TRUE(s.at(33, 1).empty());  // past the range asked for
  s.echo(0, 1, 30, 40, 3, 0.5);
  EXPECT_EQ(s.at(33, 1).volume, 32);
  EXPECT_EQ(s.at(2, 0).note, 60);  // the source stays as it was
}

TEST(Score, PatternsFollowSectionsAndRepeatsAreStoredOnce) {
  // Sections of 288, 72 and 128 rows; the last two 64-row halves are the same.
  Score s(3, 488);
  for (int r = 0; r < 360; ++r) s.note(r % 3, r, r % 100, 1, 32);
  for (int r = 360; r < 488; r += 8) s.note(0, r, 60, 2, 50);
  std::vector<ItPattern> patterns;
  std::vector<std::uint8_t> orders;
  s.toPatterns({0, 288, 360}, patterns, orders);
  std::vector<int> rows;
  for (std::uint8_t o : orders) rows.push_back(patterns.at(o).rows);
  EXPECT_EQ(rows, (std::vector<int>{64, 64, 64, 64, 32, 72, 64, 64}));
  EXPECT_EQ(patterns.size(), 7u);
  EXPECT_EQ(orders[6], orders[7]);
  // Every cell lands where it was written.
  int start = 0;
  for (std::uint8_t o : orders) {
    const ItPattern& p = patterns[o];
    for (int r = 0; r < p.rows; ++r)
      for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(p.at(r, ch), s.at(start + r, ch)) << start + r;
    start += p.rows;
  }
  EXPECT_EQ(start, 488);
}

}  // namespace
}  // namespace musickit
