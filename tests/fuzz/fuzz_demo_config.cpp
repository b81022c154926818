// libFuzzer target: any bytes as Demo.conf, read by the start-up reader into fresh settings.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/demo_config.h"
#include "fuzz_support.h"
#include "platform/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::writeInput("Demo.conf", data, size);
  platform::Settings settings;
  if (!app::loadDemoConfig(settings, path)) std::abort();  // the file is there
  // The title becomes the window caption: it must be a sound string.
  volatile std::size_t length = settings.windowTitle.size();
  for (char c : settings.windowTitle) length = length + static_cast<unsigned char>(c);
  return 0;
}
