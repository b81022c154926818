// libFuzzer target: any bytes as an archive, asked for a few entries with and without a
// password. The reader must neither crash, hang, leak nor touch memory it does not own.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/archive_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> archive(data, size);
  for (const char* entry : {"x", "a/b.bin", "data.bin"}) {
    for (const char* password : {"", "pw"}) {
      const auto out = archive::extractFromMemory(archive, entry, password);
      // Touch every byte handed out so a short buffer shows up under the sanitizers.
      if (out) fuzz_support::consume(*out);
    }
  }
  return 0;
}
