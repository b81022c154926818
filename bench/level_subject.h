// What the drawing benchmarks fly through: the show's first level and its camera path when
// TOLVEK_SHOW_DIR names a show folder, else a generated corridor level in a temporary folder.
#pragma once

#include <string>

namespace bench_support {

struct LevelSubject {
  std::string folder;  // working folder while measuring
  std::string level;
  std::string path;
  bool generated = false;
};

// `benchName` names the benchmark in messages and in the temporary folder's name.
LevelSubject findLevelSubject(const std::string& benchName);

// Removes a generated subject's folder; a show folder is left alone.
void removeGeneratedSubject(const LevelSubject& subject);

}  // namespace bench_support
