// libFuzzer target: any bytes as an archive file, asked for a few entries with and without a
// password. The reader must neither crash, hang, leak nor touch memory it does not own.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/archive_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::writeInput("archive.dat", data, size);

  for (const char* entry : {"x", "a/b.bin", "data.bin"}) {
    for (const char* password : {static_cast<const char*>(nullptr), "pw"}) {
      std::uint8_t* out = nullptr;
      std::uint32_t outSize = 0;
      const int result = archive::extractFile(&out, &outSize, entry, path.c_str(), password);
      if (result != 1 && (out != nullptr || outSize != 0)) std::abort();
      if (out) {
        // Touch every byte handed out so a short buffer shows up under the sanitizers.
        volatile std::uint8_t sum = 0;
        for (std::uint32_t i = 0; i < outSize; ++i) sum = std::uint8_t(sum + out[i]);
      }
      std::free(out);
    }
  }
  return 0;
}
