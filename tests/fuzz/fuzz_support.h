// What the fuzz targets share. Every target feeds the bytes straight to the reader's parser:
// no file, no OpenGL context.
//
// Every target defines LLVMFuzzerTestOneInput. Built with -fsanitize=fuzzer it is a libFuzzer
// binary; built with regression_main.cpp instead it replays the kept inputs in a normal test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace fuzz_support {

// Reads every byte, so that a buffer shorter than it claims shows up under the sanitizers.
void consume(std::span<const std::uint8_t> bytes);

}  // namespace fuzz_support

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
