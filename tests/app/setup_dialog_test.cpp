// The setup dialog driven by synthesized mouse and key input under Xvfb: what "Run" puts in
// the settings, and "Bye Bye" or the close box ending the run before anything is read.
#include "app/setup_dialog.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/demo_main.h"
#include "demo/timeline.h"
#include "platform/settings.h"
#include "support/box_recorder.h"
#include "support/temp_folder.h"

namespace {

using Input = std::vector<SDL_Event>;

SDL_Event mouse(Uint32 type, float x, float y) {
  SDL_Event e{};
  e.type = type;
  if (type == SDL_MOUSEMOTION) {
    e.motion.x = static_cast<Sint32>(x), e.motion.y = static_cast<Sint32>(y);
  } else {
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Sint32>(x), e.button.y = static_cast<Sint32>(y);
  }
  return e;
}

// A click on a control: on the radio circle or the box's left part, the button's middle.
Input click(int control) {
  const app::ControlBox b = app::dialogControlBox(control);
  const bool button = control == app::kRunButton || control == app::kByeButton;
  const float x = button ? b.x + b.width / 2 : b.x + 6, y = b.y + 7;
  return {mouse(SDL_MOUSEMOTION, x, y), mouse(SDL_MOUSEBUTTONDOWN, x, y), mouse(SDL_MOUSEBUTTONUP, x, y)};
}

SDL_Event key(Uint32 type, SDL_Scancode code, Uint16 mod = KMOD_NONE) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.scancode = code;
  e.key.keysym.mod = mod;
  return e;
}

Input press(SDL_Scancode code, Uint16 mod = KMOD_NONE) { return {key(SDL_KEYDOWN, code, mod), key(SDL_KEYUP, code, mod)}; }

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::settings = platform::Settings{}; }
  void TearDown() override { app::setSetupDialogDriver(nullptr); }

  // Each step's events are pushed at the start of its own frame, two frames apart.
  void drive(std::vector<Input> steps) {
    app::setSetupDialogDriver([steps = std::move(steps)](int frame) {
      if (frame % 2 == 0 && frame / 2 >= 1 && static_cast<size_t>(frame / 2 - 1) < steps.size())
        for (SDL_Event e : steps[static_cast<size_t>(frame / 2 - 1)]) SDL_PushEvent(&e);
      // A dialog that never ends would hang the test: close it.
      if (frame == 400) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
      }
    });
  }
  static Input closeBox() {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    return {e};
  }
};

TEST_F(SetupDialogTest, RunUntouchedGivesTheDefaults) {
  drive({click(app::kRunButton)});
  platform::settings.screenWidth = 1;  // whatever was there is replaced by the checked mode
  ASSERT_EQ(app::runSetupDialog(platform::settings), app::DialogResult::Run) << "needs a display (xvfb-run -a)";
  EXPECT_EQ(platform::settings.screenWidth, 640);
  EXPECT_EQ(platform::settings.screenHeight, 480);
  EXPECT_FALSE(platform::settings.fullscreen);
  EXPECT_EQ(platform::settings.depthBits, 32);
}

TEST_F(SetupDialogTest, ChosenModeFullScreenAndDepthByMouseAndByKeyboard) {
  const std::vector<std::pair<const char*, std::vector<Input>>> ways = {
      {"mouse", {click(app::kMode800), click(app::kFullscreenBox), click(app::kDepth16), click(app::kRunButton)}},
      // The focus starts on the first choice: Tab to the second and Space; Tab twice to the
      // check box and Space; Tab to 16 bpp, past it and back with Shift+Tab, Space; Enter runs.
      {"keyboard",
       {press(SDL_SCANCODE_TAB), press(SDL_SCANCODE_SPACE), press(SDL_SCANCODE_TAB), press(SDL_SCANCODE_TAB),
        press(SDL_SCANCODE_SPACE), press(SDL_SCANCODE_TAB), press(SDL_SCANCODE_TAB),
        press(SDL_SCANCODE_TAB, KMOD_LSHIFT), press(SDL_SCANCODE_SPACE), press(SDL_SCANCODE_RETURN)}},
  };
  for (const auto& [name, steps] : ways) {
    platform::settings = platform::Settings{};
    drive(steps);
    ASSERT_EQ(app::runSetupDialog(platform::settings), app::DialogResult::Run) << name;
    EXPECT_EQ(platform::settings.screenWidth, 800) << name;
    EXPECT_EQ(platform::settings.screenHeight, 600) << name;
    EXPECT_TRUE(platform::settings.fullscreen) << name;
    EXPECT_EQ(platform::settings.depthBits, 16) << name;
  }
  // The mnemonic runs at once.
  platform::settings = platform::Settings{};
  drive({click(app::kMode1024), press(SDL_SCANCODE_R, KMOD_LALT)});
  ASSERT_EQ(app::runSetupDialog(platform::settings), app::DialogResult::Run);
  EXPECT_EQ(platform::settings.screenWidth, 1024);
}

TEST_F(SetupDialogTest, TheHiddenModeStaysInTheHandler) {
  platform::Settings s;
  app::applyDialogChoices({app::kMode512, false, app::kDepth16}, s);
  EXPECT_EQ(s.screenWidth, 512);
  EXPECT_EQ(s.screenHeight, 384);
  s.fullscreen = true;
  app::applyDialogChoices({app::kMode640, false, app::kDepth32}, s);
  EXPECT_TRUE(s.fullscreen) << "Run never switches full screen back off";
}

TEST_F(SetupDialogTest, ByeByeAndTheCloseBoxEndTheRunBeforeAnythingIsRead) {
  for (const auto& [name, input] : std::vector<std::pair<const char*, Input>>{
           {"Bye Bye", click(app::kByeButton)}, {"Alt+B", press(SDL_SCANCODE_B, KMOD_LALT)}, {"close box", closeBox()}}) {
    testing_support::TempFolder folder;  // no Demo.conf: reading it would say "ByeBye"
    testing_support::ScopedWorkingDirectory cwd(folder.path());
    testing_support::BoxRecorder boxes;
    demo::script = demo::ScriptState{};
    drive({input});
    EXPECT_EQ(app::runDemo(app::Options{}), 0) << name;
    EXPECT_TRUE(boxes.boxes().empty()) << name << ": " << boxes.boxes().front().text;
    EXPECT_EQ(folder.entryCount(), 0) << name;
    EXPECT_EQ(demo::script.sceneState, -1) << name;
  }
}

}  // namespace
