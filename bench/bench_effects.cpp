// Frame times at 640 x 480 of the heaviest effect combinations the show draws, on whatever
// OpenGL the display offers (Mesa's software renderer under Xvfb):
//   - a level frame alone, and the same frame replayed through an echo trail of 10 layers
//     (the end of the first scene);
//   - the island's mist: one particle set of 105 updated and drawn at four emitters;
//   - the final scene's window phase while the first picture melts away: backdrop pass
//     (strip sphere copied to the backdrop texture), stencil window, backdrop quad, wave grid
//     filled and in lines, the rippling sphere drawn twice, the picture on top.
// One benchmark iteration is one frame, finished with glFinish and timed on the wall clock.
//
// With TOLVEK_SHOW_DIR set to a show folder holding brae.bsp and cam.trj, its level, path and
// pictures are used from inside that folder; otherwise a generated corridor level and
// generated pictures.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fx/particle_system.h"
#include "fx/procedural_meshes.h"
#include "fx/screen_pictures.h"
#include "fx/veils.h"
#include "fx/view_frustum.h"
#include "level_subject.h"
#include "platform/file_system.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "resources/jpeg_texture.h"
#include "resources/texture_table.h"
#include "support/gl_context.h"
#include "world/bsp_level.h"
#include "world/camera_path.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kLetterbox = 60;
constexpr float kFieldOfView = 60.0f;
constexpr float kAspect = 1.7777f;
constexpr float kIntroRate = 0.00041f;  // path segments per millisecond in the first scene
constexpr float kFrameMs = 1000.0f / 60.0f;

// Set while an OpenGL window is open for the benchmarks.
testing_support::GlTestContext* window = nullptr;
bench_support::LevelSubject subject;

// A texture from the show folder, or a generated stand-in of the same kind when it is missing.
resources::TextureRecord pictureOrPattern(const char* path, int side, int seed) {
  resources::TextureRecord record = resources::loadJpegTexture(path);
  if (!record.empty()) return record;
  std::vector<std::uint8_t> rgb(static_cast<size_t>(side) * side * 3);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      std::uint8_t* p = &rgb[(static_cast<size_t>(y) * side + x) * 3];
      p[0] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.11 + seed));
      p[1] = static_cast<std::uint8_t>(128 + 100 * std::sin(y * 0.07 + 2 * seed));
      p[2] = static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) * 200 + 40);
    }
  record.width = record.height = side;
  record.bits = 24;
  resources::uploadTexture(record, rgb.data());
  return record;
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
  gluPerspective(kFieldOfView, kAspect, 1, 3000);
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

// ---- level with and without the echo trail ----

struct LevelFlight {
  world::BspLevel level;
  world::CameraPath camera;
  fx::ViewFrustum frustum;

  LevelFlight() {
    level.load(subject.level, 1.0f);
    camera = world::CameraPath::load(subject.path);
  }
  ~LevelFlight() {
    level.destroy();
    camera.destroy();
  }
  // One frame of the first scene's flight into the 512 x 512 corner (scissor off), as the
  // timeline draws it while the echo trail runs.
  void drawIntoCorner() {
    startFrame();
    glViewport(0, 0, resources::kTargetTextureSize, resources::kTargetTextureSize);
    glDisable(GL_SCISSOR_TEST);
    if (camera.finished()) camera = world::CameraPath::load(subject.path);
    camera.advance(kFrameMs * 4 * kIntroRate);  // a quicker flight: more of the level per run
    camera.applyLookAt();
    frustum.extract();
    level.render(camera, [&](float a, float b, float c, float d, float e, float f) {
      return frustum.containsBox(a, b, c, d, e, f);
    }, 1, 1);
  }
};

void BM_LevelFrame(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  LevelFlight flight;
  measureFrames(state, [&] { flight.drawIntoCorner(); });
}

void BM_LevelFrameWithEchoTrail10(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  LevelFlight flight;
  measureFrames(state, [&] {
    flight.drawIntoCorner();
    // Ten layers: the most the first scene asks for, with its start alpha at that moment.
    fx::echoTrail(10, 0.016f, 0, 1.6f);
  });
}

// ---- the island's mist ----

void BM_MistFourEmitters(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  fx::ParticleSystem particles(500, 0.15f, "Textures\\part.tga", {1.0f, 0.75f, 0.5f}, {1.0f, 0.4f, 0.05f}, 1);
  particles.setColours({0.8f, 0.8f, 0.8f}, {0.5f, 0.7f, 1.0f});
  particles.setActiveCount(105);
  for (int i = 0; i < 600; ++i) particles.update(kFrameMs / 15);  // sprays in full flow
  auto mist = [&] {
    startFrame();
    // Looking at the waterfall's foot from 60 units out and a little above.
    gluLookAt(1055, 70, 1200, 1050, 45, 1140, 0, 1, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glPushMatrix();
    glTranslatef(1040, 40, 1140);
    particles.update(kFrameMs / 14.8f);
    particles.draw();
    glTranslatef(15, 0, -6);
    particles.update(kFrameMs / 14.5f);
    particles.draw();
    glTranslatef(15, 0, 6);
    particles.update(kFrameMs / 15);
    particles.draw();
    glTranslatef(-15, -9, 10);
    particles.update(kFrameMs / 15);
    particles.draw();
    glPopMatrix();
  };
  measureFrames(state, mist);
  particles.destroy();
}

// ---- the final scene's window phase ----

void veilQuad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(-1.7f, -1, 0);
  glTexCoord2f(0, 1);
  glVertex3f(-1.7f, 1, 0);
  glTexCoord2f(1, 1);
  glVertex3f(1.7f, 1, 0);
  glTexCoord2f(1, 0);
  glVertex3f(1.7f, -1, 0);
  glEnd();
}

void BM_FinalSceneWindowPass(benchmark::State& state) {
  if (!window) return state.SkipWithError("no OpenGL window (run under xvfb-run -a)");
  resources::TextureRecord globe = pictureOrPattern("Textures/sphere.jpg", 256, 1);
  resources::TextureRecord picture = pictureOrPattern("Textures/Morvan/Looking_at_Eternity_Initial_r.jpg", 256, 2);
  resources::TextureRecord water = pictureOrPattern(std::string(fx::WobbleSphere::kTexturePath).c_str(), 128, 3);
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  fx::WobbleSphere sphere(1, 64, 64, water);
  const double windowFrom = 146.99;  // seconds: the window opens 5 s into the scene
  double t = windowFrom + 0.5;

  auto frame = [&] {
    startFrame();
    t += kFrameMs / 1000;
    if (t > windowFrom + 9.5) t = windowFrom + 0.5;  // stay inside the melt: the heaviest frames
    const auto S = static_cast<float>(t * 120);

    // Backdrop pass.
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 0, -10, 0, 1, 0);
    gluPerspective(160, kAspect, 1, 700);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 512, 512);
    glDisable(GL_SCISSOR_TEST);
    platform::glext.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, globe.name);
    glEnable(GL_TEXTURE_2D);
    glRotatef(S / 30, 2.5f * std::cos(S / 60), 2.5f * std::cos(S / 120), 2.5f * std::sin(S / 120));
    glRotatef(S / 10, 0, 0, 1);
    fx::drawStripSphere(4, 32);
    fx::copyToTexture(512, resources::textureTable.backdropTexture);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, kAspect, 1, 700);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPopMatrix();

    // Window pass.
    glEnable(GL_STENCIL_TEST);
    fx::stencilWindow(-kWidth / 2.0f, kWidth / 2.0f, -0.4f * kHeight, 0.4f * kHeight, kWidth, kHeight);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    const float black[4] = {0, 0, 0, 0};
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_START, 5);
    glFogf(GL_FOG_END, 20);
    glHint(GL_FOG_HINT, GL_FASTEST);
    glEnable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -8);
    glBindTexture(GL_TEXTURE_2D, resources::textureTable.backdropTexture);
    glEnable(GL_TEXTURE_2D);
    glScalef(8, 8, 8);
    veilQuad();
    glPopMatrix();

    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
    glTranslatef(-15, 0, -70);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.2f, 0.2f, 0.6f, 0.6f);
    grid.setPolygonMode(GL_FILL);
    grid.animate(t);
    grid.draw();
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(0.2f);
    grid.setPolygonMode(GL_LINE);
    glColor4f(0.8f, 0.8f, 0.8f, 0.2f);
    grid.draw();
    glDisable(GL_LINE_SMOOTH);
    glPopMatrix();
    glEnable(GL_TEXTURE_2D);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glTranslatef(0, 0, -5);
    glRotatef(static_cast<float>(15 * t), 0, 1, 0);
    glRotatef(static_cast<float>(20 * t), 1, 0, 0);
    glStencilFunc(GL_NOTEQUAL, 1, 1);
    glColor4f(1, 1, 1, 1);
    const double deg = 3.14159265358979 / 180;
    sphere.setPosition(static_cast<float>(1.1 * std::sin(t * deg)), static_cast<float>(1.1 * std::sin(t * deg)),
                       static_cast<float>(2 * std::cos(15 * t * deg)));
    sphere.setPolygonMode(GL_FILL);
    sphere.animate(3 * t, false);
    sphere.draw();
    glStencilFunc(GL_EQUAL, 1, 1);
    glColor4f(1, 1, 1, 0.5f);
    sphere.draw();
    glDisable(GL_STENCIL_TEST);

    // The first picture melting away over everything.
    glLoadIdentity();
    fx::drawPicture(picture.name, kWidth, kHeight, static_cast<float>((t - windowFrom) / 10), false);
  };
  measureFrames(state, frame);
  sphere.destroy();
  resources::releaseTexture(globe);
  resources::releaseTexture(picture);
}

BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_LevelFrameWithEchoTrail10)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
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
  platform::settings.screenWidth = kWidth;
  platform::settings.screenHeight = kHeight;
  testing_support::GlTestContext gl(kWidth, kHeight);
  if (gl.ok()) {
    window = &gl;
    resources::textureTable.trailTexture = resources::createTargetTexture(resources::kTargetTextureSize);
    resources::textureTable.backdropTexture = resources::createTargetTexture(resources::kTargetTextureSize);
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bench_support::removeGeneratedSubject(subject);
  return 0;
}
