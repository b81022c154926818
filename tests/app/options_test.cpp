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

TEST(Options, FrameRatesAreWholeFractionsOrDecimalsAndTheNtscDecimalsAreExact) {
  struct Case {
    const char* text;
    std::int64_t num, den;  // 0: refused
  };
  for (const Case& c : {Case{"60", 60, 1}, {"60000/1001", 60000, 1001}, {"59.94", 60000, 1001},
                        {"29.97", 30000, 1001}, {"23.976", 24000, 1001}, {"119.88", 120000, 1001},
                        {"12.5", 25, 2}, {"120/2", 60, 1}, {"59.9", 599, 10}, {"1000", 1000, 1}, {"0", 0, 0},
                        {"0.5", 0, 0}, {"1000.5", 0, 0}, {"60/0", 0, 0}, {"1/2", 0, 0}, {"59.9.4", 0, 0},
                        {"ten", 0, 0}, {"60.", 0, 0}, {"99999999999999999999.5", 0, 0}, {"-30", 0, 0}}) {
    const auto rate = app::parseFrameRate(c.text);
    ASSERT_EQ(rate.has_value(), c.num != 0) << c.text;
    if (rate) {
      EXPECT_TRUE(rate->num == c.num && rate->den == c.den) << c.text << ": " << rate->num << "/" << rate->den;
    }
  }
  EXPECT_EQ(parse({"--record", "a.mp4", "--fps", "30000/1001"}).options.recordFps(), platform::FrameRate(30000, 1001));
}

TEST(Options, TheRecordersAdditionsComeWithARecordingOnly) {
  struct Case {
    std::vector<std::string> args;
    const char* refusal;  // nullptr: accepted
  };
  for (const Case& c : std::vector<Case>{
           {{"--record", "f", "--mode", "7680x4320", "--supersample", "2", "--motion-blur", "16"}, nullptr},
           {{"--fps", "60", "--mode", "3840x2400"}, nullptr},
           {{"--record", "m.mkv", "--quality", "lossless", "--motion-blur", "4", "--shutter", "360"}, nullptr},
           {{"--record", "f", "--mode", "7681x4320"}, "outside the sizes"},
           {{"--supersample", "2"}, "for recordings"},
           {{"--record", "f", "--supersample", "5"}, "from 2 to 4"},
           {{"--motion-blur", "8"}, "for recordings"},
           {{"--record", "f", "--motion-blur", "1"}, "from 2 to 64"},
           {{"--record", "f", "--shutter", "180"}, "needs --motion-blur"},
           {{"--record", "f", "--motion-blur", "2", "--shutter", "0"}, "from 1 to 360"},
           {{"--record", "f", "--quality", "high"}, "for videos"},
           {{"--record", "m.mp4", "--quality", "lossless"}, ".mkv"},
           {{"--record", "m.mp4", "--quality", "best"}, "draft, good"}}) {
    const auto p = parse(c.args);
    if (!c.refusal) {
      EXPECT_TRUE(p.error.empty()) << c.args[1] << ": " << p.error;
    } else {
      EXPECT_NE(p.error.find(c.refusal), std::string::npos) << c.args[0] << " " << c.args[1] << ": " << p.error;
    }
  }
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
