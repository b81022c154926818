#include "capture/recording_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace capture {

std::string progressLine(const ProgressFigures& f, bool withBar) {
  const double share = f.totalMs > 0.0 ? std::clamp(f.doneMs / f.totalMs, 0.0, 1.0) : 0.0;
  std::string line;
  if (withBar) {
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(std::lround(share * kWidth));
    line = "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "]  ";
  }
  char text[160];
  std::snprintf(text, sizeof text, "%.1f s of %.1f s (%d%%)  %.0f fps", f.doneMs / 1000.0, f.totalMs / 1000.0,
                static_cast<int>(share * 100.0), f.framesPerSecond);
  line += text;
  if (f.secondsLeft >= 0.0) {
    const long left = std::lround(f.secondsLeft);
    std::snprintf(text, sizeof text, "  %ld:%02ld left", left / 60, left % 60);
    line += text;
  }
  return line;
}

RecordingProgress::RecordingProgress(double totalMs, std::FILE* out)
    : totalMs_(totalMs), out_(out), terminal_(::isatty(::fileno(out)) == 1), start_(Clock::now()),
      lastShown_(start_) {}

ProgressFigures RecordingProgress::figures() const {
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  ProgressFigures f{doneMs_, totalMs_, seconds > 0.0 ? frames_ / seconds : 0.0, -1.0};
  // Show time per real second so far, once there is some of it to go by.
  if (doneMs_ > 0.0 && seconds > 0.5) f.secondsLeft = std::max(0.0, (totalMs_ - doneMs_) * seconds / doneMs_);
  return f;
}

void RecordingProgress::frameDone(double demoMs) {
  doneMs_ = std::max(doneMs_, std::min(demoMs, totalMs_));
  ++frames_;
  const auto now = Clock::now();
  const auto every = terminal_ ? std::chrono::milliseconds(250) : std::chrono::milliseconds(5000);
  if (now - lastShown_ < every) return;
  lastShown_ = now;
  const std::string line = "recording " + progressLine(figures(), terminal_);
  if (terminal_)
    std::fprintf(out_, "\r%s\033[K", line.c_str());
  else
    std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
  shown_ = true;
}

void RecordingProgress::finish() {
  if (!shown_) return;
  if (terminal_) std::fputc('\n', out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace capture
