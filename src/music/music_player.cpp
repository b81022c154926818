#include "music/music_player.h"

#include <SDL.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <exception>
#include <map>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "music/offline_recording.h"
#include "music/song_mixer.h"
#include "platform/file_system.h"

namespace music {

// Where a started song's samples go.
enum class Output {
  None,   // not started, or stopped by soundClose
  Mixer,  // rendered by the device callback or the offline recording
  Clock,  // no output: rendered and discarded as the wall clock moves, for its position
};

struct SongState {
  std::unique_ptr<openmpt::module> module;
  std::atomic<int> order{0};
  std::atomic<int> row{0};
  bool started = false;  // window thread only
  // Changed under the mixer lock; the renderer reads it under the same lock.
  Output output = Output::None;
  bool paused = false;    // kept where it is, rendering nothing
  bool finished = false;  // the module has nothing more to render
  // Clock playback (window thread only).
  std::chrono::steady_clock::time_point clockStart;
  std::int64_t clockFrames = 0;
  int clockRate = 44100;

  // Renders up to `frames` frames; fewer (and `finished` set) at the end of the song.
  std::size_t render(std::int16_t* stereo, std::size_t frames, int rate) {
    if (finished) return 0;
    std::size_t done = 0;
    try {
      done = module->read_interleaved_stereo(rate, frames, stereo);
      order.store(module->get_current_order(), std::memory_order_relaxed);
      row.store(module->get_current_row(), std::memory_order_relaxed);
    } catch (const std::exception&) {
      done = 0;  // a decoder fault ends the song rather than the process
    }
    if (done < frames) finished = true;
    return done;
  }
};

namespace {

// libopenmpt's load warnings would only clutter standard error: the demo reports nothing.
class DiscardingBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

struct Mixer {
  std::mutex lock;
  std::vector<SongState*> started;  // songs with an output, not owned
  std::array<std::int16_t, kMixChunkFrames * 2> songBuffer{};
  std::array<std::int32_t, kMixChunkFrames * 2> sum{};
};

struct SoundSystem {
  SDL_AudioDeviceID device = 0;
  int deviceRate = 44100;
  bool ownsAudioSubsystem = false;
  bool deviceAllowed = true;
};

// Defined before musicState so that they outlive a song still held there at exit.
Mixer mixer;
SoundSystem sound;
DiscardingBuffer discardingBuffer;
std::ostream quietLog(&discardingBuffer);

constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;

void mixChunk(std::int16_t* stereo, std::size_t frames, int rate) {
  const std::size_t values = frames * 2;
  std::fill_n(mixer.sum.begin(), values, 0);
  for (SongState* song : mixer.started) {
    if (song->output != Output::Mixer || song->paused) continue;
    const std::size_t done = song->render(mixer.songBuffer.data(), frames, rate);
    for (std::size_t i = 0; i < done * 2; ++i) mixer.sum[i] += mixer.songBuffer[i];
  }
  for (std::size_t i = 0; i < values; ++i)
    stereo[i] = static_cast<std::int16_t>(std::clamp(mixer.sum[i], -32768, 32767));
}

void SDLCALL fillAudioBuffer(void* /*userdata*/, Uint8* stream, int length) {
  // The device was opened as 16-bit stereo: 4 bytes a frame.
  const std::size_t frames = static_cast<std::size_t>(std::max(length, 0)) / 4;
  mixPlayingSongs(reinterpret_cast<std::int16_t*>(stream), frames, sound.deviceRate);
}

void forget(SongState* song) {
  std::lock_guard guard(mixer.lock);
  std::erase(mixer.started, song);
  song->output = Output::None;
}

// Clock playback: bring the song to the sample of the time elapsed since it started.
void catchUpWithClock(SongState& song) {
  if (song.output != Output::Clock || song.finished || song.paused) return;
  const auto elapsed = std::chrono::steady_clock::now() - song.clockStart;
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const auto target = static_cast<std::int64_t>(seconds * song.clockRate);
  std::array<std::int16_t, kMixChunkFrames * 2> discard{};
  while (song.clockFrames < target && !song.finished) {
    const auto frames =
        static_cast<std::size_t>(std::min<std::int64_t>(target - song.clockFrames, kMixChunkFrames));
    song.render(discard.data(), frames, song.clockRate);
    song.clockFrames += static_cast<std::int64_t>(frames);
  }
}

}  // namespace

MusicState musicState;

Song::Song() : state(std::make_unique<SongState>()) {}

Song::~Song() { forget(state.get()); }

void mixPlayingSongs(std::int16_t* stereo, std::size_t frames, int rate) {
  std::lock_guard guard(mixer.lock);
  while (frames > 0) {
    const std::size_t chunk = std::min(frames, kMixChunkFrames);
    mixChunk(stereo, chunk, rate);
    stereo += chunk * 2;
    frames -= chunk;
  }
}

void allowSoundDevice(bool allowed) { sound.deviceAllowed = allowed; }

bool soundInit(int mixRate, int /*channels*/, unsigned /*flags*/) {
  if (offlineRecordingActive()) return true;
  if (!sound.deviceAllowed) return false;
  if (sound.device != 0) return true;
  sound.deviceRate = (mixRate >= kMinRate && mixRate <= kMaxRate) ? mixRate : 44100;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    sound.ownsAudioSubsystem = true;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = sound.deviceRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = fillAudioBuffer;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  sound.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (sound.device == 0) {
    if (sound.ownsAudioSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sound.ownsAudioSubsystem = false;
    return false;
  }
  SDL_PauseAudioDevice(sound.device, 0);
  return true;
}

SongHandle musicLoadSong(std::string_view path) {
  const auto bytes = platform::readWholeFile(path);
  if (!bytes || bytes->empty()) return nullptr;
  // No dither: the same song renders to the same samples every time, which a recording
  // needs to be reproducible.
  const std::map<std::string, std::string> controls{{"dither", "0"}};
  try {
    auto song = std::make_unique<Song>();
    song->state->module = std::make_unique<openmpt::module>(bytes->data(), bytes->size(), quietLog, controls);
    return song;
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool musicPlaySong(Song* handle) {
  if (!handle) return false;
  SongState* song = handle->state.get();
  if (song->started) return song->output != Output::None;
  song->started = true;
  std::lock_guard guard(mixer.lock);
  if (offlineRecordingActive() || sound.device != 0) {
    song->output = Output::Mixer;
  } else {
    song->output = Output::Clock;
    song->clockStart = std::chrono::steady_clock::now();
    song->clockRate = sound.deviceRate;
  }
  mixer.started.push_back(song);
  return true;
}

int musicGetOrder(Song* song) {
  if (!song) return 0;
  catchUpWithClock(*song->state);
  return song->state->order.load(std::memory_order_relaxed);
}

int musicGetRow(Song* song) {
  if (!song) return 0;
  catchUpWithClock(*song->state);
  return song->state->row.load(std::memory_order_relaxed);
}

void musicPause(Song* handle, bool paused) {
  if (!handle) return;
  SongState& song = *handle->state;
  if (song.paused == paused) return;
  catchUpWithClock(song);
  std::lock_guard guard(mixer.lock);
  song.paused = paused;
  // A song on the clock goes on from the sample it stopped at.
  if (!paused && song.output == Output::Clock)
    song.clockStart = std::chrono::steady_clock::now() -
                      std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                          std::chrono::duration<double>(static_cast<double>(song.clockFrames) / song.clockRate));
}

void musicSetPosition(Song* handle, double seconds) {
  if (!handle) return;
  SongState& song = *handle->state;
  if (!(seconds >= 0.0)) {
    forget(&song);
    std::lock_guard guard(mixer.lock);
    song.started = false;
    song.finished = false;
    try {
      song.module->set_position_seconds(0.0);
    } catch (const std::exception&) {
    }
    song.order.store(0, std::memory_order_relaxed);
    song.row.store(0, std::memory_order_relaxed);
    return;
  }
  musicPlaySong(handle);
  std::lock_guard guard(mixer.lock);
  try {
    song.module->set_position_seconds(seconds);
    song.finished = false;
    song.order.store(song.module->get_current_order(), std::memory_order_relaxed);
    song.row.store(song.module->get_current_row(), std::memory_order_relaxed);
  } catch (const std::exception&) {
    song.finished = true;
  }
  if (song.output == Output::Clock) {
    song.clockFrames = static_cast<std::int64_t>(seconds * song.clockRate);
    song.clockStart = std::chrono::steady_clock::now() -
                      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
  }
}

bool musicFreeSong(SongHandle& song) {
  if (!song) return false;
  song.reset();  // the destructor takes it out of the mix first
  return true;
}

void soundClose() {
  // Closing waits for a running callback, which needs the mixer lock: do not hold it here.
  if (sound.device != 0) SDL_CloseAudioDevice(sound.device);
  sound.device = 0;
  {
    std::lock_guard guard(mixer.lock);
    for (SongState* song : mixer.started) song->output = Output::None;
    mixer.started.clear();
  }
  if (sound.ownsAudioSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  sound.ownsAudioSubsystem = false;
}

bool soundDeviceOpen() { return sound.device != 0; }

}  // namespace music
