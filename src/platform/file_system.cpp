#include "platform/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/path_resolver.h"

namespace platform {

bool createFolder(std::string_view path) {
  return ::mkdir(resolvePath(path).c_str(), 0755) == 0;
}

bool createFolders(std::string_view path) {
  std::string resolved = resolvePath(path);
  for (size_t i = 1; i <= resolved.size(); ++i) {
    if (i != resolved.size() && resolved[i] != '/') continue;
    std::string prefix = resolved.substr(0, i);
    if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return folderExists(resolved);
}

bool removeFolder(std::string_view path) { return ::rmdir(resolvePath(path).c_str()) == 0; }

bool deleteFile(std::string_view path) { return ::unlink(resolvePath(path).c_str()) == 0; }

bool fileExists(std::string_view path) {
  struct stat st;
  return ::stat(resolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(std::string_view path) {
  struct stat st;
  return ::stat(resolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::vector<std::uint8_t>> readWholeFile(std::string_view path) {
  std::FILE* f = openFile(path, "rb");
  if (!f) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return bytes;
}

std::optional<std::vector<std::uint8_t>> readFileStart(std::string_view path, std::size_t limit) {
  std::FILE* f = openFile(path, "rb");
  if (!f) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  size_t n;
  while (bytes.size() < limit && (n = std::fread(chunk, 1, std::min(sizeof chunk, limit - bytes.size()), f)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return bytes;
}

bool writeWholeFile(std::string_view path, const void* data, std::size_t size) {
  const std::string target = resolvePath(path);
  const std::string temp = target + ".part";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  ok = (std::fclose(f) == 0) && ok;
  if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool appendToFile(std::string_view path, std::string_view text) {
  std::FILE* f = std::fopen(resolvePath(path).c_str(), "ab");
  if (!f) return false;
  const bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return (std::fclose(f) == 0) && ok;
}

}  // namespace platform
