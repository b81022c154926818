// libFuzzer target: any bytes as Demo.conf, read by the start-up reader into fresh settings.
#include <cstdint>
#include <string_view>

#include "app/demo_config.h"
#include "fuzz_support.h"
#include "platform/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::Settings settings;
  app::parseDemoConfig(std::string_view(reinterpret_cast<const char*>(data), size), settings);
  // The title becomes the window caption: it must be a sound string.
  fuzz_support::consume(std::span(reinterpret_cast<const std::uint8_t*>(settings.windowTitle.data()),
                                  settings.windowTitle.size()));
  return 0;
}
