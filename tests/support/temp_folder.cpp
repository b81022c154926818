#include "support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testing_support {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tolvek-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
  std::filesystem::path target(file(name));
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary);
  out << bytes;
}

void TempFolder::write(const std::string& name, std::span<const std::uint8_t> bytes) const {
  write(name, std::string(bytes.begin(), bytes.end()));
}

std::string TempFolder::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::exists(const std::string& name) const {
  return std::filesystem::exists(file(name));
}

int TempFolder::entryCount() const {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) ++count;
  return count;
}

std::set<std::string> TempFolder::allEntries() const {
  std::set<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
    entries.insert(std::filesystem::relative(entry.path(), path_).string());
  return entries;
}

std::string kitShowFolder() {
  const char* given = std::getenv("TOLVEK_SHOW_DIR");
  const std::string show = given && *given ? given : TOLVEK_KIT_SHOW_DIR;
  return std::filesystem::exists(std::filesystem::path(show) / "map.dat") ? show : std::string();
}

bool TempFolder::linkKitShow(const std::string& into) const {
  const std::string show = kitShowFolder();
  if (show.empty()) return false;
  std::filesystem::copy(show, into.empty() ? path_ : file(into),
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::create_hard_links);
  return true;
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(path);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

}  // namespace testing_support
