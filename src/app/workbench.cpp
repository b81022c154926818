#include "app/workbench.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

#include "app/demo_config.h"
#include "app/demo_window.h"
#include "demo/cue_sheet.h"
#include "demo/show.h"
#include "platform/frame_timer.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "resources/bitmap_font.h"

namespace app {
namespace {

// The first frame of a grid of `frameMs` strictly after `ms`.
double firstFrameAfter(double ms, double frameMs) { return (std::floor(ms / frameMs) + 1.0) * frameMs; }

std::string format(const char* pattern, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

}  // namespace

double previousSceneChangeMs(double nowMs, double frameMs) {
  double found = 0.0;
  // Before the frame on show, so that pressing again goes further back.
  for (double change : demo::cue::kSceneChangesMs)
    if (const double at = firstFrameAfter(change, frameMs); at < nowMs - frameMs / 2) found = at;
  return found;
}

std::optional<double> nextSceneChangeMs(double nowMs, double frameMs) {
  for (double change : demo::cue::kSceneChangesMs)
    if (const double at = firstFrameAfter(change, frameMs); at > nowMs + frameMs / 2) return at;
  return std::nullopt;
}

std::vector<std::string> workbenchLines(const WorkbenchFacts& f) {
  std::vector<std::string> lines;
  lines.push_back(format("%.0f ms  %s (%d)%s", f.demoMs, demo::sceneStateName(f.sceneState), f.sceneState,
                         f.paused ? "  PAUSED" : ""));
  lines.push_back(format("music %d/%d  frame %.1f ms", f.musicOrder, f.musicRow, f.frameMs));
  if (f.sectionFromMs || f.sectionToMs) {
    const std::string from = f.sectionFromMs ? format("%.0f", *f.sectionFromMs) : "?";
    const std::string to = f.sectionToMs ? format("%.0f", *f.sectionToMs) : "?";
    lines.push_back("section " + from + " - " + to + (f.repeating ? "  repeating" : ""));
  }
  return lines;
}

Workbench::Workbench(const Options& options, bool recording)
    : startMs_(options.sectionFromMs ? options.sectionFromMs : options.startMs),
      from_(options.sectionFromMs),
      to_(options.sectionToMs),
      repeating_(options.sectionFromMs.has_value()),
      author_(options.author),
      recording_(recording) {}

void reloadShow(demo::Show& show, const demo::ShowHost& host) {
  const double at = show.demoTimeMs();
  const bool paused = show.paused();
  show.unload();
  auto& s = platform::settings;
  if (!loadDemoConfig(s)) std::fprintf(stderr, "tolvek: Demo.conf cannot be read; its values stay as they were\n");
  initRenderState();
  resizeViewport(s.screenWidth, s.screenHeight);
  show.load(host);
  if (show.frame()) show.seek(at);
  show.setPaused(paused);
}

bool Workbench::pressed(int key) {
  return std::exchange(platform::keys.pressed[static_cast<size_t>(key)], false);
}

bool Workbench::jump(demo::Show& show, double ms) {
  const auto start = std::chrono::steady_clock::now();
  show.seek(std::clamp(ms, 0.0, demo::cue::kShowEndMs));
  lastJumpMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return false;
}

bool Workbench::afterFrame(demo::Show& show, const std::function<void()>& reload) {
  lastJumpMs_ = 0.0;
  if (!show.started()) return true;
  // The loading frame is not shown when the run begins elsewhere: its progress screens are.
  if (!begun_) {
    begun_ = true;
    if (startMs_) return jump(show, *startMs_);
  }
  const double now = show.demoTimeMs();
  if (repeating_ && from_ && to_ && *from_ < *to_ && now > *to_) return jump(show, *from_);
  if (!author_) return true;

  const double frame = show.frameMs();
  if (pressed(platform::kVkF1)) show.setPaused(!show.paused());
  if (pressed(platform::kVkF1 + 1)) show.step();
  if (pressed(platform::kVkF1 + 2)) return jump(show, now - 1000.0);
  if (pressed(platform::kVkF1 + 3)) return jump(show, now + 1000.0);
  if (pressed(platform::kVkF1 + 5)) return jump(show, now - 10000.0);
  if (pressed(platform::kVkF1 + 6)) return jump(show, now + 10000.0);
  if (pressed(platform::kVkPrior)) return jump(show, previousSceneChangeMs(now, frame));
  if (pressed(platform::kVkNext)) {
    if (const auto next = nextSceneChangeMs(now, frame)) return jump(show, *next);
  }
  if (pressed(platform::kVkHome)) from_ = now;
  if (pressed(platform::kVkEnd)) to_ = now;
  if (pressed(platform::kVkF1 + 7)) repeating_ = !repeating_;
  if (pressed(platform::kVkF1 + 4)) {
    const auto start = std::chrono::steady_clock::now();
    reload();
    lastJumpMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return false;
  }
  return true;
}

void Workbench::drawOverlay(const demo::Show& show) const {
  if (!author_ || recording_ || !show.started()) return;
  const demo::SceneObjects& o = show.objects();
  if (!o.font || o.font->listBase == 0) return;
  const demo::ScriptState& s = show.state();
  const WorkbenchFacts facts{show.demoTimeMs(), s.sceneState, s.musicOrder, s.musicRow, platform::realFrameDeltaMs(),
                             from_, to_, repeating_, show.paused()};
  const auto& settings = platform::settings;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, settings.screenWidth, 0, settings.screenHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  for (GLenum off : {GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG, GL_LIGHTING, GL_BLEND, GL_SCISSOR_TEST, GL_STENCIL_TEST,
                     GL_CULL_FACE})
    glDisable(off);
  glViewport(0, 0, settings.screenWidth, settings.screenHeight);
  glListBase(o.font->listBase - 32);
  const int spacing = std::abs(resources::bitmapFontHeight(settings.screenWidth)) + 4;
  int y = settings.screenHeight - spacing;
  for (const std::string& line : workbenchLines(facts)) {
    // A dark copy one pixel down and right keeps the text legible on the white flashes.
    for (int shadow = 1; shadow >= 0; --shadow) {
      glColor3f(shadow ? 0.0f : 1.0f, shadow ? 0.0f : 1.0f, shadow ? 0.0f : 0.6f);
      glRasterPos2i(10 + shadow, y - shadow);
      glCallLists(static_cast<GLsizei>(line.size()), GL_UNSIGNED_BYTE, line.data());
    }
    y -= spacing;
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

}  // namespace app
