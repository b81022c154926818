// tolvek-pack: creates, lists and extracts archives of the demo's format.
//   tolvek-pack c ARCHIVE [-p PASSWORD] [--solid] [--store] FILE...
//   tolvek-pack l ARCHIVE
//   tolvek-pack x ARCHIVE [ENTRY] [-p PASSWORD] [-o OUT]
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "pack/archive_listing.h"
#include "pack/archive_writer.h"
#include "platform/file_system.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

constexpr const char* kUsage =
    "usage: tolvek-pack c ARCHIVE [-p PASSWORD] [--solid] [--store] FILE...\n"
    "       tolvek-pack l ARCHIVE\n"
    "       tolvek-pack x ARCHIVE ENTRY [-p PASSWORD] -o OUT\n"
    "       tolvek-pack x ARCHIVE [-p PASSWORD] [-o FOLDER]   (every entry, into FOLDER or here)\n"
    "       tolvek-pack --help | --version\n";

int usage(const char* problem) {
  if (problem) std::fprintf(stderr, "tolvek-pack: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kBadUsage;
}

struct Arguments {
  std::vector<std::string> positional;
  std::string password;
  bool hasPassword = false;
  std::string output;
  bool hasOutput = false;
  bool solid = false;
  bool store = false;
};

// Options may come anywhere after the command; "--" ends them.
bool parseArguments(int argc, char** argv, Arguments& args, std::string& problem) {
  bool optionsEnded = false;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (optionsEnded || a.empty() || a[0] != '-') {
      args.positional.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "-p" || a == "-o") {
      if (i + 1 >= argc) {
        problem = "option " + a + " needs a value";
        return false;
      }
      (a == "-p" ? args.password : args.output) = argv[++i];
      (a == "-p" ? args.hasPassword : args.hasOutput) = true;
    } else if (a == "--solid") {
      args.solid = true;
    } else if (a == "--store") {
      args.store = true;
    } else {
      problem = "unknown option " + a;
      return false;
    }
  }
  return true;
}

const char* methodName(std::uint8_t method) { return method == archive::kMethodStored ? "stored" : "packed"; }

int create(const Arguments& args) {
  if (args.positional.size() < 2) return usage("c needs an archive and at least one file");
  if (args.hasOutput) return usage("-o belongs to x");
  pack::PackOptions options;
  options.password = args.password;
  options.solid = args.solid;
  options.store = args.store;
  pack::ArchiveWriter writer(options);
  for (size_t i = 1; i < args.positional.size(); ++i) {
    const std::string& file = args.positional[i];
    auto bytes = platform::readWholeFile(file);
    if (!bytes) {
      std::fprintf(stderr, "tolvek-pack: cannot read '%s'\n", file.c_str());
      return kFailed;
    }
    if (!writer.addEntry(file, std::move(*bytes))) {
      std::fprintf(stderr, "tolvek-pack: %s\n", writer.error().c_str());
      return kFailed;
    }
  }
  if (!writer.writeArchive(args.positional[0])) {
    std::fprintf(stderr, "tolvek-pack: %s\n", writer.error().c_str());
    return kFailed;
  }
  std::uint64_t in = 0, out = 0;
  for (const auto& e : writer.entries()) in += e.unpackedSize, out += e.packedSize;
  std::printf("%s: %zu entries, %llu -> %llu bytes\n", args.positional[0].c_str(), writer.entries().size(),
              static_cast<unsigned long long>(in), static_cast<unsigned long long>(out));
  return 0;
}

int list(const Arguments& args) {
  if (args.positional.size() != 1) return usage("l needs exactly one archive");
  if (args.hasOutput || args.hasPassword || args.solid || args.store) return usage("l takes no options");
  auto bytes = platform::readWholeFile(args.positional[0]);
  if (!bytes) {
    std::fprintf(stderr, "tolvek-pack: cannot read '%s'\n", args.positional[0].c_str());
    return kFailed;
  }
  auto listing = pack::listArchive(*bytes);
  if (!listing) {
    std::fprintf(stderr, "tolvek-pack: '%s' is not an archive of this format\n", args.positional[0].c_str());
    return kFailed;
  }
  std::printf("%s archive, %zu entries\n", listing->solid ? "solid" : "normal", listing->entries.size());
  std::printf("%10s %10s %-6s %-5s %8s  %s\n", "size", "packed", "method", "flags", "crc32", "name");
  for (size_t i = 0; i < listing->entries.size(); ++i) {
    const auto& e = listing->entries[i];
    std::string flags;
    flags += (e.flags & archive::kEntryEncrypted) ? 'E' : '-';
    flags += (e.flags & archive::kEntrySolid) ? 'S' : '-';
    flags += listing->headerCrcOk[i] ? ' ' : '!';
    std::printf("%10u %10u %-6s %-5s %08x  %s\n", e.unpackedSize, e.packedSize, methodName(e.method), flags.c_str(),
                e.crc, e.name.c_str());
  }
  if (listing->truncated) {
    std::fprintf(stderr, "tolvek-pack: '%s' ends inside a block\n", args.positional[0].c_str());
    return kFailed;
  }
  return 0;
}

// Where an entry lands under FOLDER when every entry is extracted: the archive's own
// separators become folders, a leading root or drive is dropped, as archivers do. Names that
// would climb out of FOLDER ("..") or name nothing get an empty path and are skipped.
std::filesystem::path entryPath(const std::string& name) {
  std::string relative = name;
  for (char& c : relative)
    if (c == '\\') c = '/';
  if (relative.size() >= 2 && std::isalpha(static_cast<unsigned char>(relative[0])) && relative[1] == ':')
    relative.erase(0, 2);
  std::filesystem::path path;
  size_t start = 0;
  while (start <= relative.size()) {
    const size_t end = std::min(relative.find('/', start), relative.size());
    const std::string part = relative.substr(start, end - start);
    if (part == "..") return {};
    if (!part.empty() && part != ".") path /= part;
    start = end + 1;
  }
  return path;
}

int extractAll(const Arguments& args) {
  const std::string& archiveFile = args.positional[0];
  auto bytes = platform::readWholeFile(archiveFile);
  auto listing = bytes ? pack::listArchive(*bytes) : std::nullopt;
  if (!listing) {
    std::fprintf(stderr, "tolvek-pack: cannot read '%s' as an archive of this format\n", archiveFile.c_str());
    return kFailed;
  }
  const std::filesystem::path folder = args.hasOutput ? args.output : ".";
  std::set<std::string> seen;  // names match without regard to case, so a repeated name is the first entry again
  int failures = 0;
  for (const auto& entry : listing->entries) {
    std::string key = entry.name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::filesystem::path relative = entryPath(entry.name);
    if (relative.empty() || !seen.insert(key).second) {
      std::fprintf(stderr, "tolvek-pack: skipping the entry named '%s'%s\n", entry.name.c_str(),
                   relative.empty() ? ": it names no file inside the folder" : ": a second entry of that name");
      ++failures;
      continue;
    }
    std::uint8_t* raw = nullptr;
    std::uint32_t size = 0;
    const int ok = archive::extractFile(&raw, &size, entry.name.c_str(), archiveFile.c_str(),
                                        args.hasPassword ? args.password.c_str() : nullptr);
    const std::unique_ptr<std::uint8_t, decltype(&std::free)> data(raw, &std::free);
    const std::filesystem::path out = folder / relative;
    std::error_code error;
    if (ok && out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), error);
    if (!ok) {
      std::fprintf(stderr, "tolvek-pack: cannot extract '%s'\n", entry.name.c_str());
      ++failures;
    } else if (error || !platform::writeWholeFile(out.string(), data.get(), size)) {
      std::fprintf(stderr, "tolvek-pack: cannot write '%s'\n", out.string().c_str());
      ++failures;
    } else {
      std::printf("%s\n", out.string().c_str());
    }
  }
  if (listing->truncated) {
    std::fprintf(stderr, "tolvek-pack: '%s' ends inside a block\n", archiveFile.c_str());
    ++failures;
  }
  return failures ? kFailed : 0;
}

int extract(const Arguments& args) {
  if (args.solid || args.store) return usage("--solid and --store belong to c");
  if (args.positional.size() == 1) return extractAll(args);
  if (args.positional.size() != 2) return usage("x needs an archive and at most one entry name");
  if (!args.hasOutput || args.output.empty()) return usage("x ENTRY needs -o OUT");
  std::uint8_t* raw = nullptr;
  std::uint32_t size = 0;
  const int ok = archive::extractFile(&raw, &size, args.positional[1].c_str(), args.positional[0].c_str(),
                                      args.hasPassword ? args.password.c_str() : nullptr);
  const std::unique_ptr<std::uint8_t, decltype(&std::free)> data(raw, &std::free);
  if (!ok) {
    std::fprintf(stderr, "tolvek-pack: cannot extract '%s' from '%s'\n", args.positional[1].c_str(),
                 args.positional[0].c_str());
    return kFailed;
  }
  if (!platform::writeWholeFile(args.output, data.get(), size)) {
    std::fprintf(stderr, "tolvek-pack: cannot write '%s'\n", args.output.c_str());
    return kFailed;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage(nullptr);
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "--version") {
    std::printf("tolvek-pack %s\n", TOLVEK_VERSION);
    return 0;
  }
  Arguments args;
  std::string problem;
  if (!parseArguments(argc, argv, args, problem)) return usage(problem.c_str());
  if (command == "c") return create(args);
  if (command == "l") return list(args);
  if (command == "x") return extract(args);
  return usage(("unknown command '" + command + "'").c_str());
}
