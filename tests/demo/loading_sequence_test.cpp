// The loading sequence: its seven progress screens, the extractions and their messages, the
// objects it makes, and the files shutdown takes away again.
#include "demo/loading_sequence.h"

#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "pack/archive_writer.h"
#include "resources/texture_table.h"
#include "show_fixture.h"

namespace {

using demo::sceneObjects;
using demo_test::countBoxes;
using demo_test::ShowTest;

resources::TextureRecord flatTexture(std::uint8_t grey) {
  resources::TextureRecord record{4, 4, 24, 0};
  const std::vector<std::uint8_t> pixels(4 * 4 * 3, grey);
  resources::uploadTexture(record, pixels.data());
  return record;
}

TEST_F(ShowTest, SevenProgressScreensGrowTheBarInTheirOrder) {
  struct Extent {
    int left = -1, right = -1, bottom = -1, top = -1;
  };
  std::vector<Extent> screens;
  reloadWithPresenter([&] {
    const auto pixels = gl.readPixels();
    Extent e;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if (pixels[(static_cast<size_t>(y) * 640 + x) * 4] > 128) {
          if (e.left < 0 || x < e.left) e.left = x;
          e.right = std::max(e.right, x);
          if (e.top < 0) e.top = y;
          e.bottom = y;
        }
    screens.push_back(e);
  });
  // A black loader picture and a white bar, so the bar's extent can be read off each screen.
  auto& table = resources::textureTable.entries;
  resources::releaseTexture(table[resources::kLoaderPicture]);
  resources::releaseTexture(table[resources::kBarPicture]);
  table[resources::kLoaderPicture] = flatTexture(0);
  table[resources::kBarPicture] = flatTexture(255);
  loadShow();
  ASSERT_EQ(screens.size(), 7u);
  const int rights[7] = {170, 280, 280, 400, 400, 487, 487};
  for (size_t i = 0; i < screens.size(); ++i) {
    EXPECT_EQ(screens[i].left, 152) << i;
    EXPECT_NEAR(screens[i].right, rights[i], 1) << i;
    EXPECT_NEAR(480 - screens[i].bottom, 200, 1) << i;  // y 200 to 230 from the bottom
    EXPECT_NEAR(480 - screens[i].top, 230, 1) << i;
  }
}

TEST_F(ShowTest, WithoutArchivesElevenEntriesAreMissedAndTheShowStillStarts) {
  loadShow();
  EXPECT_EQ(countBoxes(boxes, "ERROR 42", "packer sux!"), 11);
  // The final scene cannot do without its pictures: told once, and the show goes on without it.
  EXPECT_EQ(countBoxes(boxes, "ERROR 42", "Texture not found"), 1);
  EXPECT_FALSE(sceneObjects.finalScene);
  EXPECT_TRUE(sceneObjects.firstLevel && sceneObjects.tunnel && sceneObjects.terrain && sceneObjects.font);
  EXPECT_EQ(sceneObjects.character->lowerAnimation(), 15);
  EXPECT_EQ(sceneObjects.character->upperAnimation(), 6);
  for (double ms : {60000.0, 150000.0, 200000.0}) frameAt(ms);  // no final scene: nothing breaks
  EXPECT_EQ(demo::script.sceneState, 6);
  demo::destroySceneObjects();
  EXPECT_FALSE(sceneObjects.firstLevel || sceneObjects.character || sceneObjects.firstCamera || sceneObjects.font);
}

TEST_F(ShowTest, EntriesAreUnpackedAndShutdownDeletesOnlyThem) {
  for (const char* archive : {"models.dat", "map.dat"}) {
    pack::ArchiveWriter writer(pack::PackOptions{demo::kArchivePassword, false, false});
    for (const auto& e : demo::kExtractions)
      if (std::string(e.archive) == archive) writer.addEntry(e.entry, std::vector<std::uint8_t>(e.entry, e.entry + 5));
    ASSERT_TRUE(writer.writeArchive(folder.file(archive)));
  }
  folder.write("data/models/moine.md3", "loose model, not unpacked");
  folder.write("data/map/.keep", "");
  for (const auto& e : demo::kExtractions) demo::extractToFile(e);
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(folder.read("data/map/brae2.bsp"), "brae2");
  EXPECT_EQ(folder.read("data/models/quadmap2.tga"), "quadm");

  std::remove(folder.file("data/map/.keep").c_str());
  demo::deleteUnpackedData();
  EXPECT_FALSE(folder.exists("data/map"));
  EXPECT_FALSE(folder.exists("data/models/terrain.raw"));
  EXPECT_TRUE(folder.exists("data/models/moine.md3"));
  demo::deleteUnpackedData();  // nothing left to delete: no harm
  EXPECT_TRUE(folder.exists("data/models/moine.md3"));
}

TEST_F(ShowTest, AnUnwritableDestinationIsToldAndLeavesNoFile) {
  folder.write("data", "a file where the folder should be");
  EXPECT_FALSE(demo::writeFileBytes("data\\map\\brae.bsp", reinterpret_cast<const std::uint8_t*>("x"), 1));
  EXPECT_FALSE(demo::writeFileBytes("elsewhere.bin", nullptr, 0)) << "no buffer";
  EXPECT_EQ(countBoxes(boxes, "ERROR 42", "bad file packer!"), 2);
  EXPECT_FALSE(folder.exists("elsewhere.bin"));
}

}  // namespace
