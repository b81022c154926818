#include "music/offline_recording.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "music/music_player.h"
#include "support/temp_folder.h"
#include "test_module.h"

namespace {

using testing_support::TempFolder;

constexpr int kFps = 25;
constexpr int kFrameSamples = 44100 / kFps;  // 1764

struct Wav {
  bool valid = false;
  std::vector<std::int16_t> samples;  // interleaved stereo
};

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
  return v;
}

// Reads back exactly the layout a 16-bit stereo 44.1 kHz PCM file must have.
Wav readWav(const std::string& bytes) {
  Wav wav;
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 8, "WAVEfmt ") != 0 ||
      bytes.compare(36, 4, "data") != 0)
    return wav;
  const std::uint32_t dataBytes = le(bytes, 40, 4);
  if (le(bytes, 4, 4) != 36 + dataBytes || le(bytes, 16, 4) != 16 || le(bytes, 20, 2) != 1 ||
      le(bytes, 22, 2) != 2 || le(bytes, 24, 4) != 44100 || le(bytes, 28, 4) != 44100 * 4 ||
      le(bytes, 32, 2) != 4 || le(bytes, 34, 2) != 16 || bytes.size() != 44 + dataBytes)
    return wav;
  for (std::size_t at = 44; at + 1 < bytes.size(); at += 2)
    wav.samples.push_back(static_cast<std::int16_t>(le(bytes, at, 2)));
  wav.valid = true;
  return wav;
}

// The module rendered alone from its start, the way the player renders it.
std::vector<std::int16_t> renderAlone(const std::vector<std::uint8_t>& module, std::size_t frames) {
  openmpt::module alone(module, std::clog, std::map<std::string, std::string>{{"dither", "0"}});
  std::vector<std::int16_t> out(frames * 2, 0);
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t got = alone.read_interleaved_stereo(44100, std::min<std::size_t>(frames - done, 4000), &out[done * 2]);
    if (got == 0) break;
    done += got;
  }
  return out;
}

std::ptrdiff_t firstNonZero(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
  for (std::size_t i = from; i < samples.size(); ++i)
    if (samples[i] != 0) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

class OfflineRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No sound card here; the recording must not need one (nor open one).
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    module_ = music_test::buildTestModule(shape_);
    folder_.write("music.it", std::string(module_.begin(), module_.end()));
    wavPath_ = folder_.file("soundtrack.wav");
  }
  void TearDown() override {
    music::musicState.songHandle.reset();
    music::soundClose();
    if (music::offlineRecordingActive()) music::finishOfflineRecording();
    unsetenv("SDL_AUDIODRIVER");
  }

  // Records `frames` frames of 25 fps the way the demo's main loop does, calling `onFrame`
  // with each frame's number before its sound is rendered.
  template <typename OnFrame>
  Wav record(int frames, OnFrame onFrame) {
    EXPECT_TRUE(music::startOfflineRecording(wavPath_));
    EXPECT_TRUE(music::soundInit(44100, 32, 0));
    EXPECT_FALSE(music::soundDeviceOpen());
    music::musicState.songHandle = music::musicLoadSong(folder_.file("music.it"));
    EXPECT_NE(music::musicState.songHandle, nullptr);
    for (int frame = 0; frame < frames; ++frame) {
      onFrame(frame, music::musicState.songHandle.get());
      music::advanceOfflineRecording((frame + 1) * 1000.0 / kFps);
    }
    music::musicFreeSong(music::musicState.songHandle);
    music::soundClose();
    EXPECT_TRUE(music::finishOfflineRecording());
    EXPECT_FALSE(folder_.exists("soundtrack.wav.part"));
    return readWav(folder_.read("soundtrack.wav"));
  }

  music_test::ModuleShape shape_;
  std::vector<std::uint8_t> module_;
  TempFolder folder_;
  std::string wavPath_;
};

TEST_F(OfflineRecordingTest, TheSongStartsAtTheSampleOfTheFrameThatStartedIt) {
  constexpr int kStartFrame = 42;
  constexpr std::size_t kStart = kStartFrame * kFrameSamples;  // 74088
  const Wav wav = record(100, [](int frame, music::Song* song) {
    if (frame == kStartFrame) music::musicPlaySong(song);
  });
  ASSERT_TRUE(wav.valid);
  ASSERT_EQ(wav.samples.size(), 100u * kFrameSamples * 2);

  const std::ptrdiff_t first = firstNonZero(wav.samples);
  ASSERT_GE(first, static_cast<std::ptrdiff_t>(kStart * 2)) << "sound before the song was started";

  const std::size_t songFrames = 100 * kFrameSamples - kStart;
  const auto alone = renderAlone(module_, songFrames);
  const std::ptrdiff_t aloneFirst = firstNonZero(alone);
  ASSERT_GE(aloneFirst, 0);
  EXPECT_EQ(first, static_cast<std::ptrdiff_t>(kStart * 2) + aloneFirst);
  // Every sample of the song, shifted to its start, rendered in frame-sized steps.
  const std::vector<std::int16_t> recorded(wav.samples.begin() + kStart * 2, wav.samples.end());
  EXPECT_EQ(recorded, alone);
}

TEST_F(OfflineRecordingTest, RepeatedStartRequestsDoNotRestartTheSong) {
  const Wav once = record(60, [](int frame, music::Song* song) {
    if (frame == 10) music::musicPlaySong(song);
  });
  const Wav repeated = record(60, [](int frame, music::Song* song) {
    if (frame >= 10 && frame < 40) music::musicPlaySong(song);  // every frame of a window
  });
  ASSERT_TRUE(once.valid);
  ASSERT_TRUE(repeated.valid);
  EXPECT_GT(firstNonZero(once.samples), 0);
  EXPECT_EQ(once.samples, repeated.samples);
}

TEST_F(OfflineRecordingTest, OrderAndRowFollowTheRenderedSound) {
  // 20 frames after the start the song has played 20 x 1764 frames.
  int order = -1, row = -1;
  record(50, [&](int frame, music::Song* song) {
    if (frame == 5) music::musicPlaySong(song);
    if (frame < 5) {
      EXPECT_EQ(music::musicGetOrder(song), 0);
      EXPECT_EQ(music::musicGetRow(song), 0);
    }
    if (frame == 5 + 20) {
      order = music::musicGetOrder(song);
      row = music::musicGetRow(song);
    }
  });
  openmpt::module alone(module_, std::clog, std::map<std::string, std::string>{{"dither", "0"}});
  std::vector<std::int16_t> scratch(1764 * 2);
  for (int i = 0; i < 20; ++i) alone.read_interleaved_stereo(44100, 1764, scratch.data());
  EXPECT_EQ(order, alone.get_current_order());
  EXPECT_EQ(row, alone.get_current_row());
  EXPECT_EQ(order, 1) << "800 ms pass the first pattern (32 rows of 19.6 ms)";
  EXPECT_EQ(row, 8);
}

TEST_F(OfflineRecordingTest, AFreedSongFallsSilentAtOnce) {
  constexpr int kFreeFrame = 20;
  const Wav wav = record(40, [](int frame, music::Song* song) {
    if (frame == 2) music::musicPlaySong(song);
    if (frame == kFreeFrame) music::musicFreeSong(music::musicState.songHandle);
    (void)song;
  });
  ASSERT_TRUE(wav.valid);
  EXPECT_GE(firstNonZero(wav.samples), 2 * kFrameSamples * 2);
  EXPECT_LT(firstNonZero(wav.samples), kFreeFrame * kFrameSamples * 2);
  EXPECT_EQ(firstNonZero(wav.samples, kFreeFrame * kFrameSamples * 2), -1);
}

TEST_F(OfflineRecordingTest, SongsPlayingTogetherAreSummedAndClippedNotWrapped) {
  constexpr int kFrames = 20;
  const auto alone = renderAlone(module_, kFrames * kFrameSamples);
  int peak = 1;
  for (std::int16_t s : alone) peak = std::max(peak, std::abs(static_cast<int>(s)));
  const int kSongs = 32768 / peak + 2;  // enough to pass full scale
  ASSERT_LE(kSongs, 64);
  ASSERT_TRUE(music::startOfflineRecording(wavPath_));
  std::vector<music::SongHandle> songs;
  for (int i = 0; i < kSongs; ++i) {
    songs.push_back(music::musicLoadSong(folder_.file("music.it")));
    ASSERT_TRUE(music::musicPlaySong(songs.back().get()));
  }
  music::advanceOfflineRecording(kFrames * 1000.0 / kFps);
  songs.clear();
  ASSERT_TRUE(music::finishOfflineRecording());
  const Wav wav = readWav(folder_.read("soundtrack.wav"));
  ASSERT_TRUE(wav.valid);

  ASSERT_EQ(wav.samples.size(), alone.size());
  int clipped = 0;
  for (std::size_t i = 0; i < alone.size(); ++i) {
    const int sum = kSongs * alone[i];
    const int expected = std::clamp(sum, -32768, 32767);
    if (expected != sum) ++clipped;
    ASSERT_EQ(wav.samples[i], expected) << "sample " << i;
  }
  EXPECT_GT(clipped, 0) << "the test should drive the mix past full scale";
}

TEST_F(OfflineRecordingTest, DamagedModulesLoadOrFailButRenderSafely) {
  ASSERT_TRUE(music::startOfflineRecording(wavPath_));
  std::uint32_t state = 12345;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  int loaded = 0;
  for (int variant = 0; variant < 150; ++variant) {
    auto damaged = module_;
    const int flips = 1 + static_cast<int>(next() % 8);
    for (int i = 0; i < flips; ++i) damaged[next() % damaged.size()] = static_cast<std::uint8_t>(next() >> 24);
    folder_.write("damaged.it", std::string(damaged.begin(), damaged.end()));
    auto song = music::musicLoadSong(folder_.file("damaged.it"));
    if (song) ++loaded;
    music::musicPlaySong(song.get());
    music::advanceOfflineRecording((variant + 1) * 100.0);
    EXPECT_GE(music::musicGetOrder(song.get()), 0);
    EXPECT_GE(music::musicGetRow(song.get()), 0);
  }
  EXPECT_GT(loaded, 0) << "some damage is survivable; those songs must play without harm";
  EXPECT_EQ(music::offlineRecordedFrames(), 150 * 4410);
  ASSERT_TRUE(music::finishOfflineRecording());
}

TEST_F(OfflineRecordingTest, TimesThatDoNotMoveForwardAddNothing) {
  ASSERT_TRUE(music::startOfflineRecording(wavPath_));
  music::advanceOfflineRecording(100.0);
  EXPECT_EQ(music::offlineRecordedFrames(), 4410);
  music::advanceOfflineRecording(50.0);
  music::advanceOfflineRecording(std::nan(""));
  music::advanceOfflineRecording(-1.0);
  music::advanceOfflineRecording(INFINITY);
  EXPECT_EQ(music::offlineRecordedFrames(), 4410);
  music::advanceOfflineRecording(100.02);  // 4410.88 frames: the nearest sample, not the one before
  EXPECT_EQ(music::offlineRecordedFrames(), 4411);
  music::advanceOfflineRecording(1000.0 / 30.0 * 4);  // 133.33 ms rounds to 5880 frames
  EXPECT_EQ(music::offlineRecordedFrames(), 5880);
  ASSERT_TRUE(music::finishOfflineRecording());
  const Wav wav = readWav(folder_.read("soundtrack.wav"));
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.samples.size(), 5880u * 2);
  EXPECT_EQ(firstNonZero(wav.samples), -1);
}

TEST_F(OfflineRecordingTest, RefusesWhatItCannotDoAndLeavesNoFiles) {
  EXPECT_FALSE(music::finishOfflineRecording()) << "nothing was started";
  EXPECT_FALSE(music::startOfflineRecording(folder_.file("missing/folder/soundtrack.wav")));
  EXPECT_FALSE(music::offlineRecordingActive());
  EXPECT_FALSE(music::startOfflineRecording(""));

  ASSERT_TRUE(music::startOfflineRecording(wavPath_));
  EXPECT_FALSE(music::startOfflineRecording(folder_.file("second.wav")));
  EXPECT_TRUE(folder_.exists("soundtrack.wav.part"));
  EXPECT_FALSE(folder_.exists("soundtrack.wav")) << "only complete files get the final name";
  ASSERT_TRUE(music::finishOfflineRecording());
  EXPECT_EQ(folder_.entryCount(), 2);  // music.it and soundtrack.wav

  // With a device already open, a recording would render the same song twice.
  ASSERT_TRUE(music::soundInit(44100, 32, 0));
  ASSERT_TRUE(music::soundDeviceOpen());
  EXPECT_FALSE(music::startOfflineRecording(folder_.file("late.wav")));
  EXPECT_FALSE(folder_.exists("late.wav.part"));
}

}  // namespace
