// The setup dialog shown before anything else: a small window captioned "Tolvek options"
// with the group's picture, the screen mode (640x480, 800x600, 1024x768), "Run Fullscreen",
// the depth-buffer precision (16 or 32 bpp) and the buttons "Run" and "Bye Bye". Drawn with
// Dear ImGui on an OpenGL 2 context of its own, closed before the demo's window opens.
//
// Keys: Alt+R runs and Alt+B says bye, as the underlined letters show; Enter runs (or says
// bye when that button has the focus); Tab and the arrow keys move between the choices and
// Space picks one. The close box is "Bye Bye". Escape does nothing, as in the original.
#pragma once

#include <functional>

#include "platform/settings.h"

namespace app {

// The dialog's controls by their template numbers.
enum DialogControl : int {
  kRunButton = 1000,
  kByeButton = 1001,
  kMode640 = 1002,
  kMode800 = 1003,
  kMode1024 = 1004,
  kFullscreenBox = 1005,
  kMode512 = 1006,  // hidden: never shown, never picked, kept in the handler
  kDepth16 = 1007,
  kDepth32 = 1008,
};

// What the controls hold: one button checked in each group, the check box.
struct DialogChoices {
  int mode = kMode640;
  bool fullscreen = false;
  int depth = kDepth32;
};

// "Run": the choices into the settings, in the original's order (full screen only ever
// switched on, the resolution tested 512, 640, 800, 1024, then the depth).
void applyDialogChoices(const DialogChoices& choices, platform::Settings& settings);

enum class DialogResult {
  Run,       // the choices are in the settings
  Bye,       // "Bye Bye" or the close box: the process ends at once with exit code 0
  NotShown,  // no window could be made: start-up goes on with the defaults
};

DialogResult runSetupDialog(platform::Settings& settings);

// Where the dialog draws a control, in window pixels (for tests that click on it).
struct ControlBox {
  float x, y, width, height;
};
ControlBox dialogControlBox(int control);
constexpr int kDialogWidth = 310;
constexpr int kDialogHeight = 310;

// For tests: called at the start of every dialog frame with the frame number, before the
// frame's events are read (a test pushes its synthesized input there).
void setSetupDialogDriver(std::function<void(int frame)> driver);

}  // namespace app
