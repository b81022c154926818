#include "show_model_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>

#include "model_checks.h"
#include "resources/jpeg_texture.h"
#include "resources/tga_image.h"
#include "show_folder.h"
#include "show_models.h"
#include "world/character.h"
#include "world/md3_model.h"
#include "written_models.h"

namespace {

using modelkit::CharacterSet;
using modelkit::SkinnedModel;

const CharacterSet& character() {
  static const CharacterSet c = modelkit::characterModel();
  return c;
}

const modelkit_test::WrittenShow& written() { return modelkit_test::writtenModels(); }

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// The model and skin files as the demo reads them.
world::Md3Data readModel(const std::string& name) { return world::parseMd3(bytesOf(written().folder.read(name))); }

std::vector<std::string> surfaceNames(const world::Md3Data& model) {
  std::vector<std::string> names;
  for (const auto& surface : model.surfaces) names.push_back(surface.name);
  return names;
}

TEST(ShowModels, AreWrittenWhereTheDemoLooksForThem) {
  const modelkit_test::WrittenShow& show = written();
  EXPECT_EQ(show.failures, std::vector<std::string>{});
  for (const char* name : {"models/chelou.md3", "models/chelou.skin", "models/quadmap2.tga", "models/boat.md3", "models/boat.skin",
                           "models/barque.jpg", "data/models/moine.md3",
                           "data/models/moine.skin", "data/models/moine.jpg", "Doom/Lower.md3", "Doom/Upper.md3", "Doom/Head.md3",
                           "Doom/Lower_default.skin", "Doom/Upper_default.skin", "Doom/Head_default.skin", "Doom/Lower.tga",
                           "Doom/Upper.tga", "Doom/Head.tga", "Doom/Animation.cfg"})
    EXPECT_TRUE(show.folder.exists(name)) << name;
  // The monk travels loose, never through the archive's folder; the archived models reach
  // data/models only when the show unpacks them.
  EXPECT_FALSE(show.folder.exists("models/moine.md3"));
  EXPECT_FALSE(show.folder.exists("data/models/chelou.md3"));
  // Every skin line that names a surface leads to a picture that exists beside the model.
  const struct {
    const char* skin;
    const char* model;
    const char* folder;
  } skins[] = {{"models/chelou.skin", "models/chelou.md3", "models/"}, {"models/boat.skin", "models/boat.md3", "models/"},
               {"data/models/moine.skin", "data/models/moine.md3", "data/models/"},
               {"Doom/Lower_default.skin", "Doom/Lower.md3", "Doom/"}, {"Doom/Upper_default.skin", "Doom/Upper.md3", "Doom/"},
               {"Doom/Head_default.skin", "Doom/Head.md3", "Doom/"}};
  for (const auto& s : skins) {
    const std::string text = show.folder.read(s.skin);
    EXPECT_EQ(text.find('\r'), std::string::npos) << s.skin << ": a carriage return would end up in the picture's name";
    const auto names = surfaceNames(readModel(s.model));
    ASSERT_FALSE(names.empty()) << s.model;
    const auto choices = world::parseSkin(text, names);
    EXPECT_EQ(choices.size(), names.size()) << s.skin << " leaves a surface without a picture";
    for (const auto& choice : choices) EXPECT_TRUE(show.folder.exists(std::string(s.folder) + choice.image)) << choice.image;
  }
}

TEST(ShowModels, EveryFileIsSoundAndEveryIndexInRange) {
  const modelkit_test::WrittenShow& show = written();
  for (const char* name : {"models/chelou.md3", "models/boat.md3", "data/models/moine.md3", "Doom/Lower.md3", "Doom/Upper.md3", "Doom/Head.md3"}) {
    const std::vector<std::uint8_t> bytes = bytesOf(show.folder.read(name));
    EXPECT_EQ(modelkit::checkMd3File(name, bytes), std::vector<std::string>{});
    const auto model = world::parseMd3(bytes);
    EXPECT_GE(model.surfaces.size(), 1u);
    for (const auto& s : model.surfaces) EXPECT_GT(s.triangles.size(), 50u) << name;
  }
}

TEST(ShowModels, FileCheckFindsDamage) {
  const std::vector<std::uint8_t> good = modelkit::encodeMd3(modelkit::boatModel().model).bytes;
  ASSERT_EQ(modelkit::checkMd3File("boat", good), std::vector<std::string>{});
  std::vector<std::uint8_t> bad = good;
  // First triangle's first index pointed past the vertices.
  world::md3::Md3SurfaceHeader sh{};
  const size_t surface = sizeof(world::md3::Md3Header) + sizeof(world::md3::Md3Frame);  // one frame, no tags
  std::memcpy(&sh, bad.data() + surface, sizeof sh);
  const std::int32_t huge = sh.vertexCount;
  std::memcpy(bad.data() + surface + static_cast<size_t>(sh.trianglesOffset), &huge, 4);
  EXPECT_NE(modelkit::checkMd3File("boat", bad), std::vector<std::string>{});
  std::vector<std::uint8_t> shortFile(good.begin(), good.end() - 8);
  EXPECT_NE(modelkit::checkMd3File("boat", shortFile), std::vector<std::string>{});
  std::vector<std::uint8_t> sized = good;
  const std::int32_t tooBig = sh.endOffset + 8;
  std::memcpy(sized.data() + surface + offsetof(world::md3::Md3SurfaceHeader, endOffset), &tooBig, 4);
  EXPECT_NE(modelkit::checkMd3File("boat", sized), std::vector<std::string>{});
  EXPECT_NE(modelkit::checkMd3File("empty", {}), std::vector<std::string>{});
}

TEST(KitCharacter, AnimationFileHasTwentySixLinesTheReaderCounts) {
  const std::string cfg = written().folder.read("Doom/Animation.cfg");
  const world::AnimationConfig config = world::parseAnimationConfig(cfg);
  ASSERT_EQ(config.entries, 26);
  EXPECT_EQ(config.ignored, 0);
  // Keyword and comment lines are there for the reader to skip.
  EXPECT_NE(cfg.find("\nsex "), std::string::npos);
  EXPECT_NE(cfg.find("\nheadoffset "), std::string::npos);
  // The reader moves the legs' lines back by first(13) - first(6); then each range lies
  // inside the part that plays it.
  world::AnimationTable table = config.table;
  EXPECT_GT(table[13].firstFrame - table[6].firstFrame, 0);
  world::shiftLowerBodyFrames(table);
  const int lowerFrames = character().lower.model.frameCount, upperFrames = character().upper.model.frameCount;
  for (int n = 0; n < 25; ++n) {
    const auto& e = table[static_cast<size_t>(n)];
    EXPECT_GE(e.frameCount, 1) << n;
    if (n <= 5 || n >= 13) { EXPECT_LE(e.firstFrame + e.frameCount, lowerFrames) << n; }
    if (n <= 12) { EXPECT_LE(e.firstFrame + e.frameCount, upperFrames) << n; }
  }
  // Both bodies share the falls' frames; the run loops over its whole range, the fall not.
  EXPECT_EQ(table[15].loopingFrames, table[15].frameCount);
  EXPECT_EQ(table[0].loopingFrames, 0);
  EXPECT_EQ(table[6].firstFrame, table[5].firstFrame + table[5].frameCount);
}

TEST(KitCharacter, RunKeepsAFootOnTheFloorAndMovesTheLegs) {
  const CharacterSet& c = character();
  const auto& a = c.animations;
  const int first = a[15].first - (a[13].first - a[6].first);
  const std::vector<float> lows = modelkit::lowestPoints(c.lower);
  float travel = 0;
  const auto& s = c.lower.model.surfaces[0];
  for (int f = first; f < first + a[15].count; ++f) {
    // Scene y = 25 + 0.75 z: the corridor's floor at y = 0.
    EXPECT_NEAR(25 + 0.75f * lows[static_cast<size_t>(f)], 0, 0.25f) << "frame " << f;
    for (size_t v = 0; v < s.positions[0].size(); ++v)
      travel = std::fmax(travel, modelkit::length(s.positions[static_cast<size_t>(f)][v] - s.positions[static_cast<size_t>(first)][v]));
  }
  EXPECT_GT(travel, 15) << "the feet hardly move in the run";
  // The loop closes: the frame after the last is the first one again (no jump).
  float jump = 0;
  const auto& last = s.positions[static_cast<size_t>(first + a[15].count - 1)];
  const auto& start = s.positions[static_cast<size_t>(first)];
  for (size_t v = 0; v < start.size(); ++v) jump = std::fmax(jump, modelkit::length(last[v] - start[v]));
  EXPECT_LT(jump, travel * 0.6f);
}

TEST(KitCharacter, TagsMoveAndCarryTheParts) {
  const CharacterSet& c = character();
  const auto& a = c.animations;
  const int shift = a[13].first - a[6].first;
  const auto tagOf = [](const SkinnedModel& m, int f) { return m.model.tags[static_cast<size_t>(f)][0]; };
  const int run = a[15].first - shift;
  // The torso rides up and down and turns with the stride.
  float rise = 0;
  for (int f = run; f < run + a[15].count; ++f) rise = std::fmax(rise, std::fabs(tagOf(c.lower, f).origin.z - tagOf(c.lower, run).origin.z));
  EXPECT_GT(rise, 0.5f);
  EXPECT_NE(tagOf(c.lower, run).axes[0].y, tagOf(c.lower, run + 2).axes[0].y);
  // The head nods during the gesture.
  float nod = 0;
  for (int f = a[6].first; f < a[6].first + a[6].count; ++f)
    nod = std::fmax(nod, modelkit::length(tagOf(c.upper, f).axes[0] - tagOf(c.upper, a[6].first).axes[0]));
  EXPECT_GT(nod, 0.1f);
  // Tag axes stay a rotation (the demo does not re-orthonormalise them).
  for (int f = 0; f < c.lower.model.frameCount; ++f) {
    const auto t = tagOf(c.lower, f);
    EXPECT_NEAR(modelkit::dot(t.axes[0], modelkit::cross(t.axes[1], t.axes[2])), 1, 1e-4) << f;
  }
  // The head model sits on the neck: joined through both tags it is above the shoulders.
  EXPECT_EQ(c.head.model.frameCount, 1);
}

TEST(KitCharacter, GestureRaisesAnArmAndTheFallEndsOnTheGround) {
  const CharacterSet& c = character();
  const auto& a = c.animations;
  const auto top = [](const SkinnedModel& m, int f) {
    float z = -1e9f;
    for (const auto& p : m.model.surfaces[0].positions[static_cast<size_t>(f)]) z = std::fmax(z, p.z);
    return z;
  };
  float highest = 0;
  for (int f = a[6].first; f < a[6].first + a[6].count; ++f) highest = std::fmax(highest, top(c.upper, f));
  EXPECT_GT(highest, top(c.upper, a[6].first) + 8) << "no hand goes up over the shoulders";
  // Lying down: the lower body's tag (the waist) ends near the floor, from standing height.
  const float waistStart = c.lower.model.tags[static_cast<size_t>(a[0].first)][0].origin.z;
  const float waistEnd = c.lower.model.tags[static_cast<size_t>(a[0].first + a[0].count - 1)][0].origin.z;
  EXPECT_GT(waistStart - CharacterSet::kFloorZ, 25);
  EXPECT_LT(waistEnd - CharacterSet::kFloorZ, 10);
  // And the figure lies along the floor, not through it.
  for (float low : modelkit::lowestPoints(c.lower)) EXPECT_GE(low, CharacterSet::kFloorZ - 0.05f - 14) << "far below the floor";
  EXPECT_EQ(modelkit::checkCharacter(c), std::vector<std::string>{});
}

TEST(KitCharacter, CheckNoticesFeetOffTheFloor) {
  CharacterSet c = character();
  const auto& a = c.animations;
  const int run = a[15].first - (a[13].first - a[6].first);
  for (auto& p : c.lower.model.surfaces[0].positions[static_cast<size_t>(run + 3)]) p.z += 2;
  EXPECT_NE(modelkit::checkCharacter(c), std::vector<std::string>{});
}

// The colour the demo would show for vertex v of a surface: texture coordinate (s, t) from
// the file, drawn with t flipped, from the picture as the demo's loader uploads it.
struct Shown {
  float r, g, b;
};

Shown shownColour(const std::vector<std::uint8_t>& rows, int width, int height, int channels, float s, float tFile) {
  const float glT = 1 - tFile;  // rows[0] is at t = 0
  const int x = std::clamp(static_cast<int>(s * static_cast<float>(width)), 0, width - 1);
  const int y = std::clamp(static_cast<int>(glT * static_cast<float>(height)), 0, height - 1);
  const std::uint8_t* p = &rows[(static_cast<size_t>(y) * width + x) * channels];
  return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
}

TEST(ShowModels, SkinsShowTheRightPartsThroughTheDemosLoaders) {
  const modelkit_test::WrittenShow& show = written();
  // Monk (JPEG): the face is the darkest part, the rope belt the lightest.
  resources::JpegImage jpeg;
  ASSERT_TRUE(resources::decodeJpegFile(show.folder.file("data/models/moine.jpg"), jpeg));
  const auto monk = readModel("data/models/moine.md3");
  ASSERT_FALSE(monk.surfaces.empty());
  float face = 0, robe = 0;
  int faces = 0, robes = 0;
  const auto& s = monk.surfaces[0];
  for (int v = 0; v < s.vertexCount; ++v) {
    const auto p = s.position(0, v);
    const auto& tc = s.texCoords[static_cast<size_t>(v)];
    const Shown c = shownColour(jpeg.pixels, jpeg.width, jpeg.height, 3, tc.s, tc.t);
    if (p.x > 7.6f && p.z > 19 && p.z < 26 && std::fabs(p.y) < 1.5f) face += c.r + c.g + c.b, ++faces;
    if (p.z < -20) robe += c.r + c.g + c.b, ++robes;
  }
  ASSERT_GT(faces, 0);
  ASSERT_GT(robes, 0);
  EXPECT_LT(face / faces * 2, robe / robes) << "the face under the hood is not in shadow";
  // Character (TGA): the soles are on brown boots, the thighs on green armour.
  const std::string tga = show.folder.read("Doom/Lower.tga");
  const auto decoded = resources::decodeTga(bytesOf(tga));
  ASSERT_EQ(decoded.status, resources::TgaStatus::Ok);
  const auto lower = readModel("Doom/Lower.md3");
  ASSERT_FALSE(lower.surfaces.empty());
  const auto& l = lower.surfaces[0];
  int boots = 0, bootsBrown = 0, thighs = 0, thighsGreen = 0;
  const int stand = character().animations[22].first - (character().animations[13].first - character().animations[6].first);
  for (int v = 0; v < l.vertexCount; ++v) {
    const auto p = l.position(stand, v);
    const auto& tc = l.texCoords[static_cast<size_t>(v)];
    const Shown c = shownColour(decoded.image.pixels, decoded.image.width, decoded.image.height, 4, tc.s, tc.t);
    if (p.z < CharacterSet::kFloorZ + 0.3f) ++boots, bootsBrown += c.r > c.g && c.g >= c.b;
    if (p.z > CharacterSet::kFloorZ + 22 && p.z < CharacterSet::kFloorZ + 26 && std::fabs(p.y) > 3) ++thighs, thighsGreen += c.g > c.r && c.g > c.b;
  }
  ASSERT_GT(boots, 0);
  ASSERT_GT(thighs, 0);
  EXPECT_GT(bootsBrown, boots * 8 / 10);
  EXPECT_GT(thighsGreen, thighs * 8 / 10);
}

TEST(ShowModels, FitWhereTheScenesDrawThem) {
  EXPECT_EQ(modelkit::checkSingleModels(modelkit::chelouModel(), modelkit::monkModel(), modelkit::boatModel()), std::vector<std::string>{});
  // A chelou twice as large would leave the glass column.
  SkinnedModel big = modelkit::chelouModel();
  for (auto& p : big.model.surfaces[0].positions[0]) p = p * 2;
  EXPECT_NE(modelkit::checkSingleModels(big, modelkit::monkModel(), modelkit::boatModel()), std::vector<std::string>{});
}

TEST(ShowModels, AreTheSameEveryRun) {
  EXPECT_EQ(modelkit::encodeMd3(modelkit::monkModel().model).bytes, modelkit::encodeMd3(modelkit::monkModel().model).bytes);
  EXPECT_EQ(written().folder.read("Doom/Upper.md3"),
            [] {
              const auto b = modelkit::encodeMd3(modelkit::characterModel().upper.model).bytes;
              return std::string(b.begin(), b.end());
            }());
}

}  // namespace
