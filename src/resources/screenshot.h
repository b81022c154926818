// Screenshots of the window as numbered TGA files ("screenshot%d.tga" in the working
// directory), asked for by the authoring controls.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace resources {

// The finished picture in the current context's back buffer, RGB, bottom row first (also
// what a recording saves of every frame).
std::vector<std::uint8_t> readBackBuffer(int width, int height);

// Reads the whole window (platform::settings size) and writes it to the next free name.
// Returns the name written, or nothing when no name was free or the file could not be made.
std::optional<std::string> saveScreenshot();

// The next "screenshot%d.tga" that does not exist yet. The counter starts at 0 with the
// program, is never reset and moves past every name it tries, so the search resumes after
// the last name taken even when that file has been deleted since. The search gives up after
// a bounded number of taken names.
std::optional<std::string> nextScreenshotName();

// Restarts the counter at 0 (a fresh program start, for tests).
void resetScreenshotCounter();

// A 24-bit uncompressed TGA of the window's size: `pixels` holds width x height x 3 bytes
// R, G, B from the bottom row up. False when the buffer is short or the file cannot be made.
bool writeTgaFile(std::string_view path, std::span<const std::uint8_t> pixels);

}  // namespace resources
