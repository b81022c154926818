#include "capture/frame_pipeline.h"

#include <algorithm>
#include <chrono>

#include "capture/frame_filter.h"

namespace capture {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

FramePipeline::FramePipeline(FrameShape shape, Sink sink, int buffers) : shape_(shape), sink_(std::move(sink)) {
  const std::size_t drawnBytes = static_cast<std::size_t>(shape_.drawnWidth()) * shape_.drawnHeight() * 4;
  buffers_.resize(static_cast<std::size_t>(std::max(buffers, 1)));
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    buffers_[i].resize(drawnBytes);
    free_.push_back(static_cast<int>(i));
  }
  frame_.resize(frameBytes(shape_.width, shape_.height, shape_.yuv420));
  if (shape_.yuv420) rgb_.resize(frameBytes(shape_.width, shape_.height, false));
  worker_ = std::thread([this] { run(); });
}

FramePipeline::~FramePipeline() { finish(); }

std::uint8_t* FramePipeline::acquire() {
  if (acquired_ >= 0) return buffers_[static_cast<std::size_t>(acquired_)].data();
  const auto start = Clock::now();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !free_.empty(); });
  acquired_ = free_.front();
  free_.pop_front();
  times_.waitingForBufferS += secondsSince(start);
  return buffers_[static_cast<std::size_t>(acquired_)].data();
}

void FramePipeline::submit(std::uint32_t weight, bool completesFrame) {
  if (acquired_ < 0) return;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({acquired_, weight, completesFrame});
  }
  acquired_ = -1;
  changed_.notify_all();
}

void FramePipeline::run() {
  for (;;) {
    Job job{};
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      job = queue_.front();
      queue_.pop_front();
    }
    // After a failure the pictures still go round, so the drawing never waits for nothing.
    if (!failed()) process(job);
    {
      std::lock_guard lock(mutex_);
      free_.push_back(job.buffer);
    }
    changed_.notify_all();
  }
}

void FramePipeline::process(const Job& job) {
  const std::uint8_t* drawn = buffers_[static_cast<std::size_t>(job.buffer)].data();
  auto start = Clock::now();
  const bool plain = shape_.supersample == 1 && job.completesFrame && weightSoFar_ == 0;
  if (!plain) {
    if (sums_.empty()) sums_.assign(static_cast<std::size_t>(shape_.width) * shape_.height * 3, 0);
    addBlockSums(drawn, shape_.width, shape_.height, shape_.supersample, job.weight, sums_.data());
    weightSoFar_ += job.weight;
  }
  if (!job.completesFrame) {
    std::lock_guard lock(mutex_);
    times_.filteringS += secondsSince(start);
    return;
  }
  if (plain && shape_.yuv420) {
    drawnToYuv420(drawn, shape_.width, shape_.height, frame_.data());
  } else if (plain) {
    packRows(drawn, shape_.width, shape_.height, frame_.data());
  } else {
    const auto samples = static_cast<std::uint32_t>(shape_.supersample * shape_.supersample) * weightSoFar_;
    std::uint8_t* rgb = shape_.yuv420 ? rgb_.data() : frame_.data();
    resolveSums(sums_.data(), sums_.size(), samples, rgb);
    std::fill(sums_.begin(), sums_.end(), 0u);
    weightSoFar_ = 0;
    if (shape_.yuv420) rgbToYuv420(rgb, shape_.width, shape_.height, frame_.data());
  }
  const double filtering = secondsSince(start);
  start = Clock::now();
  const bool ok = sink_(frame_.data());
  std::lock_guard lock(mutex_);
  times_.filteringS += filtering;
  times_.writingS += secondsSince(start);
  if (ok)
    ++written_;
  else
    failed_ = true;
}

bool FramePipeline::finish() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
  return !failed();
}

bool FramePipeline::failed() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

int FramePipeline::framesWritten() const {
  std::lock_guard lock(mutex_);
  return written_;
}

PipelineTimes FramePipeline::times() const {
  std::lock_guard lock(mutex_);
  return times_;
}

}  // namespace capture
