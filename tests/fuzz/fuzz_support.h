// What the fuzz targets share: the input as a file (most readers take a path), a scratch
// folder that lives as long as the process, message boxes kept off the screen, and a hidden
// OpenGL context for the readers that upload what they read.
//
// Every target defines LLVMFuzzerTestOneInput. Built with -fsanitize=fuzzer it is a libFuzzer
// binary; built with regression_main.cpp instead it replays the kept inputs in a normal test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace fuzz_support {

// The process's scratch folder (created on first use, removed at exit).
const std::string& scratchFolder();

// Writes `bytes` to `name` inside the scratch folder and returns the file's path.
std::string writeInput(const std::string& name, std::span<const std::uint8_t> bytes);
std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size);

// Message boxes of the readers are counted and dropped: neither a dialog that waits for a
// click nor a line on standard error per input.
void silenceMessageBoxes();

// Reads every byte, so that a buffer shorter than it claims shows up under the sanitizers.
void consume(std::span<const std::uint8_t> bytes);

// A current OpenGL context in a small hidden window, made on first use and kept. Ends the
// process with a message when there is no display to make one on: a target that uploads
// must not silently test less than it claims.
void requireGlContext();

}  // namespace fuzz_support

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
