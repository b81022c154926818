// Level loading and drawing: the load time of a level and the frame times of a flight along a
// camera path at 640 x 480, in the demo's render state, on whatever OpenGL the display offers
// (Mesa's software renderer under Xvfb).
//
// With TOLVEK_SHOW_DIR set to a show folder holding data/map/brae.bsp (or brae.bsp) and
// cam.trj, that level and path are measured from inside the folder (textures come from its
// Textures/); otherwise a generated corridor level of the same kind is.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fx/view_frustum.h"
#include "level_subject.h"
#include "platform/file_system.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "demo/cue_sheet.h"
#include "support/gl_context.h"
#include "world/bsp_level.h"
#include "world/camera_path.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kIntroRate = demo::cue::kIntroPathRate;
// Every 100 ms of the flight: enough frames for a stable median at a bearable run time.
constexpr float kFrameMs = 100.0f;
constexpr double kIntroLengthMs = demo::cue::kIntroFlightMs;

// Set while an OpenGL window is open for the benchmarks.
testing_support::GlTestContext* window = nullptr;
bench_support::LevelSubject subject;

void standardState() {
  platform::applyStandardRenderState();
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, 1.7777, 1.0, 3000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void BM_LoadLevel(benchmark::State& state) {
  if (!window) {
    state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
    return;
  }
  for (auto _ : state) {
    world::BspLevel level;
    if (!level.load(subject.level, 1.0f)) {
      state.SkipWithError("cannot read the level");
      return;
    }
    glFinish();  // the texture uploads are part of loading
    state.PauseTiming();
    state.counters["faces"] = static_cast<double>(level.data().faces.size());
    state.counters["lightmaps"] = static_cast<double>(level.lightmapTextures().size());
    level.destroy();
    state.ResumeTiming();
  }
}

// One whole flight per iteration; each frame drawn, finished and timed on its own.
void BM_FlightFrames(benchmark::State& state) {
  if (!window) {
    state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
    return;
  }
  world::BspLevel level;
  level.load(subject.level, 1.0f);
  fx::ViewFrustum frustum;
  std::vector<double> frameMs;
  double facesDrawn = 0;
  for (auto _ : state) {
    world::CameraPath camera = world::CameraPath::load(subject.path);
    frameMs.clear();
    facesDrawn = 0;
    for (double clock = 0; clock < kIntroLengthMs && !camera.finished(); clock += kFrameMs) {
      const auto start = std::chrono::steady_clock::now();
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glLoadIdentity();
      camera.advance(kFrameMs * kIntroRate);
      camera.applyLookAt();
      frustum.extract();
      level.render(camera, [&](float a, float b, float c, float d, float e, float f) {
        return frustum.containsBox(a, b, c, d, e, f);
      }, 1, 1);
      glFinish();
      frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      facesDrawn += level.lastRenderStats().facesDrawn;
    }
  }
  level.destroy();
  if (frameMs.empty()) return;
  std::vector<double> sorted = frameMs;
  std::sort(sorted.begin(), sorted.end());
  state.counters["frames"] = static_cast<double>(sorted.size());
  state.counters["median_ms"] = sorted[sorted.size() / 2];
  state.counters["p90_ms"] = sorted[sorted.size() * 9 / 10];
  state.counters["max_ms"] = sorted.back();
  state.counters["faces_per_frame"] = facesDrawn / static_cast<double>(sorted.size());
}

BENCHMARK(BM_LoadLevel)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FlightFrames)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  subject = bench_support::findLevelSubject("bench_level");
  if (subject.folder.empty() || chdir(subject.folder.c_str()) != 0) {
    std::fprintf(stderr, "bench_level: no folder to measure in\n");
    return 1;
  }
  std::printf("level: %s/%s (%s), path %s\n", subject.folder.c_str(), subject.level.c_str(),
              subject.generated ? "generated" : "show", subject.path.c_str());
  testing_support::GlTestContext gl(kWidth, kHeight);
  if (gl.ok()) {
    window = &gl;
    standardState();
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bench_support::removeGeneratedSubject(subject);
  return 0;
}
