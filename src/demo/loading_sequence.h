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
constexpr std::array<Extraction, 11> kExtractions{{
    {"models.dat", "terrain.raw", "data\\models\\terrain.raw"},
    {"models.dat", "terrain.jpg", "data\\models\\terrain.jpg"},
    {"models.dat", "chelou.md3", "data\\models\\chelou.md3"},
    {"models.dat", "chelou.skin", "data\\models\\chelou.skin"},
    {"models.dat", "quadmap2.tga", "data\\models\\quadmap2.tga"},
    {"models.dat", "boat.md3", "data\\models\\boat.md3"},
    {"models.dat", "boat.skin", "data\\models\\boat.skin"},
    {"models.dat", "barque.jpg", "data\\models\\barque.jpg"},
    {"map.dat", "brae.bsp", "data\\map\\brae.bsp"},
    {"map.dat", "brae2.bsp", "data\\map\\brae2.bsp"},
    {"map.dat", "brae3.bsp", "data\\map\\brae3.bsp"},
}};
constexpr const char* kArchivePassword = "tamisu";

// The folders the entries go into, in the order they are made.
constexpr std::array<const char*, 3> kDataFolders{"data", "data\\map", "data\\models"};

// What shutdown deletes, in its order: the file an extraction wrote (its index in
// kExtractions) or a data folder (which stays when it still holds something).
struct UnpackedItem {
  int extraction;      // -1 for a folder
  const char* folder;  // the folder, for -1
};
constexpr std::array<UnpackedItem, 14> kUnpackedData{{{8, nullptr},
                                                      {9, nullptr},
                                                      {10, nullptr},
                                                      {-1, kDataFolders[1]},
                                                      {0, nullptr},
                                                      {1, nullptr},
                                                      {5, nullptr},
                                                      {6, nullptr},
                                                      {7, nullptr},
                                                      {2, nullptr},
                                                      {3, nullptr},
                                                      {4, nullptr},
                                                      {-1, kDataFolders[2]},
                                                      {-1, kDataFolders[0]}}};

// How a finished picture reaches the screen: the show's host gives it (swap buffers, and in a
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

// Shutdown: frees the song, then closes the sound system, when loading started them.
void closeShowMusic();

// Shutdown: deletes what the extractions wrote and the folders that held it, in order.
// Missing files are skipped; a folder that still holds something stays.
void deleteUnpackedData();

}  // namespace demo
