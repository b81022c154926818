// tolvek-showkit [--only KINDS] OUTDIR: writes the complete show folder from code, or only
// some kinds of its data into a folder the kit has written before.
#include <chrono>
#include <cstdio>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "show_kit.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: tolvek-showkit [--only KIND[,KIND...]] OUTDIR\n"
               "Writes the demo's data into OUTDIR, the same bytes on every run.\n"
               "--only rewrites some of it in a folder the kit wrote before, much faster than the\n"
               "whole: paths, pictures, levels, models, music, texts or configuration (levels and\n"
               "models repack the archives).\n"
               "TOLVEK_SHOWKIT_PREVIEW=DIR also saves every picture as PNG in DIR;\n"
               "TOLVEK_FONT_DIR=DIR takes the Liberation fonts from DIR.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  std::set<std::string_view> only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--only" && i + 1 < argc) {
      const std::string kinds = argv[++i];
      for (size_t at = 0; at <= kinds.size();) {
        const size_t comma = std::min(kinds.find(',', at), kinds.size());
        const auto modules = showkit::kitModulesOf(kinds.substr(at, comma - at));
        if (modules.empty()) {
          std::fprintf(stderr, "tolvek-showkit: no kind of data is called '%s'\n", kinds.substr(at, comma - at).c_str());
          return usage();
        }
        only.insert(modules.begin(), modules.end());
        at = comma + 1;
      }
    } else if (out.empty() && !arg.empty() && arg[0] != '-') {
      out = arg;
    } else {
      return usage();
    }
  }
  if (out.empty()) return usage();
  if (!platform::createFolders(out)) {
    std::fprintf(stderr, "tolvek-showkit: cannot create %s\n", out.c_str());
    return 1;
  }
  showkit::ShowFolder folder(out);
  for (const showkit::KitModule& module : showkit::kitModules()) {
    if (!only.empty() && !only.contains(module.name)) continue;
    const auto start = std::chrono::steady_clock::now();
    const size_t before = folder.written().size();
    module.write(folder);
    const double ms = std::chrono::duration<double, std::milli>(
                          std::chrono::steady_clock::now() - start).count();
    std::printf("%-18s %3zu files %8.0f ms\n", std::string(module.name).c_str(),
                folder.written().size() - before, ms);
  }
  for (const std::string& failure : folder.failures())
    std::fprintf(stderr, "tolvek-showkit: %s\n", failure.c_str());
  return folder.failures().empty() ? 0 : 1;
}
