// Frame times at 640 x 480 of the heaviest frames the show draws, drawn by the show's own
// scene code on whatever OpenGL the display offers (Mesa's software renderer under Xvfb):
//   - a frame of the first level, and the same frame replayed through the echo trail at the
//     moment it has the most layers (9);
//   - the island's mist: one particle set of 105 updated and drawn at four emitters;
//   - the final scene's window phase while the first picture melts away (backdrop pass,
//     stencil window, backdrop quad, wave grid, the rippling sphere twice, the picture).
// One benchmark iteration is one frame, finished with glFinish and timed on the wall clock.
//
// With TOLVEK_SHOW_DIR set to a show folder holding brae.bsp and cam.trj, its level, path and
// pictures are used from inside that folder; otherwise a generated corridor level (and no
// final scene, which needs the show's paintings).
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "demo/final_scene.h"
#include "demo/island_scene.h"
#include "demo/scene_objects.h"
#include "demo/show.h"
#include "demo/timeline.h"
#include "fx/veils.h"
#include "level_subject.h"
#include "platform/frame_timer.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "support/gl_context.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kLetterbox = 59;
constexpr float kFrameMs = 1000.0f / 60.0f;
constexpr std::int64_t kCounts = 1000000;  // virtual counter: one count a microsecond

// Set while an OpenGL window is open for the benchmarks.
testing_support::GlTestContext* window = nullptr;
bench_support::LevelSubject subject;

// The demo clock at `ms` (the virtual counter only moves forward).
void setDemoTime(double ms) {
  const double ahead = ms - platform::demoClockMs();
  if (ahead > 0) platform::advanceVirtualCounter(static_cast<std::int64_t>(ahead * 1000.0));
}

// The frame as the timeline starts it: standard state, cleared, the show's projection,
// letterbox scissor.
void startFrame() {
  platform::applyStandardRenderState();
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glViewport(0, 0, kWidth, kHeight);
  glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
  glEnable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(platform::settings.fieldOfView, platform::settings.aspectRatio, 1, 3000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor4f(1, 1, 1, 1);
}

// Median, 90th percentile and worst frame as counters.
void reportFrames(benchmark::State& state, std::vector<double>& frameMs) {
  if (frameMs.empty()) return;
  std::sort(frameMs.begin(), frameMs.end());
  state.counters["median_ms"] = frameMs[frameMs.size() / 2];
  state.counters["p90_ms"] = frameMs[frameMs.size() * 9 / 10];
  state.counters["max_ms"] = frameMs.back();
}

template <class Frame>
void measureFrames(benchmark::State& state, Frame frame) {
  std::vector<double> frameMs;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    frame();
    glFinish();
    frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  reportFrames(state, frameMs);
}

// ---- the first level with and without the echo trail ----

// The intro's level, camera and frustum in the show's slots, a quicker flight than the
// script's (more of the level per run).
struct IntroFlight {
  IntroFlight() {
    auto& o = demo::sceneObjects;
    o.firstLevel = std::make_unique<world::BspLevel>();
    o.firstLevel->load(subject.level, 1.0f);
    o.frustum = std::make_unique<fx::ViewFrustum>();
    demo::replaceFirstCamera(subject.path);
    demo::script.frameDelta = 4 * kFrameMs;
  }
  ~IntroFlight() { demo::destroySceneObjects(); }
  void frame(double ms, bool echo) {
    startFrame();
    setDemoTime(ms);
    if (demo::sceneObjects.firstCamera->finished()) demo::replaceFirstCamera(subject.path);
    demo::drawIntroPicture(echo);
  }
};

void BM_LevelFrame(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  IntroFlight flight;
  measureFrames(state, [&] { flight.frame(30000, false); });  // between the monks and the column
}

void BM_LevelFrameWithEchoTrailAtItsMost(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  // cos(180 - now / 300) comes closest to 1 here inside the trail's window: its most layers
  // (9: the whole part of 4c + 6 never quite reaches 10) and its brightest start.
  constexpr double kMostLayers = 44575;
  IntroFlight flight;
  measureFrames(state, [&] { flight.frame(kMostLayers, true); });
}

// ---- the island's mist ----

void BM_MistFourEmitters(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  demo::sceneObjects.particles = std::make_unique<fx::ParticleSystem>(
      500, 0.15f, "Textures\\part.tga", fx::Rgb{1.0f, 0.75f, 0.5f}, fx::Rgb{1.0f, 0.4f, 0.05f}, 1);
  demo::script.frameDelta = kFrameMs;
  for (int i = 0; i < 150; ++i) demo::drawIslandMist();  // sprays in full flow
  measureFrames(state, [&] {
    startFrame();
    // Looking at the waterfall's foot from 60 units out and a little above.
    gluLookAt(1055, 70, 1200, 1050, 45, 1140, 0, 1, 0);
    demo::drawIslandMist();
  });
  demo::destroySceneObjects();
}

// ---- the final scene's window phase ----

void BM_FinalSceneWindowPass(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  std::unique_ptr<demo::FinalScene> scene;
  try {
    scene = std::make_unique<demo::FinalScene>(kWidth, kHeight);
  } catch (const std::exception& e) {
    return state.SkipWithError((std::string("no final scene here: ") + e.what()).c_str());
  }
  demo::sceneObjects.stripSphere = std::make_unique<demo::StripSphere>();
  constexpr float kStart = 141.99f, kWindowFrom = kStart + 5;
  scene->setTimes(kStart, kWindowFrom, kStart + 25, 10);
  float t = kWindowFrom + 0.5f;
  measureFrames(state, [&] {
    startFrame();
    t += kFrameMs / 1000;
    if (t > kWindowFrom + 9.5f) t = kWindowFrom + 0.5f;  // stay inside the melt: the heaviest frames
    demo::drawFinalBackdrop(t * 120);
    scene->draw(t);
  });
  scene->destroy();
  demo::destroySceneObjects();
}

BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_LevelFrameWithEchoTrailAtItsMost)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_MistFourEmitters)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_FinalSceneWindowPass)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  subject = bench_support::findLevelSubject("bench_effects");
  if (subject.folder.empty() || chdir(subject.folder.c_str()) != 0) {
    std::fprintf(stderr, "bench_effects: no folder to measure in\n");
    return 1;
  }
  std::printf("level: %s/%s (%s), path %s\n", subject.folder.c_str(), subject.level.c_str(),
              subject.generated ? "generated, generated pictures" : "show", subject.path.c_str());
  auto& s = platform::settings;
  s.screenWidth = kWidth;
  s.screenHeight = kHeight;
  s.fieldOfView = 60.0f;  // the kit's Demo.conf
  s.aspectRatio = 1.7777f;
  platform::useVirtualCounter(kCounts);
  testing_support::GlTestContext gl(kWidth, kHeight);
  // The show's textures and clocks; each benchmark puts the objects it draws into the slots.
  demo::Show show;
  if (gl.ok()) {
    window = &gl;
    platform::applyStandardRenderState();
    show.load({nullptr, kLetterbox});
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  show.unload();
  bench_support::removeGeneratedSubject(subject);
  return 0;
}
