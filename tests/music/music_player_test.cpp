#include "music/music_player.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/temp_folder.h"
#include "test_module.h"

namespace {

using namespace std::chrono_literals;
using testing_support::TempFolder;

std::string asText(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// Polls until the condition holds or ten seconds have passed; tells which.
template <class Condition>
bool waitUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

class MusicPlayerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    music::musicState.songHandle.reset();
    music::soundClose();
    unsetenv("SDL_AUDIODRIVER");
  }

  // A module written into the temporary folder; returns its path.
  std::string writeModule(const music_test::ModuleShape& shape = {}, const std::string& name = "music.it") {
    folder_.write(name, asText(music_test::buildTestModule(shape)));
    return folder_.file(name);
  }

  // Song time of order and row, in rows from the start.
  static int rowsPlayed(music::Song* song, const music_test::ModuleShape& shape = {}) {
    const int order = music::musicGetOrder(song);
    return order * shape.rows + music::musicGetRow(song);
  }

  TempFolder folder_;
};

TEST_F(MusicPlayerTest, TheTestModuleIsTheSongItDescribes) {
  const music_test::ModuleShape shape{4, 40, 3, 200};
  const auto bytes = music_test::buildTestModule(shape);
  openmpt::module module(bytes);
  EXPECT_EQ(module.get_num_orders(), 4);
  EXPECT_EQ(module.get_num_patterns(), 4);
  EXPECT_EQ(module.get_num_samples(), 1);
  EXPECT_EQ(module.get_num_channels(), 1);
  EXPECT_NEAR(module.get_duration_seconds(), 4 * 40 * music_test::rowSeconds(shape), 0.01);
}

TEST_F(MusicPlayerTest, EveryCallAcceptsANullSong) {
  EXPECT_FALSE(music::musicPlaySong(nullptr));
  EXPECT_EQ(music::musicGetOrder(nullptr), 0);
  EXPECT_EQ(music::musicGetRow(nullptr), 0);
  music::SongHandle none;
  EXPECT_FALSE(music::musicFreeSong(none));
  EXPECT_FALSE(music::musicFreeSong(music::musicState.songHandle));
  // Closing a sound system that never started, twice, is harmless too.
  music::soundClose();
  music::soundClose();
  EXPECT_FALSE(music::soundDeviceOpen());
}

TEST_F(MusicPlayerTest, MissingOrDamagedModulesGiveNoSong) {
  EXPECT_EQ(music::musicLoadSong(folder_.file("absent.it")), nullptr);
  folder_.write("empty.it", "");
  EXPECT_EQ(music::musicLoadSong(folder_.file("empty.it")), nullptr);
  std::string noise(5000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u) >> 3);
  folder_.write("noise.it", noise);
  EXPECT_EQ(music::musicLoadSong(folder_.file("noise.it")), nullptr);
  EXPECT_EQ(music::musicLoadSong(folder_.path()), nullptr);  // a folder, not a file
}

TEST_F(MusicPlayerTest, CutOrCorruptedModulesNeverCrash) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const auto whole = music_test::buildTestModule();
  // Cut anywhere: inside the header, the tables, the patterns or the sample data.
  for (std::size_t length : {4ul, 0x40ul, 0xC0ul, 0xD0ul, whole.size() / 2, whole.size() - 3}) {
    folder_.write("cut.it", asText({whole.begin(), whole.begin() + static_cast<long>(length)}));
    auto song = music::musicLoadSong(folder_.file("cut.it"));
    music::musicPlaySong(song.get());
    music::musicGetOrder(song.get());
    music::musicGetRow(song.get());
    music::musicFreeSong(song);
    EXPECT_EQ(song, nullptr);
  }
  // Offsets pointing past the end of the file.
  auto hostile = whole;
  for (std::size_t at = 0xC0 + 4; at < 0xC0 + 4 + 16; ++at) hostile[at] = 0xFF;
  folder_.write("hostile.it", asText(hostile));
  auto song = music::musicLoadSong(folder_.file("hostile.it"));
  music::musicPlaySong(song.get());
  EXPECT_GE(music::musicGetOrder(song.get()), 0);
  EXPECT_GE(music::musicGetRow(song.get()), 0);
}

TEST_F(MusicPlayerTest, SongsAreFoundWhateverTheCaseOfTheirName) {
  writeModule({}, "music.it");
  EXPECT_NE(music::musicLoadSong(folder_.path() + "\\MUSIC.IT"), nullptr);
}

// SDL's dummy driver consumes audio in real time without hardware, as a sound card would.
TEST_F(MusicPlayerTest, ADeviceSongStartsOnlyWhenAskedAndAdvancesAsItIsRendered) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(music::soundInit(44100, 32, 0));
  EXPECT_TRUE(music::soundDeviceOpen());
  music::musicState.songHandle = music::musicLoadSong(writeModule());
  music::Song* song = music::musicState.songHandle.get();
  ASSERT_NE(song, nullptr);

  // Something that must not happen can only be watched for a while: three rows' time, during
  // which the device runs but the song has not been started.
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(music::musicGetOrder(song), 0);
  EXPECT_EQ(music::musicGetRow(song), 0);

  ASSERT_TRUE(music::musicPlaySong(song));
  EXPECT_TRUE(waitUntil([&] { return music::musicGetOrder(song) >= 1; }))
      << "the song should have reached its second pattern";

  // A second request while it plays does not restart it: the position goes on from where it was.
  const int before = rowsPlayed(song);
  EXPECT_TRUE(music::musicPlaySong(song));
  EXPECT_GE(rowsPlayed(song), before);
  EXPECT_TRUE(waitUntil([&] { return rowsPlayed(song) > before; }));

  EXPECT_TRUE(music::musicFreeSong(music::musicState.songHandle));
  EXPECT_EQ(music::musicState.songHandle, nullptr);
  music::soundClose();
  EXPECT_FALSE(music::soundDeviceOpen());
}

TEST_F(MusicPlayerTest, SoundCloseStopsAPlayingSongAndTheDeviceOpensAgain) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(music::soundInit(44100, 32, 0));
  auto song = music::musicLoadSong(writeModule());
  ASSERT_TRUE(music::musicPlaySong(song.get()));
  ASSERT_TRUE(waitUntil([&] { return rowsPlayed(song.get()) > 0; })) << "the song plays";
  music::soundClose();
  const int stoppedAt = rowsPlayed(song.get());
  std::this_thread::sleep_for(100ms);  // about five rows at this tempo, watched for none
  EXPECT_EQ(rowsPlayed(song.get()), stoppedAt);
  EXPECT_FALSE(music::musicPlaySong(song.get())) << "a song plays once";
  EXPECT_TRUE(music::soundInit(44100, 32, 0));
  EXPECT_TRUE(music::soundDeviceOpen());
}

TEST_F(MusicPlayerTest, WithoutADeviceTheSongIsSilentButItsPositionFollowsTheClock) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(music::soundInit(44100, 32, 0));
  EXPECT_FALSE(music::soundDeviceOpen());
  const music_test::ModuleShape shape;
  auto song = music::musicLoadSong(writeModule(shape));
  ASSERT_NE(song, nullptr);

  std::this_thread::sleep_for(100ms);  // watched for five rows' time
  EXPECT_EQ(rowsPlayed(song.get()), 0) << "not started yet";

  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(music::musicPlaySong(song.get()));
  ASSERT_TRUE(waitUntil([&] { return rowsPlayed(song.get()) >= 4; }));
  auto since = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
  const double before = since();
  const int rows = rowsPlayed(song.get());
  const double after = since();
  const double rowTime = music_test::rowSeconds(shape);
  // The rows of the time measured before reading, at most those of the time after it.
  EXPECT_GE(rows, static_cast<int>(before / rowTime) - 1);
  EXPECT_LE(rows, static_cast<int>(after / rowTime) + 1);
}

}  // namespace
