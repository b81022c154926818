// A recording made into one video file (.mp4, .mkv or .webm) by ffmpeg, run as a separate
// program. The frames go to it through a pipe as raw RGB and are encoded while the show
// draws; the soundtrack is written beside them (see the offline recording) and both are put
// together into the output when the recording ends. Everything in between lives in a hidden
// working folder next to the output, which is removed on every way out, so an ended or
// failed recording leaves the finished video or nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "capture/child_process.h"
#include "capture/video_codec.h"
#include "platform/frame_timer.h"

namespace capture {

// The container a file name asks for ("mp4", "mkv" or "webm", whatever the case of its
// suffix), or empty when it names no video.
std::string videoContainer(const std::string& path);

class VideoRecorder {
 public:
  // The encoder program, or empty when ffmpeg is not installed.
  static std::string findEncoder();

  VideoRecorder(std::string outputPath, int width, int height, platform::FrameRate rate, VideoQuality quality,
                std::string encoder);
  ~VideoRecorder();  // an unfinished recording is abandoned: no output, no working files

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // Where the soundtrack of the recording is to be written.
  std::string soundtrackPath() const;

  // Whether the encoder takes its frames as 4:2:0 (rgbToYuv420; the lossy codecs) rather
  // than as top-down RGB rows (the lossless master).
  bool takesYuv420() const { return yuv420_; }
  // Hands one frame, in the form takesYuv420 says, to the encoder.
  bool writeFrame(const std::uint8_t* frame);
  int framesWritten() const { return frames_; }
  // CPU seconds the encoder has used, once finish() has waited for it.
  double encoderCpuSeconds() const { return encoderCpuS_; }

  // Ends the encoding and joins the picture and the finished soundtrack into the output.
  // With no frames nothing is made. False with error() when it failed; the working folder is
  // gone either way.
  bool finish();

 private:
  bool fail(std::string message);
  std::string encoderLogTail() const;
  void removeWorkFolder();

  std::string output_, encoder_, workFolder_;
  std::string container_;  // "mp4", "mkv" or "webm"
  int width_, height_;
  platform::FrameRate rate_;
  VideoQuality quality_;
  int frames_ = 0;
  bool yuv420_ = false;
  double encoderCpuS_ = 0.0;
  ChildProcess encoding_;
  std::string error_;
};

}  // namespace capture
