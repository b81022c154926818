// libFuzzer target: any bytes as an archive, asked for the seeds' entries, one without a
// password and two with one. The reader must neither crash, hang, leak nor touch memory it
// does not own.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/archive_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> archive(data, size);
  const struct {
    const char* entry;
    const char* password;
  } asks[] = {{"x", ""}, {"a/b.bin", "pw"}, {"data.bin", "pw"}};
  for (const auto& ask : asks) {
    const auto out = archive::extractFromMemory(archive, ask.entry, ask.password);
    // Touch every byte handed out so a short buffer shows up under the sanitizers.
    if (out) fuzz_support::consume(*out);
  }
  return 0;
}
