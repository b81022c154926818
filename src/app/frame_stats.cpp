#include "app/frame_stats.h"

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "demo/timeline.h"

namespace app {

namespace {

double nearestRank(const std::vector<double>& sorted, double fraction) {
  const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

StateFrameSummary summariseFrames(int state, std::vector<double> frameMs) {
  StateFrameSummary summary;
  summary.state = state;
  summary.frames = static_cast<int>(frameMs.size());
  if (frameMs.empty()) return summary;
  std::sort(frameMs.begin(), frameMs.end());
  summary.medianMs = nearestRank(frameMs, 0.5);
  summary.p95Ms = nearestRank(frameMs, 0.95);
  summary.maxMs = frameMs.back();
  return summary;
}

FrameStats::FrameStats() : frameStart_(Clock::now()) {}

void FrameStats::beginFrame() { frameStart_ = Clock::now(); }

void FrameStats::endFrame(int state, double jumpMs) {
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - frameStart_).count() - jumpMs;
  if (jumpMs > 0.0) jumps_.push_back(jumpMs);
  // The frame that ran the loading sequence counts as the loading state's one frame.
  if (!loaded_ && state != -1) {
    loaded_ = true;
    loadingMs_ = processAgeMs();
    frames_[0].push_back(ms);
    return;
  }
  frames_[static_cast<size_t>(std::clamp(state, -1, kStates - 2) + 1)].push_back(ms);
}

std::string FrameStats::report(int width, int height) const {
  std::ostringstream out;
  char line[160];
  std::snprintf(line, sizeof line, "frame times at %d x %d (ms, drawing and swap)\n", width, height);
  out << line;
  std::snprintf(line, sizeof line, "%5s  %-12s %7s %8s %8s %8s\n", "state", "scene", "frames", "median", "p95", "max");
  out << line;
  for (int i = 0; i < kStates; ++i) {
    if (frames_[static_cast<size_t>(i)].empty()) continue;
    const StateFrameSummary s = summariseFrames(i - 1, frames_[static_cast<size_t>(i)]);
    std::snprintf(line, sizeof line, "%5d  %-12s %7d %8.2f %8.2f %8.2f\n", s.state, demo::sceneStateName(s.state), s.frames,
                  s.medianMs, s.p95Ms, s.maxMs);
    out << line;
  }
  std::snprintf(line, sizeof line, "loading: %.0f ms from process start to the first frame of the show\n", loadingMs_);
  out << line;
  std::snprintf(line, sizeof line, "peak memory: %.1f MB\n", peakMemoryMb());
  out << line;
  for (const std::string& pass : passes_) out << pass;
  if (!jumps_.empty()) {
    std::snprintf(line, sizeof line, "jumps: %zu, the longest %.0f ms\n", jumps_.size(),
                  *std::max_element(jumps_.begin(), jumps_.end()));
    out << line;
  }
  return out.str();
}

void FrameStats::endPass(int pass) {
  const ProcessHoldings h = processHoldings();
  char line[160];
  std::snprintf(line, sizeof line, "pass %d: %.1f MB resident (%.1f MB allocated), %d open files, %d threads\n",
                pass, h.residentMb, h.heapMb, h.openFiles, h.threads);
  passes_.push_back(line);
}

ProcessHoldings processHoldings() {
  ProcessHoldings h;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) h.residentMb = std::atof(line.c_str() + 6) / 1024.0;
    if (line.rfind("Threads:", 0) == 0) h.threads = std::atoi(line.c_str() + 8);
  }
#ifdef __GLIBC__
  const struct mallinfo2 heap = mallinfo2();
  h.heapMb = static_cast<double>(heap.uordblks + heap.hblkhd) / (1024.0 * 1024.0);
#endif
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec))
    ++h.openFiles;
  return h;
}

double processAgeMs() {
  // Field 22 of /proc/self/stat is the start time in clock ticks since boot.
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  timespec now{};
  if (close == std::string::npos || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0.0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  const double ticks = std::strtod(field.c_str(), nullptr);
  const double startSeconds = ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
  const double nowSeconds = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  return std::max(0.0, (nowSeconds - startSeconds) * 1000.0);
}

double peakMemoryMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace app
