// The first frame's work, behind the progress screen: the sound system and the song, the
// archives unpacked into data/, every scene object built, then the clocks started again so
// that the demo's time begins when loading ends. And its mirror at shutdown: the song and
// sound closed, the unpacked files deleted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace demo {

// The bar's right end, as a fraction of the width, on the seven progress screens.
constexpr std::array<float, 7> kProgressFractions{0.265625f, 0.4375f, 0.4375f, 0.625f,
                                                  0.625f,    0.7609375f, 0.7609375f};

struct Extraction {
  const char* archive;
  const char* entry;
  const char* destination;
};
// Archive entries in the order they are unpacked; every one is packed with kArchivePassword.
extern const std::array<Extraction, 11> kExtractions;
constexpr const char* kArchivePassword = "tamisu";

// How a finished picture reaches the screen. The shell sets it (swap buffers, and in a
// recording save the frame first); without one the progress screen is not presented.
using FramePresenter = std::function<void()>;
void setFramePresenter(FramePresenter presenter);

// The loader picture over the window with the bar stretched from 0.2375 of the width to
// `fraction` of it, then presented.
void drawProgressScreen(float fraction);

// Runs once, from the first frame (scene state -1); leaves scene state 0.
void runLoadingSequence();

// One entry out of its archive into its file. "packer sux!" when the entry cannot be had.
void extractToFile(const Extraction& extraction);

// Writes a buffer as a new file (replacing an old one). "bad file packer!" when there is no
// buffer or the file cannot be written; a failed write leaves no file.
bool writeFileBytes(std::string_view path, const std::uint8_t* data, std::size_t size);

// Shutdown: frees the song, then closes the sound system.
void closeShowMusic();

// Shutdown: deletes what the extractions wrote and the folders that held it, in order.
// Missing files are skipped; a folder that still holds something stays.
void deleteUnpackedData();

}  // namespace demo
