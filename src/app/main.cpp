// Tolvek: process entry.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/demo_main.h"
#include "app/options.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const app::ParsedOptions parsed = app::parseOptions(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tolvek: %s\n%s", parsed.error.c_str(), app::usageText().c_str());
    return 2;
  }
  if (parsed.options.help || parsed.options.version) {
    std::fputs((parsed.options.help ? app::usageText() : app::versionText()).c_str(), stdout);
    return 0;
  }
  const int code = app::runDemo(parsed.options);
  SDL_Quit();
  return code;
}
