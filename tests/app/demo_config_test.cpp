#include "app/demo_config.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

using testing_support::TempFolder;

platform::Settings readConfig(const std::string& text) {
  TempFolder folder;
  folder.write("Demo.conf", text);
  platform::Settings settings;
  EXPECT_TRUE(app::loadDemoConfig(settings, folder.file("Demo.conf")));
  return settings;
}

TEST(DemoConfig, EightWordsSetTheFourValuesWhateverTheLabels) {
  const auto s = readConfig("Title Tolvek FieldOfView 60.5 Aspect 1.7777 ShowFPS 1\n");
  EXPECT_EQ(s.windowTitle, "Tolvek");
  EXPECT_FLOAT_EQ(s.fieldOfView, 60.5f);
  EXPECT_FLOAT_EQ(s.aspectRatio, 1.7777f);
  EXPECT_EQ(s.showFpsAverage, 1);
}

TEST(DemoConfig, AnyMixOfBlanksSeparatesWordsAndExtraWordsAreIgnored) {
  const auto s = readConfig("a\tMy_Demo\r\n\r\nb   45\n\tc 1.5\r\nd 0 e 99 f\n");
  EXPECT_EQ(s.windowTitle, "My_Demo");
  EXPECT_FLOAT_EQ(s.fieldOfView, 45.0f);
  EXPECT_FLOAT_EQ(s.aspectRatio, 1.5f);
  EXPECT_EQ(s.showFpsAverage, 0);
}

TEST(DemoConfig, MissingWordsKeepTheirDefaults) {
  const auto two = readConfig("Title Solo");
  EXPECT_EQ(two.windowTitle, "Solo");
  EXPECT_FLOAT_EQ(two.fieldOfView, 0.0f);
  EXPECT_FLOAT_EQ(two.aspectRatio, 0.0f);
  EXPECT_EQ(two.showFpsAverage, 0);

  const auto empty = readConfig("");
  EXPECT_EQ(empty.windowTitle, "");
  EXPECT_EQ(empty.showFpsAverage, 0);
}

TEST(DemoConfig, NumbersAreReadLikeTheCConversions) {
  // Leading number taken, trailing letters ignored; no number leaves the default.
  EXPECT_EQ(readConfig("a b c 1 d 1 e 1abc").showFpsAverage, 1);
  EXPECT_EQ(readConfig("a b c 1 d 1 e 2").showFpsAverage, 2);
  EXPECT_EQ(readConfig("a b c 1 d 1 e x").showFpsAverage, 0);
  EXPECT_FLOAT_EQ(readConfig("a b c 72deg d 1 e 0").fieldOfView, 72.0f);
  EXPECT_FLOAT_EQ(readConfig("a b c wide d 1 e 0").fieldOfView, 0.0f);
  EXPECT_FLOAT_EQ(readConfig("a b c -5e1 d 1 e 0").fieldOfView, -50.0f);
}

TEST(DemoConfig, NumericWordsAreCutToElevenCharacters) {
  // "1.0000000009" is 12 characters: the last 9 is dropped, which shows in a float only
  // through a longer mantissa, so use digits that matter.
  EXPECT_FLOAT_EQ(readConfig("a b c 123456789012345 d 1 e 0").fieldOfView, 12345678901.0f);
  EXPECT_EQ(readConfig("a b c 1 d 1 e 000000000001").showFpsAverage, 0);   // 12 digits
  EXPECT_EQ(readConfig("a b c 1 d 1 e 00000000001").showFpsAverage, 1);    // 11 digits
  // The title is not a number: it keeps its whole length.
  const std::string longTitle(300, 'T');
  EXPECT_EQ(readConfig("a " + longTitle).windowTitle, longTitle);
}

TEST(DemoConfig, BinaryAndHugeFilesAreReadWithoutHarm) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 37) & 0xff));
  readConfig(binary);  // no crash, no overread; values are whatever the words say

  std::string huge(8 << 20, 'x');  // 8 MiB without a blank: one label word
  const auto s = readConfig(huge);
  EXPECT_EQ(s.windowTitle, "");
}

TEST(DemoConfig, AbsentFileIsReported) {
  TempFolder folder;
  platform::Settings settings;
  settings.windowTitle = "kept";
  EXPECT_FALSE(app::loadDemoConfig(settings, folder.file("Demo.conf")));
  EXPECT_EQ(settings.windowTitle, "kept");
}

TEST(Letterbox, BarsAreOnePixelShortOfSixteenByNine) {
  EXPECT_EQ(app::computeLetterboxHeight(640, 480), 59);
  EXPECT_EQ(app::computeLetterboxHeight(800, 600), 74);
  EXPECT_EQ(app::computeLetterboxHeight(1024, 768), 95);
  EXPECT_EQ(app::computeLetterboxHeight(512, 384), 47);
  EXPECT_EQ(app::computeLetterboxHeight(1920, 1080), 0);  // -0.0001 truncates to 0
}

}  // namespace
