// The music layer in a browser. The soundtrack is the module rendered ahead, at build time,
// by the same player as the desktop's (libopenmpt), into a compressed file that the page
// plays through Web Audio when the script starts the song; beside it the module's order and
// row at every row change ("music.it.rows": milliseconds, order, row a line), which give the
// position the authoring capture reads. The page keeps the sound in step with the demo clock.
//
// A module without its rows file is a song that cannot be loaded (null, as a module the
// player cannot read). Without sound (no audio in the page, a run on the virtual clock) the
// song's position moves with the tick count from the moment it was started.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "music/music_player.h"
#include "platform/file_system.h"
#include "platform/tick_count.h"

EM_JS(int, tolvekSoundAvailable, (), { return Module.soundtrack && Module.soundtrack.ready() ? 1 : 0; });
EM_JS(void, tolvekSoundStart, (), { if (Module.soundtrack) Module.soundtrack.start(); });
EM_JS(void, tolvekSoundStop, (), { if (Module.soundtrack) Module.soundtrack.stop(); });
EM_JS(void, tolvekSoundSeek, (double ms), { if (Module.soundtrack) Module.soundtrack.seek(ms); });
EM_JS(void, tolvekSoundPause, (int paused), { if (Module.soundtrack) Module.soundtrack.pause(!!paused); });
EM_JS(double, tolvekSoundPositionMs, (), { return Module.soundtrack ? Module.soundtrack.positionMs() : -1; });

namespace music {

struct RowMark {
  double ms;
  int order, row;
};

struct SongState {
  std::vector<RowMark> rows;
  bool playing = false;
  bool audible = false;
  bool paused = false;
  double heldMs = 0;  // the position a paused song holds
  std::uint32_t startTick = 0;
};

MusicState musicState;

namespace {

struct Device {
  bool allowed = true;
  bool open = false;
};
Device device;

double positionMs(const SongState& s) {
  if (s.paused) return s.heldMs;
  if (s.audible) {
    const double ms = tolvekSoundPositionMs();
    if (ms >= 0) return ms;
  }
  return static_cast<double>(platform::tickCount() - s.startTick);
}

const RowMark* markAt(Song* song) {
  if (!song || !song->state->playing || song->state->rows.empty()) return nullptr;
  const auto& rows = song->state->rows;
  const double ms = positionMs(*song->state);
  auto it = std::upper_bound(rows.begin(), rows.end(), ms, [](double t, const RowMark& m) { return t < m.ms; });
  return it == rows.begin() ? nullptr : &*(it - 1);
}

}  // namespace

Song::Song() : state(std::make_unique<SongState>()) {}
Song::~Song() {
  if (state && state->audible) tolvekSoundStop();
}

bool soundInit(int, int, unsigned) {
  device.open = device.allowed && tolvekSoundAvailable();
  return device.open;
}

SongHandle musicLoadSong(std::string_view path) {
  const auto bytes = platform::readWholeFile(std::string(path) + ".rows");
  if (!bytes) return nullptr;
  auto song = std::make_unique<Song>();
  std::istringstream in(std::string(bytes->begin(), bytes->end()));
  RowMark mark{};
  while (in >> mark.ms >> mark.order >> mark.row)
    if (song->state->rows.empty() || mark.ms >= song->state->rows.back().ms) song->state->rows.push_back(mark);
  if (song->state->rows.empty()) return nullptr;
  return song;
}

bool musicPlaySong(Song* song) {
  if (!song) return false;
  SongState& s = *song->state;
  if (s.playing) return true;
  s.playing = true;
  s.startTick = platform::tickCount();
  s.audible = device.open;
  if (s.audible) tolvekSoundStart();
  return true;
}

int musicGetOrder(Song* song) {
  const RowMark* m = markAt(song);
  return m ? m->order : 0;
}

int musicGetRow(Song* song) {
  const RowMark* m = markAt(song);
  return m ? m->row : 0;
}

void musicPause(Song* song, bool paused) {
  if (!song) return;
  SongState& s = *song->state;
  if (s.paused == paused) return;
  if (paused) {
    s.heldMs = positionMs(s);
  } else {
    // On from where it stopped: its start moves by the time it was held.
    s.startTick = platform::tickCount() - static_cast<std::uint32_t>(s.heldMs);
  }
  s.paused = paused;
  if (s.audible) tolvekSoundPause(paused ? 1 : 0);
}

void musicSetPosition(Song* song, double seconds) {
  if (!song) return;
  SongState& s = *song->state;
  if (seconds < 0) {
    // Back before its start: the next musicPlaySong starts it again.
    if (s.audible) tolvekSoundStop();
    s.playing = s.audible = false;
    s.heldMs = 0;
    return;
  }
  const double ms = seconds * 1000.0;
  s.playing = true;
  s.heldMs = ms;
  s.startTick = platform::tickCount() - static_cast<std::uint32_t>(ms);
  s.audible = device.open;
  if (s.audible) {
    tolvekSoundSeek(ms);
    if (s.paused) tolvekSoundPause(1);
  }
}

bool musicFreeSong(SongHandle& song) {
  const bool had = song != nullptr;
  song.reset();
  return had;
}

void soundClose() {
  tolvekSoundStop();
  device.open = false;
}

void allowSoundDevice(bool allowed) { device.allowed = allowed; }

bool soundDeviceOpen() { return device.open; }

}  // namespace music
