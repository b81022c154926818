#include "platform/path_resolver.h"

#include <dirent.h>
#include <sys/stat.h>

namespace platform {
namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Looks for an entry of `folder` spelled like `name` but for letter case. Returns the
// entry's real name, or `name` itself when there is none.
std::string findEntry(const std::string& folder, std::string_view name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return std::string(name);
  std::string found(name);
  // readdir order is arbitrary; prefer the smallest name so the choice is stable when a
  // folder holds several spellings.
  bool any = false;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (!equalsIgnoringCase(candidate, name)) continue;
    if (!any || candidate < std::string_view(found)) found = std::string(candidate);
    any = true;
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::string resolvePath(std::string_view path) {
  std::string unixPath(path);
  for (char& c : unixPath)
    if (c == '\\') c = '/';

  std::string result;
  size_t pos = 0;
  if (!unixPath.empty() && unixPath[0] == '/') {
    result.push_back('/');
    pos = 1;
  }
  while (pos <= unixPath.size()) {
    size_t slash = unixPath.find('/', pos);
    if (slash == std::string::npos) slash = unixPath.size();
    std::string_view component(unixPath.data() + pos, slash - pos);
    const bool last = slash == unixPath.size();

    if (component.empty() || component == "." || component == "..") {
      result.append(component);
    } else {
      std::string folder = result;
      std::string candidate = folder;
      candidate.append(component.data(), component.size());
      if (exists(candidate)) {
        result = std::move(candidate);
      } else {
        if (!folder.empty() && folder != "/") folder.pop_back();  // drop the trailing '/'
        result += findEntry(folder, component);
      }
    }
    if (last) break;
    result += '/';
    pos = slash + 1;
  }
  return result;
}

std::FILE* openFile(std::string_view path, const char* mode) {
  return std::fopen(resolvePath(path).c_str(), mode);
}

}  // namespace platform
