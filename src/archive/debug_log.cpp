#include "archive/debug_log.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/path_resolver.h"
#include "platform/tick_count.h"

namespace archive {
namespace {

struct DebugLogState {
  bool tried = false;
  bool open = false;
  std::uint32_t startTick = 0;
  std::string path;  // absolute, so a later change of working directory keeps the same file
};

DebugLogState& state() {
  static DebugLogState instance;
  return instance;
}

}  // namespace

void openDebugLogOnce() {
  DebugLogState& log = state();
  if (log.tried) return;
  log.tried = true;
  log.startTick = platform::tickCount();

  std::error_code error;
  std::filesystem::path resolved = platform::resolvePath("temp\\debug_archive.txt");
  std::filesystem::path absolute = std::filesystem::absolute(resolved, error);
  if (error) return;
  log.path = absolute.string();

  std::FILE* file = platform::openFile(log.path, "w");
  if (!file) return;
  std::fputs("Debug log of Vantor's archive library\n~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n", file);
  std::fprintf(file, "(executable compiled on %s at %s)\n\n", __DATE__, __TIME__);
  log.open = std::fclose(file) == 0;
}

void logMessage(std::string_view text, unsigned line) {
  const DebugLogState& log = state();
  if (!log.open) return;
  std::FILE* file = platform::openFile(log.path, "a");
  if (!file) return;
  const std::uint32_t elapsed = platform::tickCount() - log.startTick;
  std::fprintf(file, " %8u ms (line %u in %s):\n              - %.*s\n", elapsed,
               line, "archive_reader", static_cast<int>(text.size()),
               text.data());
  std::fclose(file);
}

void resetDebugLog() { state() = DebugLogState{}; }

}  // namespace archive
