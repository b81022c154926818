// Paths as the demo writes them (backslashes, any letter case) made to work on a
// case-sensitive file system. Every file open, create, delete and folder operation of the
// program goes through here.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// Backslashes become '/'; each component that does not exist exactly is looked up
// case-insensitively (ASCII) in its folder. Components that exist in no spelling are kept as
// written, so the result also names files and folders that are about to be created.
std::string resolvePath(std::string_view path);

// fopen through the resolver.
std::FILE* openFile(std::string_view path, const char* mode);

}  // namespace platform
