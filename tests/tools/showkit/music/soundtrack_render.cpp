// Writes music.it and its render as a 44.1 kHz stereo WAV, and prints RMS and peak per
// 5-second window with the section each window starts in: the way to check the mix by eye.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

#include "platform/file_system.h"
#include "soundtrack.h"

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void putText(std::vector<std::uint8_t>& out, std::string_view s) { out.insert(out.end(), s.begin(), s.end()); }

}  // namespace

int main(int argc, char** argv) {
  const std::string stem = argc > 1 ? argv[1] : "music";
  std::string error;
  const std::vector<std::uint8_t> bytes = musickit::soundtrackFile(&error);
  if (bytes.empty()) {
    std::fprintf(stderr, "soundtrack refused: %s\n", error.c_str());
    return 1;
  }
  if (!platform::writeWholeFile(stem + ".it", bytes.data(), bytes.size())) {
    std::fprintf(stderr, "cannot write %s.it\n", stem.c_str());
    return 1;
  }
  openmpt::module mod(bytes);
  std::printf("%zu bytes, %.2f s, %d orders, %d patterns, %d samples, %d instruments, %d channels\n", bytes.size(),
              mod.get_duration_seconds(), mod.get_num_orders(), mod.get_num_patterns(), mod.get_num_samples(),
              mod.get_num_instruments(), mod.get_num_channels());
  constexpr int kRate = 44100;
  std::vector<std::int16_t> pcm;
  std::vector<std::int16_t> block(2 * 4096);
  for (;;) {
    const std::size_t n = mod.read_interleaved_stereo(kRate, 4096, block.data());
    if (n == 0) break;
    pcm.insert(pcm.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(2 * n));
  }
  std::vector<std::uint8_t> wav;
  const std::uint32_t data = static_cast<std::uint32_t>(pcm.size() * 2);
  putText(wav, "RIFF");
  put32(wav, 36 + data);
  putText(wav, "WAVEfmt ");
  put32(wav, 16);
  put16(wav, 1);
  put16(wav, 2);
  put32(wav, kRate);
  put32(wav, kRate * 4);
  put16(wav, 4);
  put16(wav, 16);
  putText(wav, "data");
  put32(wav, data);
  for (std::int16_t v : pcm) put16(wav, static_cast<std::uint16_t>(v));
  if (!platform::writeWholeFile(stem + ".wav", wav.data(), wav.size())) {
    std::fprintf(stderr, "cannot write %s.wav\n", stem.c_str());
    return 1;
  }

  const auto sections = musickit::soundtrackSections();
  const std::size_t window = 5 * kRate * 2;
  for (std::size_t at = 0; at < pcm.size(); at += window) {
    double sum = 0;
    int peak = 0;
    const std::size_t end = std::min(pcm.size(), at + window);
    for (std::size_t i = at; i < end; ++i) {
      sum += double(pcm[i]) * pcm[i];
      peak = std::max(peak, std::abs(int(pcm[i])));
    }
    const double t = double(at) / (2 * kRate);
    std::string_view name = "?";
    for (const auto& s : sections)
      if (t >= s.start) name = s.name;
    const double rms = std::sqrt(sum / double(end - at));
    std::printf("%6.1f s  %-13.*s rms %6.0f (%5.1f dBFS)  peak %5d\n", t, int(name.size()), name.data(), rms,
                20 * std::log10(std::max(rms, 1.0) / 32768.0), peak);
  }
  return 0;
}
