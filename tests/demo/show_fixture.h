// What the script tests share: a hidden 640 x 480 window, an empty working folder (so the
// loading sequence makes every object from missing files and reports the archives it cannot
// open), message boxes recorded instead of shown, and the demo clock on a virtual counter that
// the test moves to chosen milliseconds.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "demo/show.h"
#include "support/box_recorder.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"

namespace demo_test {

class ShowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Moves the counter so that the demo clock reads `ms`, then runs one frame.
  void frameAt(double ms);
  // The first frame: it runs the loading sequence.
  void loadShow();
  // Loads the show again with `present` as its presenter (the default has none).
  void reloadWithPresenter(demo::FramePresenter present);

  static constexpr std::int64_t kFrequency = 1'000'000;  // one count per microsecond
  testing_support::GlTestContext gl{640, 480};
  testing_support::TempFolder folder;
  std::unique_ptr<testing_support::ScopedWorkingDirectory> cwd;
  testing_support::BoxRecorder boxes;
  demo::Show show;
};

// The number of boxes with this caption and text.
int countBoxes(const testing_support::BoxRecorder& boxes, const std::string& caption, const std::string& text);

}  // namespace demo_test
