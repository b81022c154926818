#include "capture/presenter.h"

#include <cstdio>

#include "music/music_player.h"
#include "music/offline_recording.h"
#include "platform/frame_timer.h"

namespace capture {

Presenter::Presenter(CaptureRequest request, std::function<void()> showOnScreen)
    : request_(std::move(request)), showOnScreen_(std::move(showOnScreen)) {
  if (!request_.folder.empty()) {
    frames_ = std::make_unique<FrameRecorder>(request_.folder, *request_.rate);
    if (!frames_->ok()) {
      std::fprintf(stderr, "tolvek: %s\n", frames_->error().c_str());
      ok_ = false;
      return;
    }
    soundtrack_ = request_.folder + "/soundtrack.wav";
  } else if (!request_.video.empty()) {
    video_ = std::make_unique<VideoRecorder>(request_.video, request_.width, request_.height, *request_.rate,
                                             request_.quality, request_.encoder);
    if (!video_->ok()) {
      std::fprintf(stderr, "tolvek: %s\n", video_->error().c_str());
      ok_ = false;
      return;
    }
    soundtrack_ = video_->soundtrackPath();
  }
  if (virtualClock()) platform::useFrameRateCounter(*request_.rate);
  // A benchmark's clock is not the listener's: the song plays silently.
  music::allowSoundDevice(!virtualClock() || request_.recording());
  if (request_.recording()) progress_ = std::make_unique<RecordingProgress>(request_.lengthMs, stderr);
}

bool Presenter::start() {
  if (soundtrack_.empty() || music::startOfflineRecording(soundtrack_)) return true;
  std::fprintf(stderr, "tolvek: cannot write the soundtrack '%s'\n", soundtrack_.c_str());
  return false;
}

void Presenter::present(double demoMs) {
  if ((frames_ || video_) && !failed_) {
    if (frames_ && !frames_->saveFrame(request_.width, request_.height)) {
      std::fprintf(stderr, "tolvek: cannot write frame %d of the recording\n", frames_->framesWritten());
      failed_ = true;
    } else if (video_ && !video_->saveFrame()) {
      failed_ = true;
    } else {
      const int written = frames_ ? frames_->framesWritten() : video_->framesWritten();
      music::advanceOfflineRecording(written * 1000.0 * static_cast<double>(request_.rate->den) /
                                     static_cast<double>(request_.rate->num));
      if (progress_) progress_->frameDone(demoMs);
    }
  }
  if (showOnScreen_) showOnScreen_();
  if (virtualClock()) platform::advanceVirtualFrame();
}

bool Presenter::finish(bool stoppedByViewer, double stoppedAtMs) {
  if (progress_) progress_->finish();
  if (soundtrack_.empty()) return !failed_;
  const bool soundtrackDone = music::finishOfflineRecording();
  if (!soundtrackDone) std::fprintf(stderr, "tolvek: cannot complete the soundtrack of the recording\n");
  if (!video_) return soundtrackDone && !failed_;
  // A video without its sound is not the show: none is made then.
  if (!soundtrackDone || !video_->finish()) {
    std::fprintf(stderr, "tolvek: the recording failed%s%s; no video was written\n", video_->ok() ? "" : ": ",
                 video_->error().c_str());
    return false;
  }
  if (video_->framesWritten() == 0) {
    std::fprintf(stderr, "tolvek: the recording stopped before its first frame; no video was written\n");
  } else {
    std::fprintf(stderr, "tolvek: %s %s: %.1f s of the show, %d frames at %s fps\n",
                 stoppedByViewer ? "recording stopped; what was done is in" : "recorded", request_.video.c_str(),
                 stoppedAtMs / 1000.0, video_->framesWritten(), rateText(*request_.rate).c_str());
  }
  return true;
}

}  // namespace capture
