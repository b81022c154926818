// The author's workbench, driving the show through its interface: --start (begin at a moment
// as a run from the start has it), --section (one stretch over and over, with its music),
// and with --author the keys that pause, step, jump and reload, and a corner that tells where
// the show stands. Without these options it does nothing, so the show plays as designed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/options.h"

namespace demo {
class Show;
struct ShowHost;
}

namespace app {

// The first frame of the grid strictly after the scene change before or after `nowMs`; for
// the previous one, the start of the show when there is none before the current frame.
double previousSceneChangeMs(double nowMs, double frameMs);
std::optional<double> nextSceneChangeMs(double nowMs, double frameMs);

// What the corner shows.
struct WorkbenchFacts {
  double demoMs = 0.0;
  int sceneState = -1;
  int musicOrder = 0, musicRow = 0;
  double frameMs = 0.0;
  std::optional<double> sectionFromMs, sectionToMs;
  bool repeating = false;
  bool paused = false;
};
std::vector<std::string> workbenchLines(const WorkbenchFacts& facts);

// The reload key's work: the show unloaded, Demo.conf and the show folder read again, and the
// same moment reached, paused or playing as before.
void reloadShow(demo::Show& show, const demo::ShowHost& host);

class Workbench {
 public:
  Workbench(const Options& options, bool recording);

  // After every frame, before it is shown: the jump to the start once loading is done, the
  // section's repeat, the author's keys. False when the frame just drawn is not to be shown
  // (a jump took its place). `reload` unloads the show and loads the show folder again.
  bool afterFrame(demo::Show& show, const std::function<void()>& reload);
  // A new pass of a looped show begins: it starts where the first did.
  void newPass() { begun_ = false; }

  // The corner (--author, never in a recording), drawn last with the show's bitmap font.
  void drawOverlay(const demo::Show& show) const;

  // How long the jump of the last afterFrame took (0 when there was none), in ms.
  double lastJumpMs() const { return lastJumpMs_; }

 private:
  bool pressed(int key);
  bool jump(demo::Show& show, double ms);

  std::optional<double> startMs_;
  std::optional<double> from_, to_;
  bool repeating_ = false;
  bool author_ = false;
  bool recording_ = false;
  bool begun_ = false;
  double lastJumpMs_ = 0.0;
};

}  // namespace app
