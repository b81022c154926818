// The module-music layer: the seven calls the demo makes, played by libopenmpt (decoding the
// Impulse Tracker module) through an SDL2 audio device.
//
// Nothing here reports failure to the user. A missing or damaged module gives a null song,
// a missing audio device gives a song that plays without sound: its position still moves
// with the wall clock from the moment it was started, so the order and row read by the
// authoring capture stay meaningful. Every call accepts a null song.
//
// Threads: the calls are made from the window thread only. The audio device renders on its
// own thread; the song's position is handed over through atomics, and the list of playing
// songs is guarded by one lock.
#pragma once

#include <memory>
#include <string_view>

namespace music {

struct SongState;

// A loaded song; a playing song stops when it goes away.
class Song {
 public:
  Song();
  ~Song();
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  std::unique_ptr<SongState> state;
};
using SongHandle = std::unique_ptr<Song>;

// Starts the sound system: opens an audio device mixing at `mixRate` Hz, 16-bit stereo.
// `channels` and `flags` are accepted for the caller's sake; libopenmpt mixes every voice
// of the module itself. Returns false when no device could be opened (songs then play
// silently). During an offline recording no device is opened and the call returns true.
bool soundInit(int mixRate, int channels, unsigned flags);

// Loads a module file (through the path resolver). Null when the file is missing or is not
// a module libopenmpt can read.
SongHandle musicLoadSong(std::string_view path);

// Starts the song from its beginning. A song that was started once keeps playing by itself;
// later requests are ignored. Returns whether the song is playing.
bool musicPlaySong(Song* song);

// The song's current order-list position and the row in its pattern, as far as it has been
// rendered; 0 for a null song or one that has not started.
int musicGetOrder(Song* song);
int musicGetRow(Song* song);

// ---- the author's controls (the show as designed makes none of these calls) ----

// Holds a started song where it is (silent, its position kept) or lets it play on.
void musicPause(Song* song, bool paused);
// Puts a song at `seconds` from its start and lets it play from there, as if it had been
// started that long ago; a negative time takes it back to before its start, so that the
// next musicPlaySong starts it again.
void musicSetPosition(Song* song, double seconds);

// Stops the song and releases it; the handle is null afterwards. Returns whether there was
// a song.
bool musicFreeSong(SongHandle& song);

// Stops every song and releases the audio device.
void soundClose();

// With false, soundInit opens no device and songs play silently (a benchmark run, whose
// clock is not the listener's).
void allowSoundDevice(bool allowed);

// Whether an audio device is open at the moment.
bool soundDeviceOpen();

// The demo's song, loaded by the loading sequence and freed at shutdown.
struct MusicState {
  SongHandle songHandle;
};
extern MusicState musicState;

}  // namespace music
