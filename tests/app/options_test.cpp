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

TEST(Options, BadCommandLinesAreRefusedWithAReason) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"--mode", "640x481"}, {"--mode"}, {"--depth", "24"}, {"--depth", "16x"},
           {"--until", "soon"}, {"--until", "-1"}, {"--record"}, {"--fps", "0"}, {"--fps", "ten"}}) {
    const auto p = parse(args);
    EXPECT_FALSE(p.error.empty()) << "accepted: " << args[0] << (args.size() > 1 ? " " + args[1] : "");
  }
}

}  // namespace
