#include "capture/video_recorder.h"

#include <sys/statvfs.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "capture/frame_filter.h"

namespace capture {
namespace {

namespace fs = std::filesystem;

// The working folders of the recordings under way. A run that ends through exit() without
// unwinding (Xlib does so when the display goes away) still removes them.
std::vector<std::string>& workFoldersInUse() {
  static std::vector<std::string> folders;
  static const bool registered = [] {
    return std::atexit([] {
      std::error_code ec;
      for (const auto& folder : workFoldersInUse()) fs::remove_all(folder, ec);
    }) == 0;
  }();
  (void)registered;
  return folders;
}

}  // namespace

std::string videoContainer(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {".mp4", ".mkv", ".webm"})
    if (ext == known) return ext.substr(1);
  return {};
}

std::string VideoRecorder::findEncoder() { return findProgram("ffmpeg"); }

VideoRecorder::VideoRecorder(std::string outputPath, int width, int height, platform::FrameRate rate,
                             VideoQuality quality, std::string encoder)
    : output_(std::move(outputPath)), encoder_(std::move(encoder)), container_(videoContainer(output_)),
      width_(width), height_(height), rate_(rate), quality_(quality) {
  std::error_code ec;
  const fs::path out = fs::absolute(output_, ec);
  const fs::path folder = out.parent_path();
  if (ec || !fs::is_directory(folder, ec)) {
    fail("the folder of '" + output_ + "' does not exist");
    return;
  }
  if (fs::is_directory(out, ec)) {
    fail("'" + output_ + "' is a folder; a video needs a file name");
    return;
  }
  // Beside the output, so the finished file is renamed into place, never copied.
  std::string pattern = (folder / ("." + out.filename().string() + ".tolvek-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) {
    fail("cannot write into the folder of '" + output_ + "': " + std::strerror(errno));
    return;
  }
  workFolder_ = pattern;
  workFoldersInUse().push_back(workFolder_);

  const VideoEncoding encoding = videoEncoding(container_, quality_);
  yuv420_ = encoding.yuv420;
  const int w = encoding.yuv420 ? evenSide(width_) : width_, h = encoding.yuv420 ? evenSide(height_) : height_;
  std::vector<std::string> argv = {encoder_, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                   "-f", "rawvideo", "-pix_fmt", encoding.yuv420 ? "yuv420p" : "rgb24",
                                   "-video_size", std::to_string(w) + "x" + std::to_string(h),
                                   "-framerate", rateText(rate_)};
  if (encoding.yuv420) argv.insert(argv.end(), kBt709Tags.begin(), kBt709Tags.end());
  argv.insert(argv.end(), {"-i", "pipe:0"});
  argv.insert(argv.end(), encoding.codec.begin(), encoding.codec.end());
  argv.push_back(workFolder_ + "/picture.mkv");
  if (!encoding_.start(argv, true, workFolder_ + "/ffmpeg.log")) fail("cannot start " + encoder_);
}

VideoRecorder::~VideoRecorder() {
  encoding_.finish();
  removeWorkFolder();
}

std::string VideoRecorder::soundtrackPath() const { return workFolder_ + "/soundtrack.wav"; }

bool VideoRecorder::fail(std::string message) {
  if (error_.empty()) error_ = std::move(message);
  return false;
}

std::string VideoRecorder::encoderLogTail() const {
  std::ifstream log(workFolder_ + "/ffmpeg.log");
  std::string line, last;
  while (std::getline(log, line))
    if (!line.empty()) last = line;
  if (!last.empty()) return " (ffmpeg: " + last + ")";
  // A full disk leaves no room for the encoder's own words either.
  struct statvfs disk {};
  if (::statvfs(workFolder_.c_str(), &disk) == 0 && disk.f_bavail * disk.f_frsize < (1u << 20))
    return " (the disk is full)";
  return {};
}

void VideoRecorder::removeWorkFolder() {
  if (workFolder_.empty()) return;
  std::error_code ec;
  fs::remove_all(workFolder_, ec);
  auto& inUse = workFoldersInUse();
  std::erase(inUse, workFolder_);
  workFolder_.clear();
}

bool VideoRecorder::writeFrame(const std::uint8_t* frame) {
  if (!ok()) return false;
  if (!encoding_.write(frame, frameBytes(width_, height_, yuv420_))) {
    encoding_.finish();
    return fail("the video encoder stopped" + encoderLogTail());
  }
  ++frames_;
  return true;
}

bool VideoRecorder::finish() {
  const int encoded = encoding_.finish();
  encoderCpuS_ = encoding_.cpuSeconds();
  bool done = ok();
  if (done && encoded != 0) done = fail("the video encoder failed" + encoderLogTail());
  if (done && frames_ > 0) {
    const std::string joined = workFolder_ + "/joined." + container_;
    std::vector<std::string> argv = {encoder_, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                     "-i", workFolder_ + "/picture.mkv", "-i", soundtrackPath(),
                                     "-map", "0:v:0", "-map", "1:a:0"};
    for (auto& a : audioCodecArgs(container_, quality_)) argv.push_back(a);
    argv.insert(argv.end(), {"-c:v", "copy"});
    // MP4 players start sooner with the index at the front.
    if (container_ == "mp4") argv.insert(argv.end(), {"-movflags", "+faststart"});
    argv.push_back(joined);
    ChildProcess joining;
    if (!joining.start(argv, false, workFolder_ + "/ffmpeg.log") || joining.finish() != 0)
      done = fail("the video and its soundtrack could not be put together" + encoderLogTail());
    else if (std::error_code ec; fs::rename(joined, output_, ec), ec)
      done = fail("cannot write '" + output_ + "': " + ec.message());
  }
  removeWorkFolder();
  return done;
}

}  // namespace capture
