// tolvek-showkit OUTDIR: writes the complete show folder from code.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "show_kit.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).empty() || std::string(argv[1]) == "--help") {
    std::fprintf(stderr,
                 "usage: tolvek-showkit OUTDIR\n"
                 "Writes the demo's data into OUTDIR, the same bytes on every run.\n"
                 "TOLVEK_SHOWKIT_PREVIEW=DIR also saves every picture as PNG in DIR;\n"
                 "TOLVEK_FONT_DIR=DIR takes the Liberation fonts from DIR.\n");
    return 2;
  }
  if (!platform::createFolders(argv[1])) {
    std::fprintf(stderr, "tolvek-showkit: cannot create %s\n", argv[1]);
    return 1;
  }
  showkit::ShowFolder folder(argv[1]);
  for (const showkit::KitModule& module : showkit::kitModules()) {
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
