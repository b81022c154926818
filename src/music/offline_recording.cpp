#include "music/offline_recording.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "music/music_player.h"
#include "music/song_mixer.h"
#include "platform/file_system.h"
#include "platform/path_resolver.h"

namespace music {
namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;
constexpr std::size_t kHeaderBytes = 44;
// The RIFF sizes are 32-bit: past this many frames (about 6.7 hours) nothing more is written.
constexpr std::int64_t kMaxFrames = (0xFFFFFFFFll - 36) / kBytesPerFrame;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct OfflineRecording {
  std::unique_ptr<std::FILE, FileCloser> file;
  std::string finalPath;
  std::string temporaryPath;
  std::int64_t frames = 0;
  bool failed = false;
};

OfflineRecording recording;

void putLe(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::array<std::uint8_t, kHeaderBytes> wavHeader(std::int64_t frames) {
  const auto dataBytes = static_cast<std::uint32_t>(frames * kBytesPerFrame);
  std::array<std::uint8_t, kHeaderBytes> h{};
  auto tag = [&](std::size_t at, const char* text) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(text[i]);
  };
  tag(0, "RIFF");
  putLe(&h[4], 36 + dataBytes, 4);
  tag(8, "WAVE");
  tag(12, "fmt ");
  putLe(&h[16], 16, 4);  // PCM format chunk size
  putLe(&h[20], 1, 2);   // integer PCM
  putLe(&h[22], kChannels, 2);
  putLe(&h[24], kRecordingRate, 4);
  putLe(&h[28], kRecordingRate * kBytesPerFrame, 4);
  putLe(&h[32], kBytesPerFrame, 2);
  putLe(&h[34], 16, 2);
  tag(36, "data");
  putLe(&h[40], dataBytes, 4);
  return h;
}

bool writeFrames(const std::int16_t* stereo, std::size_t frames) {
  std::array<std::uint8_t, kMixChunkFrames * kBytesPerFrame> bytes;
  const std::size_t values = frames * kChannels;
  for (std::size_t i = 0; i < values; ++i) putLe(&bytes[i * 2], static_cast<std::uint16_t>(stereo[i]), 2);
  return std::fwrite(bytes.data(), 1, values * 2, recording.file.get()) == values * 2;
}

}  // namespace

bool startOfflineRecording(std::string_view path) {
  if (recording.file || soundDeviceOpen() || path.empty()) return false;
  recording = OfflineRecording{};
  recording.finalPath = std::string(path);
  recording.temporaryPath = recording.finalPath + ".part";
  recording.file.reset(platform::openFile(recording.temporaryPath, "wb"));
  if (!recording.file) return false;
  const auto header = wavHeader(0);
  if (std::fwrite(header.data(), 1, header.size(), recording.file.get()) != header.size()) recording.failed = true;
  return true;
}

void advanceOfflineRecording(double recordedMs) {
  if (!std::isfinite(recordedMs) || recordedMs <= 0.0) return;
  const double exact = std::round(recordedMs * kRecordingRate / 1000.0);
  advanceOfflineRecordingTo(exact >= static_cast<double>(kMaxFrames) ? kMaxFrames : static_cast<std::int64_t>(exact));
}

std::int64_t samplesAtFrame(std::int64_t frames, platform::FrameRate rate) {
  if (!rate.valid() || frames <= 0) return 0;
  // frames x den / num seconds; in integers, rounded half up.
  const std::int64_t scaled = frames * rate.den * kRecordingRate;
  return (2 * scaled + rate.num) / (2 * rate.num);
}

void advanceOfflineRecordingTo(std::int64_t samples) {
  if (!recording.file || recording.failed) return;
  const std::int64_t target = std::min(samples, kMaxFrames);
  std::array<std::int16_t, kMixChunkFrames * kChannels> stereo;
  while (recording.frames < target) {
    const auto frames = static_cast<std::size_t>(std::min<std::int64_t>(target - recording.frames, kMixChunkFrames));
    mixPlayingSongs(stereo.data(), frames, kRecordingRate);
    if (!writeFrames(stereo.data(), frames)) {
      recording.failed = true;
      return;
    }
    recording.frames += static_cast<std::int64_t>(frames);
  }
}

bool finishOfflineRecording() {
  if (!recording.file) return false;
  bool ok = !recording.failed;
  if (ok) {
    const auto header = wavHeader(recording.frames);
    ok = std::fseek(recording.file.get(), 0, SEEK_SET) == 0 &&
         std::fwrite(header.data(), 1, header.size(), recording.file.get()) == header.size();
  }
  // fclose flushes: its result says whether everything reached the file.
  ok = std::fclose(recording.file.release()) == 0 && ok;
  if (ok)
    ok = std::rename(platform::resolvePath(recording.temporaryPath).c_str(),
                     platform::resolvePath(recording.finalPath).c_str()) == 0;
  if (!ok) platform::deleteFile(recording.temporaryPath);
  recording = OfflineRecording{};
  return ok;
}

bool offlineRecordingActive() { return recording.file != nullptr; }

std::int64_t offlineRecordedFrames() { return recording.frames; }

}  // namespace music
