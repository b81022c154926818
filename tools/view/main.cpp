// tolvek-view: previews one piece of the show's data without the whole show. Each subcommand
// names a kind of data and has one line in the table.
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "level_preview.h"
#include "model_preview.h"
#include "terrain_preview.h"
#include "view_options.h"

int main(int argc, char** argv) {
  const std::map<std::string, std::function<std::unique_ptr<view::Preview>(const view::ViewOptions&)>> previews = {
      {"level", view::makeLevelPreview},
      {"model", view::makeModelPreview},
      {"character", view::makeCharacterPreview},
      {"terrain", view::makeTerrainPreview},
  };
  const auto parsed = view::parseViewOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.options.help) {
    std::fputs(view::viewUsage().c_str(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::printf("tolvek-view %s\n", TOLVEK_VERSION);
    return 0;
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tolvek-view: %s\n%s", parsed.error.c_str(), view::viewUsage().c_str());
    return 2;
  }
  const auto found = previews.find(parsed.options.command);
  if (found == previews.end()) {
    std::fprintf(stderr, "tolvek-view: unknown preview '%s'\n%s", parsed.options.command.c_str(),
                 view::viewUsage().c_str());
    return 2;
  }
  auto preview = found->second(parsed.options);
  return view::runPreview(*preview, parsed.options);
}
