// Folder and file operations of the original's file system calls, through the path resolver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

bool createFolder(std::string_view path);      // one level, like CreateDirectory
bool createFolders(std::string_view path);     // every missing level
bool removeFolder(std::string_view path);      // only when empty, like RemoveDirectory
bool deleteFile(std::string_view path);
bool fileExists(std::string_view path);
bool folderExists(std::string_view path);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> readWholeFile(std::string_view path);
// At most the first `limit` bytes of the file: fewer when it is shorter or a read fails on
// the way, nothing when it cannot be opened. Memory grows with what arrives, not with the
// limit.
std::optional<std::vector<std::uint8_t>> readFileStart(std::string_view path, std::size_t limit);
// Writes to a temporary name beside the file and renames it, so a failed write never
// leaves a half file under the final name.
bool writeWholeFile(std::string_view path, const void* data, std::size_t size);
// Adds `text` at the end of the file, making it when it does not exist.
bool appendToFile(std::string_view path, std::string_view text);

}  // namespace platform
