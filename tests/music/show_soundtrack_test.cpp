// The show's own soundtrack, written by the content kit, through the player as the demo's
// script drives it: loaded at start, asked to play on every frame of its cue,
// its position read at the start of every frame, freed at the end.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "demo/cue_sheet.h"
#include "music/music_player.h"
#include "music/offline_recording.h"
#include "soundtrack.h"
#include "support/temp_folder.h"

namespace {

constexpr int kFps = 25;
constexpr int kFrameSamples = 44100 / kFps;
constexpr int kFrames = 10 * kFps;
// The first frame inside the start window: 4200 ms.
constexpr int kStartFrame = 105;

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
  return v;
}

TEST(ShowSoundtrack, PlaysFromTheScriptsStartWindowAndAdvancesWithTheRecording) {
  std::string error;
  const auto module = musickit::soundtrackFile(&error);
  ASSERT_FALSE(module.empty()) << error;
  testing_support::TempFolder folder;
  folder.write("music.it", std::string(module.begin(), module.end()));

  ASSERT_TRUE(music::startOfflineRecording(folder.file("soundtrack.wav")));
  music::soundInit(44100, 32, 0);
  auto song = music::musicLoadSong(folder.file("music.it"));
  ASSERT_NE(song, nullptr);

  std::vector<std::pair<int, int>> positions;  // order and row read at each frame's start
  for (int frame = 0; frame < kFrames; ++frame) {
    positions.emplace_back(music::musicGetOrder(song.get()), music::musicGetRow(song.get()));
    const double now = frame * 1000.0 / kFps;
    if (demo::cue::kMusicCueStartMs < now && now < demo::cue::kMusicCueEndMs) music::musicPlaySong(song.get());
    music::advanceOfflineRecording((frame + 1) * 1000.0 / kFps);
  }
  EXPECT_TRUE(music::musicFreeSong(song));
  music::soundClose();
  ASSERT_TRUE(music::finishOfflineRecording());

  // Nothing moves before the start; afterwards the position never goes back and reaches
  // well into the song (the piece has no jumps backwards in its first seconds).
  for (int frame = 0; frame <= kStartFrame; ++frame) EXPECT_EQ(positions[frame], std::make_pair(0, 0)) << frame;
  for (int frame = kStartFrame + 1; frame < kFrames; ++frame)
    EXPECT_GE(positions[frame], positions[frame - 1]) << frame;
  EXPECT_GT(positions.back(), positions[kStartFrame + 1]);

  const std::string wav = folder.read("soundtrack.wav");
  ASSERT_EQ(wav.size(), 44u + kFrames * kFrameSamples * 4);
  ASSERT_EQ(le(wav, 40, 4), static_cast<std::uint32_t>(kFrames * kFrameSamples * 4));
  std::vector<std::int16_t> samples;
  for (std::size_t at = 44; at < wav.size(); at += 2) samples.push_back(static_cast<std::int16_t>(le(wav, at, 2)));

  const std::size_t start = static_cast<std::size_t>(kStartFrame) * kFrameSamples * 2;
  for (std::size_t i = 0; i < start; ++i) ASSERT_EQ(samples[i], 0) << "sound before the start, at " << i;

  openmpt::module alone(module, std::clog, std::map<std::string, std::string>{{"dither", "0"}});
  std::vector<std::int16_t> expected(samples.size() - start);
  std::size_t done = 0;
  while (done * 2 < expected.size()) {
    const std::size_t got = alone.read_interleaved_stereo(44100, expected.size() / 2 - done, &expected[done * 2]);
    ASSERT_GT(got, 0u);
    done += got;
  }
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), samples.begin() + static_cast<std::ptrdiff_t>(start)));
  int peak = 0;
  for (std::size_t i = start; i < samples.size(); ++i) peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  EXPECT_GT(peak, 0) << "the opening seconds should be audible";
}

}  // namespace
