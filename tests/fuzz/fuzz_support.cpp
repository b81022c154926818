#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/message_box.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"

namespace fuzz_support {

namespace {

struct Process {
  std::unique_ptr<testing_support::TempFolder> scratch;
  std::unique_ptr<testing_support::GlTestContext> gl;
};

Process& process() {
  // Never destroyed: targets are ended by libFuzzer through exit(), and the scratch folder is
  // removed by the handler below instead.
  static Process* p = [] {
    auto* state = new Process;
    state->scratch = std::make_unique<testing_support::TempFolder>();
    std::atexit([] { process().scratch.reset(); });
    return state;
  }();
  return *p;
}

}  // namespace

const std::string& scratchFolder() { return process().scratch->path(); }

std::string writeInput(const std::string& name, std::span<const std::uint8_t> bytes) {
  const std::string path = scratchFolder() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
    std::abort();
  }
  std::fclose(file);
  return path;
}

std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  return writeInput(name, std::span<const std::uint8_t>(data, size));
}

void consume(std::span<const std::uint8_t> bytes) {
  volatile std::uint8_t sum = 0;
  for (const std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
}

void silenceMessageBoxes() {
  platform::setMessageBoxSink([](const std::string&, const std::string&) {});
}

void requireGlContext() {
  Process& p = process();
  if (p.gl) return;
  p.gl = std::make_unique<testing_support::GlTestContext>(64, 64);
  if (!p.gl->ok()) {
    std::fprintf(stderr, "fuzz: this target needs an OpenGL context (run it under xvfb-run)\n");
    std::exit(2);
  }
}

}  // namespace fuzz_support
