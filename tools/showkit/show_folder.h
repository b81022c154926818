// The folder a show is written into: every file goes through the platform's path resolver
// and whole-file writer, so a failed write never leaves half a file behind.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace showkit {

class ShowFolder {
 public:
  explicit ShowFolder(std::string root);

  // relativePath uses '/' ("Textures/Morvan/waterfx.jpg"); missing folders are created.
  // A failure is remembered and reported by failures(); writing goes on.
  bool writeFile(std::string_view relativePath, std::span<const std::uint8_t> bytes);
  bool writeText(std::string_view relativePath, std::string_view text);
  // For writers that take a path of their own: `write` gets the full path once the folder
  // exists and returns whether the file was written.
  bool writeWith(std::string_view relativePath, const std::function<bool(const std::string&)>& write);

  // A file written before (by an earlier module or an earlier run), or nothing.
  std::optional<std::vector<std::uint8_t>> readFile(std::string_view relativePath) const;

  const std::string& root() const { return root_; }
  const std::vector<std::string>& written() const { return written_; }
  const std::vector<std::string>& failures() const { return failures_; }
  void fail(std::string what) { failures_.push_back(std::move(what)); }

 private:
  std::string root_;
  std::vector<std::string> written_;
  std::vector<std::string> failures_;
};

}  // namespace showkit
