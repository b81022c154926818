#include "app/options.h"

#include <gtest/gtest.h>

namespace {

app::ParsedOptions parse(std::vector<std::string> args) { return app::parseOptions(args); }

TEST(Options, NoOptionsMeansTheDesignedBehaviour) {
  const auto p = parse({});
  EXPECT_TRUE(p.error.empty());
  EXPECT_FALSE(p.options.skipsSetupDialog());
  EXPECT_FALSE(p.options.untilMs.has_value());
  EXPECT_TRUE(p.options.recordDir.empty());
}

TEST(Options, ModeDepthAndFullScreenSkipTheDialog) {
  const auto p = parse({"--mode", "800x600", "--depth", "16", "--fullscreen"});
  ASSERT_TRUE(p.error.empty()) << p.error;
  EXPECT_EQ(*p.options.width, 800);
  EXPECT_EQ(*p.options.height, 600);
  EXPECT_EQ(*p.options.depthBits, 16);
  EXPECT_TRUE(p.options.fullscreen);
  EXPECT_TRUE(p.options.skipsSetupDialog());
  EXPECT_EQ(*parse({"--mode", "512x384"}).options.width, 512);
}

TEST(Options, AnySizeWithinTheLimitsAndTheDesktop) {
  struct Case {
    const char* mode;
    bool accepted;
  };
  for (const Case& c : {Case{"320x240", true}, {"7680x4320", true}, {"1281x720", true}, {"2560x1080", true},
                        {"5120x1440", true}, {"319x240", false}, {"320x239", false}, {"7681x4320", false},
                        {"7680x4321", false}, {"640x", false}, {"x480", false}, {"640x480x", false}}) {
    const auto p = parse({"--mode", c.mode});
    EXPECT_EQ(p.error.empty(), c.accepted) << c.mode << ": " << p.error;
  }
  const auto desktop = parse({"--mode", "desktop"});
  EXPECT_TRUE(desktop.options.desktopMode && desktop.options.fullscreen && desktop.options.skipsSetupDialog());
  EXPECT_FALSE(desktop.options.width.has_value());
}

TEST(Options, RecordingIsUnattendedWithItsFrameRate) {
  const auto p = parse({"--record", "out", "--fps", "25", "--until", "2000.5"});
  ASSERT_TRUE(p.error.empty()) << p.error;
  EXPECT_EQ(p.options.recordDir, "out");
  EXPECT_EQ(p.options.recordFps(), 25);
  EXPECT_TRUE(p.options.unattended);
  EXPECT_FALSE(p.options.benchmarkRun());
  EXPECT_EQ(parse({"--record", "out"}).options.recordFps(), 30);
  EXPECT_TRUE(parse({"--fps", "60"}).options.benchmarkRun());
  EXPECT_DOUBLE_EQ(*p.options.untilMs, 2000.5);
}

TEST(Options, AVideoFileNameRecordsAVideoAtSixtyFramesBySuffix) {
  for (const char* name : {"show.mp4", "a/b.MKV", "clip.webm"}) {
    const auto p = parse({"--record", name});
    EXPECT_EQ(p.options.recordVideo, name);
    EXPECT_TRUE(p.options.recordDir.empty() && p.options.unattended) << name;
    EXPECT_EQ(p.options.recordFps(), 60) << name;
  }
  for (const char* name : {"frames", "mp4", "show.mp4/", "show.avi"})
    EXPECT_EQ(parse({"--record", name}).options.recordDir, name);
}

TEST(Options, BadCommandLinesAreRefusedWithAReason) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"--mode", "640x200"}, {"--mode"}, {"--depth", "24"}, {"--depth", "16x"},
           {"--until", "soon"}, {"--until", "-1"}, {"--record"}, {"--fps", "0"}, {"--fps", "ten"}, {"--record", ""}}) {
    const auto p = parse(args);
    EXPECT_FALSE(p.error.empty()) << "accepted: " << args[0] << (args.size() > 1 ? " " + args[1] : "");
  }
}

}  // namespace
