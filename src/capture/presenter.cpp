#include "capture/presenter.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "music/music_player.h"
#include "music/offline_recording.h"
#include "platform/frame_timer.h"

namespace capture {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The picture just drawn, from the framebuffer being read, as RGBA rows bottom up.
void readPicture(int width, int height, std::uint8_t* rgba) {
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}

// Enough buffers to draw one picture while the writer has two, fewer where one picture is
// hundreds of megabytes.
int pipelineBuffers(const FrameShape& shape) {
  const double bytes = 4.0 * shape.drawnWidth() * shape.drawnHeight();
  return bytes > 256e6 ? 2 : 3;
}

}  // namespace

Presenter::Presenter(CaptureRequest request, std::function<void()> showOnScreen)
    : request_(std::move(request)), showOnScreen_(std::move(showOnScreen)) {
  request_.motionBlur = std::max(request_.motionBlur, 1);
  request_.supersample = std::max(request_.supersample, 1);
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
  if (request_.recording()) {
    const FrameShape shape{request_.width, request_.height, request_.supersample, video_ && video_->takesYuv420()};
    FramePipeline::Sink sink;
    if (frames_)
      sink = [this](const std::uint8_t* rgb) { return frames_->writeFrame(rgb, request_.width, request_.height); };
    else
      sink = [this](const std::uint8_t* frame) { return video_->writeFrame(frame); };
    pipeline_ = std::make_unique<FramePipeline>(shape, std::move(sink), pipelineBuffers(shape));
    progress_ = std::make_unique<RecordingProgress>(request_.lengthMs, stderr);
  }
  if (virtualClock()) platform::useFrameRateCounter(*request_.rate);
  // A benchmark's clock is not the listener's: the song plays silently.
  music::allowSoundDevice(!virtualClock() || request_.recording());
}

Presenter::~Presenter() { finishPictures(); }

bool Presenter::start() {
  lastHandOver_ = Clock::now();
  if (soundtrack_.empty() || music::startOfflineRecording(soundtrack_)) return true;
  std::fprintf(stderr, "tolvek: cannot write the soundtrack '%s'\n", soundtrack_.c_str());
  return false;
}

bool Presenter::failed() const { return failed_ || (pipeline_ && pipeline_->failed()); }

void Presenter::record(bool completesFrame, std::uint32_t weight) {
  // The driver may still be drawing: what it takes to finish counts as drawing.
  glFinish();
  drawingS_ += secondsSince(lastHandOver_);
  std::uint8_t* picture = pipeline_->acquire();
  const auto reading = Clock::now();
  readPicture(request_.width * request_.supersample, request_.height * request_.supersample, picture);
  readingS_ += secondsSince(reading);
  pipeline_->submit(weight, completesFrame);
  lastHandOver_ = Clock::now();
}

void Presenter::present(double demoMs, bool still) {
  const int pictures = request_.motionBlur;
  // A still stands for all the pictures of its frame; it comes between frames.
  const bool completesFrame = still || subFrame_ + 1 == pictures;
  if (pipeline_ && !failed()) {
    record(completesFrame, still ? static_cast<std::uint32_t>(pictures) : 1u);
    if (completesFrame) {
      ++framesRecorded_;
      const auto sound = Clock::now();
      music::advanceOfflineRecordingTo(music::samplesAtFrame(framesRecorded_, *request_.rate));
      soundS_ += secondsSince(sound);
      if (progress_) progress_->frameDone(demoMs);
    }
  }
  if (showOnScreen_) showOnScreen_();
  if (!virtualClock()) return;
  if (completesFrame) {
    subFrame_ = 0;
    platform::advanceVirtualFrame();
  } else {
    ++subFrame_;
    platform::setVirtualFramePhase(request_.shutter * subFrame_ / pictures);
  }
}

bool Presenter::finishPictures() {
  if (!pipeline_) return true;
  const bool written = pipeline_->finish();
  pipelineTimes_ = pipeline_->times();
  pipeline_.reset();
  return written;
}

bool Presenter::finish(bool stoppedByViewer, double stoppedAtMs) {
  const auto start = Clock::now();
  const bool picturesWritten = finishPictures();
  if (!picturesWritten && frames_)
    std::fprintf(stderr, "tolvek: cannot write frame %d of the recording\n", frames_->framesWritten());
  if (progress_) progress_->finish();
  if (soundtrack_.empty()) return picturesWritten && !failed_;
  const bool soundtrackDone = music::finishOfflineRecording();
  if (!soundtrackDone) std::fprintf(stderr, "tolvek: cannot complete the soundtrack of the recording\n");
  if (!video_) return soundtrackDone && picturesWritten;
  // A video without its sound is not the show: none is made then.
  const bool videoDone = soundtrackDone && picturesWritten && video_->finish();
  encoderCpuS_ = video_->encoderCpuSeconds();
  wallS_ = secondsSince(start);
  if (!videoDone) {
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

std::string Presenter::profileReport() const {
  if (!request_.recording()) return {};
  const PipelineTimes& p = pipelineTimes_;
  char text[512];
  std::snprintf(text, sizeof text,
                "recording: %lld frames\n"
                "  drawing thread: drawing %.1f s, read-back %.1f s, waiting for the writer %.1f s, soundtrack %.1f s\n"
                "  writer thread:  filtering and packing %.1f s, %s %.1f s\n"
                "  encoder:        %.1f s of CPU, finishing and joining the sound %.1f s\n",
                static_cast<long long>(framesRecorded_), drawingS_, readingS_, p.waitingForBufferS, soundS_,
                p.filteringS, video_ ? "into the encoder's pipe" : "PNG files", p.writingS, encoderCpuS_, wallS_);
  return text;
}

}  // namespace capture
