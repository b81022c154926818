// The whole show as a benchmark: the real program, run on its virtual clock at 60 frames a
// second (every run draws the same frames) at 640 x 480 and 1024 x 768, with a calibration of
// the same display in the same run, printed as one table with the targets marked.
//
//   bench_show [SHOW_DIR]      (default: TOLVEK_SHOW_DIR, then the working directory)
//
// Calibration: the median of 300 frames of a clear and swap, and of a clear, one full-window
// blended textured quad and swap, each finished with glFinish: what one layer of the show's
// heaviest frames costs on this machine.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/gl_context.h"
#include "support/run_program.h"

namespace {

struct Size {
  int width, height;
  double medianTarget;  // every state's median, ms
  double p95Target;     // every state's 95th percentile, ms (0: none)
};
constexpr Size kSizes[] = {{640, 480, 16.7, 25.0}, {1024, 768, 33.0, 0.0}};
constexpr double kLoadingTargetMs = 1500.0;
// The author's jump to the show's last moment, loading not counted.
constexpr double kJumpTargetMs = 2000.0;
constexpr double kJumpToMs = 246000.0;
constexpr double kMemoryTargetMb = 300.0;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

template <class Frame>
double medianFrameMs(const testing_support::GlTestContext& gl, Frame frame) {
  std::vector<double> ms;
  for (int i = 0; i < 300; ++i) {
    const auto start = std::chrono::steady_clock::now();
    frame();
    gl.swap();
    glFinish();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return median(ms);
}

struct Calibration {
  double clearSwapMs = 0.0;
  double blendedQuadMs = 0.0;
};

Calibration calibrate(int width, int height) {
  Calibration c;
  testing_support::GlTestContext gl(width, height);
  if (!gl.ok()) return c;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  c.clearSwapMs = medianFrameMs(gl, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });

  // A 256 x 256 RGBA texture with mipmaps off, linear filtering: a veil's kind of picture.
  std::vector<std::uint8_t> texels(256 * 256 * 4);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint8_t>(i * 37 % 251);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glColor4f(1, 1, 1, 0.5f);
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  c.blendedQuadMs = medianFrameMs(gl, [w, h] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glTexCoord2f(0, 1), glVertex2f(0, h);
    glTexCoord2f(1, 1), glVertex2f(w, h);
    glTexCoord2f(1, 0), glVertex2f(w, 0);
    glEnd();
  });
  glDeleteTextures(1, &texture);
  return c;
}

struct StateRow {
  std::string scene;
  int frames = 0;
  double median = 0, p95 = 0, max = 0;
};

struct ShowRun {
  int exitCode = -1;
  std::map<int, StateRow> states;
  double loadingMs = -1;
  double peakMb = -1;
  double jumpMs = -1;
  std::string output;
};

// Reads the table that --stats prints.
ShowRun parseStats(const testing_support::ProgramResult& result) {
  ShowRun run;
  run.exitCode = result.exitCode;
  run.output = result.output;
  std::istringstream lines(result.output);
  std::string line;
  while (std::getline(lines, line)) {
    // "%5d  %-12s %7d %8.2f %8.2f %8.2f": the scene's name is a column of its own.
    int state = 0;
    StateRow row;
    if (line.size() > 20 && std::sscanf(line.c_str(), "%5d", &state) == 1 &&
        std::sscanf(line.c_str() + 20, "%d %lf %lf %lf", &row.frames, &row.median, &row.p95, &row.max) == 4) {
      row.scene = line.substr(7, 12);
      row.scene.erase(row.scene.find_last_not_of(' ') + 1);
      run.states[state] = row;
    }
    std::sscanf(line.c_str(), "loading: %lf ms", &run.loadingMs);
    std::sscanf(line.c_str(), "peak memory: %lf MB", &run.peakMb);
    int jumps = 0;
    std::sscanf(line.c_str(), "jumps: %d, the longest %lf ms", &jumps, &run.jumpMs);
  }
  return run;
}

const char* mark(bool ok) { return ok ? "  " : " !"; }

}  // namespace

int main(int argc, char** argv) {
  std::string show = argc > 1 ? argv[1] : "";
  if (show.empty() && std::getenv("TOLVEK_SHOW_DIR")) show = std::getenv("TOLVEK_SHOW_DIR");
  if (show.empty()) show = ".";
  show = std::filesystem::absolute(show).string();
  // The demo is the one built beside this program.
  if (!std::getenv("TOLVEK_BIN"))
    setenv("TOLVEK_BIN", std::filesystem::read_symlink("/proc/self/exe").parent_path().c_str(), 1);

  std::vector<Calibration> calibrations;
  std::vector<ShowRun> runs;
  for (const Size& size : kSizes) {
    std::fprintf(stderr, "bench_show: calibrating and playing the show at %d x %d...\n", size.width, size.height);
    calibrations.push_back(calibrate(size.width, size.height));
    const std::string mode = std::to_string(size.width) + "x" + std::to_string(size.height);
    runs.push_back(parseStats(
        testing_support::runProgram("tolvek", "--fps 60 --stats --mode " + mode, show)));
    const ShowRun jump = parseStats(testing_support::runProgram(
        "tolvek", "--fps 60 --stats --mode " + mode + " --start " + std::to_string(kJumpToMs) + " --until " +
                      std::to_string(kJumpToMs + 100.0),
        show));
    runs.back().jumpMs = jump.jumpMs;
    if (runs.back().exitCode != 0) {
      std::fprintf(stderr, "bench_show: the show at %s failed (exit %d):\n%s", mode.c_str(), runs.back().exitCode,
                   runs.back().output.c_str());
      return 1;
    }
  }

  // One table: a row per scene state, per size the median, 95th percentile and worst frame.
  // "!" marks a number over its target.
  bool allMet = true;
  std::printf("show frame times on the virtual clock at 60 frames a second (ms: drawing, swap, glFinish)\n");
  std::printf("%5s  %-12s", "state", "scene");
  for (const Size& s : kSizes) std::printf(" | %4dx%-4d %7s %8s %8s %8s", s.width, s.height, "frames", "median", "p95", "max");
  std::printf("\n");
  std::map<int, std::string> scenes;
  for (const ShowRun& run : runs)
    for (const auto& [state, row] : run.states) scenes[state] = row.scene;
  for (const auto& [state, scene] : scenes) {
    std::printf("%5d  %-12s", state, scene.c_str());
    for (size_t i = 0; i < runs.size(); ++i) {
      const auto found = runs[i].states.find(state);
      if (found == runs[i].states.end()) {
        std::printf(" | %9s %7s %8s %8s %8s", "", "-", "-", "-", "-");
        continue;
      }
      const StateRow& r = found->second;
      // The loading frame is timed as the loading time below, not as a frame.
      const bool medianOk = state == -1 || r.median <= kSizes[i].medianTarget;
      const bool p95Ok = state == -1 || kSizes[i].p95Target == 0.0 || r.p95 <= kSizes[i].p95Target;
      allMet = allMet && medianOk && p95Ok;
      std::printf(" | %9s %7d %6.2f%s %6.2f%s %8.2f", "", r.frames, r.median, mark(medianOk), r.p95, mark(p95Ok), r.max);
    }
    std::printf("\n");
  }
  std::printf("%5s  %-12s", "", "clear+swap");
  for (const Calibration& c : calibrations) std::printf(" | %9s %7s %8.2f %8s %8s", "", "", c.clearSwapMs, "", "");
  std::printf("\n%5s  %-12s", "", "blended quad");
  for (const Calibration& c : calibrations) std::printf(" | %9s %7s %8.2f %8s %8s", "", "", c.blendedQuadMs, "", "");
  std::printf("\n");
  for (size_t i = 0; i < runs.size(); ++i) {
    const bool loadingOk = runs[i].loadingMs >= 0 && runs[i].loadingMs <= kLoadingTargetMs;
    const bool memoryOk = runs[i].peakMb >= 0 && runs[i].peakMb <= kMemoryTargetMb;
    const bool jumpOk = runs[i].jumpMs >= 0 && runs[i].jumpMs <= kJumpTargetMs;
    allMet = allMet && loadingOk && memoryOk && jumpOk;
    std::printf("%4dx%-4d loading %.0f ms%s (target %.0f), peak memory %.1f MB%s (target %.0f), "
                "jump to %.0f s %.0f ms%s (target %.0f)\n",
                kSizes[i].width, kSizes[i].height, runs[i].loadingMs, mark(loadingOk), kLoadingTargetMs, runs[i].peakMb,
                mark(memoryOk), kMemoryTargetMb, kJumpToMs / 1000.0, runs[i].jumpMs, mark(jumpOk), kJumpTargetMs);
  }
  std::printf("targets: 640x480 medians <= 16.7 ms and p95 <= 25 ms, 1024x768 medians <= 33 ms, jumps <= 2 s: %s\n",
              allMet ? "all met" : "not all met (!)");
  return 0;
}
