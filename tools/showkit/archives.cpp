// The two data archives of the show: models.dat (terrain and the island and glass-column
// models) and map.dat (the three levels), every entry compressed and encrypted, under the
// bare names the loading sequence asks for. Packed from the files the earlier modules left
// in their staging folders (models/, maps/).
#include <array>
#include <string>

#include "pack/archive_writer.h"
#include "platform/file_system.h"
#include "show_kit.h"

namespace showkit {
namespace {

constexpr const char* kArchivePassword = "tamisu";

struct ArchivePlan {
  const char* archive;
  const char* stagingFolder;
  std::array<const char*, 8> entries;  // empty slots are nullptr
};

constexpr std::array kArchives{
    ArchivePlan{"models.dat",
                "models",
                {"terrain.raw", "terrain.jpg", "chelou.md3", "chelou.skin", "quadmap2.tga",
                 "boat.md3", "boat.skin", "barque.jpg"}},
    ArchivePlan{"map.dat", "maps", {"brae.bsp", "brae2.bsp", "brae3.bsp"}},
};

void packArchive(ShowFolder& folder, const ArchivePlan& plan) {
  pack::ArchiveWriter writer(pack::PackOptions{kArchivePassword, false, false});
  for (const char* entry : plan.entries) {
    if (!entry) continue;
    const std::string source = folder.root() + "/" + plan.stagingFolder + "/" + entry;
    auto bytes = platform::readWholeFile(source);
    if (!bytes) {
      folder.fail(std::string(plan.archive) + ": " + entry + " was not written by its module");
      continue;
    }
    if (!writer.addEntry(entry, std::move(*bytes)))
      folder.fail(std::string(plan.archive) + ": " + writer.error());
  }
  auto archive = writer.buildArchive();
  if (!archive) {
    folder.fail(std::string(plan.archive) + ": " + writer.error());
    return;
  }
  folder.writeFile(plan.archive, *archive);
}

}  // namespace

void writeArchives(ShowFolder& folder) {
  for (const ArchivePlan& plan : kArchives) packArchive(folder, plan);
}

}  // namespace showkit
