#include "show_folder.h"

#include "platform/file_system.h"

namespace showkit {

ShowFolder::ShowFolder(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::optional<std::vector<std::uint8_t>> ShowFolder::readFile(std::string_view relativePath) const {
  return platform::readWholeFile(root_ + "/" + std::string(relativePath));
}

bool ShowFolder::writeFile(std::string_view relativePath, std::span<const std::uint8_t> bytes) {
  return writeWith(relativePath, [&](const std::string& path) {
    return platform::writeWholeFile(path, bytes.data(), bytes.size());
  });
}

bool ShowFolder::writeWith(std::string_view relativePath,
                           const std::function<bool(const std::string&)>& write) {
  const std::string path = root_ + "/" + std::string(relativePath);
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !platform::createFolders(path.substr(0, slash))) {
    failures_.push_back(std::string(relativePath) + ": cannot create its folder");
    return false;
  }
  if (!write(path)) {
    failures_.push_back(std::string(relativePath) + ": cannot be written");
    return false;
  }
  written_.emplace_back(relativePath);
  return true;
}

bool ShowFolder::writeText(std::string_view relativePath, std::string_view text) {
  return writeFile(relativePath, std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                           text.size()));
}

}  // namespace showkit
