#include "platform/message_box.h"

#include <gtest/gtest.h>

#include "support/box_recorder.h"

namespace {

TEST(MessageBox, UnattendedBoxesGoToStandardErrorAsCaptionAndText) {
  platform::setUnattended(true);
  ::testing::internal::CaptureStderr();
  platform::showMessageBox("ERROR 42", "Failed to Register Window class.", platform::BoxIcon::Warning);
  const std::string err = ::testing::internal::GetCapturedStderr();
  platform::setUnattended(false);
  EXPECT_EQ(err, "[ERROR 42] Failed to Register Window class.\n");
}

TEST(MessageBox, ASinkSeesEveryBoxInsteadOfTheScreen) {
  testing_support::BoxRecorder recorder;
  ::testing::internal::CaptureStderr();
  platform::showMessageBox("A", "one");
  platform::showMessageBox("B", "two");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(recorder.boxes().size(), 2u);
  EXPECT_TRUE(recorder.saw("B", "two"));
  EXPECT_FALSE(recorder.saw("B", "one"));
}

}  // namespace
