// Where finished pictures go: the screen, and in a recording first the PNG folder or the
// video, with the soundtrack rendered in step up to the end of that picture and the progress
// on the terminal. On a virtual clock (a recording, or a benchmark run at a frame rate) every
// presented picture moves the clock on by exactly one frame, so every run draws the same
// frames whatever the machine's speed.
//
// A recording reads each picture back from the framebuffer it was drawn in and hands it to a
// second thread, which filters it down (supersampling), averages the sub-frames (motion
// blur) and writes it while the show draws the next one. With motion blur a frame is several
// pictures drawn at phases within its period (spanning the shutter's part of it); the frame
// is recorded after its last, and the soundtrack follows whole frames only.
//
// Use: construct from the request (a video needs ffmpeg: findEncoder), check ok(); start()
// once the window is open (before the sound system starts, so no device plays along); then
// present() every finished picture; finish() after the window has closed.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "capture/frame_pipeline.h"
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
  int width = 0, height = 0;  // the recorded picture
  int supersample = 1;        // drawn this many times wider and higher
  int motionBlur = 1;         // pictures averaged into one frame
  double shutter = 0.5;       // the part of the frame period they span
  double lengthMs = 0.0;      // demo time the recording will reach, for the progress line
  bool recording() const { return !folder.empty() || !video.empty(); }
};

class Presenter {
 public:
  // `showOnScreen` puts the picture on the screen (a buffer swap); none when drawn offscreen.
  Presenter(CaptureRequest request, std::function<void()> showOnScreen);
  ~Presenter();

  // False (with the reason on standard error) when the recording's outputs cannot be made.
  bool ok() const { return ok_; }
  bool virtualClock() const { return request_.rate.has_value(); }

  // Starts the soundtrack of a recording. False (told) when it cannot be written.
  bool start();

  // Records the picture (a sub-frame of one under motion blur), renders the soundtrack up to
  // the end of a completed frame, shows the picture, and moves a virtual clock on to the next
  // picture's time. `demoMs` is what the picture shows (0 while loading). A still (the
  // progress screens) is a whole frame however many pictures make one.
  void present(double demoMs, bool still = false);
  // The next picture starts a frame (always without motion blur): runs end only here.
  bool atFrameStart() const { return subFrame_ == 0; }

  // A recording that can no longer be written: the run should stop.
  bool failed() const;

  // Completes the soundtrack and the video and says how it went. `stoppedByViewer`: Escape,
  // the close box or a signal ended the run at `stoppedAtMs`. False when the recording failed.
  bool finish(bool stoppedByViewer, double stoppedAtMs);

  // Where a recording's time went, by stage (empty for no recording), once finished.
  std::string profileReport() const;

 private:
  void record(bool completesFrame, std::uint32_t weight);
  bool finishPictures();

  CaptureRequest request_;
  std::function<void()> showOnScreen_;
  std::unique_ptr<FrameRecorder> frames_;
  std::unique_ptr<VideoRecorder> video_;
  std::unique_ptr<FramePipeline> pipeline_;
  std::unique_ptr<RecordingProgress> progress_;
  std::string soundtrack_;
  bool ok_ = true;
  bool failed_ = false;
  int subFrame_ = 0;
  std::int64_t framesRecorded_ = 0;
  // When the picture before was handed over: the time since is the drawing's.
  std::chrono::steady_clock::time_point lastHandOver_;
  // The drawing thread's stages, seconds.
  double drawingS_ = 0.0, readingS_ = 0.0, soundS_ = 0.0, wallS_ = 0.0;
  double encoderCpuS_ = 0.0;
  PipelineTimes pipelineTimes_;
};

}  // namespace capture
