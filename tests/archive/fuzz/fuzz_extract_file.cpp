// libFuzzer target: any bytes as an archive file, asked for a few entries with and without a
// password. The reader must neither crash, hang, leak nor touch memory it does not own.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/archive_reader.h"

namespace {

const std::string& archivePath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/fuzz-archive-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    std::atexit([] { std::remove(archivePath().c_str()); });
    return std::string(pattern);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = archivePath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

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
