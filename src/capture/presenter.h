// Where finished pictures go: the screen, and in a recording first the PNG folder or the
// video, with the soundtrack rendered in step up to the end of that picture and the progress
// on the terminal. On a virtual clock (a recording, or a benchmark run at a frame rate) every
// presented picture moves the clock on by exactly one frame, so every run draws the same
// frames whatever the machine's speed.
//
// Use: construct from the request (a video needs ffmpeg: findEncoder), check ok(); start()
// once the window is open (before the sound system starts, so no device plays along); then
// present() every finished picture; finish() after the window has closed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "capture/frame_recorder.h"
#include "capture/recording_progress.h"
#include "capture/video_codec.h"
#include "capture/video_recorder.h"
#include "platform/frame_timer.h"

namespace capture {

struct CaptureRequest {
  std::string folder;    // PNG frames and soundtrack.wav
  std::string video;     // one .mp4, .mkv or .webm file (needs `encoder`)
  std::string encoder;   // ffmpeg
  std::optional<platform::FrameRate> rate;  // the virtual clock's frame rate; none: the real clock
  VideoQuality quality = VideoQuality::Good;
  int width = 0, height = 0;
  double lengthMs = 0.0;  // demo time the recording will reach, for the progress line
  bool recording() const { return !folder.empty() || !video.empty(); }
};

class Presenter {
 public:
  // `showOnScreen` puts the picture on the screen (a buffer swap).
  Presenter(CaptureRequest request, std::function<void()> showOnScreen);

  // False (with the reason on standard error) when the recording's outputs cannot be made.
  bool ok() const { return ok_; }
  bool virtualClock() const { return request_.rate.has_value(); }

  // Starts the soundtrack of a recording. False (told) when it cannot be written.
  bool start();

  // Saves the picture (recording), renders the soundtrack up to its end, shows it, and moves
  // a virtual clock on by one frame. `demoMs` is what the picture shows (0 while loading).
  void present(double demoMs);

  // A recording that can no longer be written: the run should stop.
  bool failed() const { return failed_; }

  // Completes the soundtrack and the video and says how it went. `stoppedByViewer`: Escape,
  // the close box or a signal ended the run at `stoppedAtMs`. False when the recording failed.
  bool finish(bool stoppedByViewer, double stoppedAtMs);

 private:
  CaptureRequest request_;
  std::function<void()> showOnScreen_;
  std::unique_ptr<FrameRecorder> frames_;
  std::unique_ptr<VideoRecorder> video_;
  std::unique_ptr<RecordingProgress> progress_;
  std::string soundtrack_;
  bool ok_ = true;
  bool failed_ = false;
};

}  // namespace capture
