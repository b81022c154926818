// The recorder's second thread. Drawn pictures are handed over as they were read back, turned
// into recorded frames (filtered down, sub-frames averaged, rows packed top down or converted
// to 4:2:0 for the lossy codecs) and written (into the encoder's pipe or a PNG file) while the
// show draws the next ones. A few buffers go round between the two threads; when all are in use the drawing waits, so a slow
// disk or encoder holds the show back instead of filling the memory.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace capture {

struct FrameShape {
  int width = 0, height = 0;  // the recorded picture
  int supersample = 1;        // drawn N times wider and higher
  bool yuv420 = false;        // frames handed on as 4:2:0 (rgbToYuv420) instead of RGB
  int drawnWidth() const { return width * supersample; }
  int drawnHeight() const { return height * supersample; }
};

// Seconds each thread spent per stage, for the recorder's profile.
struct PipelineTimes {
  double waitingForBufferS = 0.0;  // drawing thread: every buffer still with the writer
  double filteringS = 0.0;         // writer: filter, average, pack
  double writingS = 0.0;           // writer: the encoder's pipe or the PNG file
};

class FramePipeline {
 public:
  // Writes one finished frame (top-down RGB, width x height x 3, or 4:2:0 as the shape
  // says); false when it failed.
  using Sink = std::function<bool(const std::uint8_t* frame)>;

  // `buffers` drawn pictures may be on their way at once (at least 1).
  FramePipeline(FrameShape shape, Sink sink, int buffers);
  ~FramePipeline();  // finishes what was handed over
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // A buffer of drawn size (RGBA) to read the next picture into; waits while none is free.
  std::uint8_t* acquire();
  // Hands over the acquired buffer: it counts `weight` times in the frame under way, and
  // `completesFrame` writes that frame out.
  void submit(std::uint32_t weight, bool completesFrame);

  // Waits until everything handed over is written. False when a frame could not be.
  bool finish();
  bool failed() const;
  int framesWritten() const;
  PipelineTimes times() const;

 private:
  struct Job {
    int buffer;
    std::uint32_t weight;
    bool completesFrame;
  };
  void run();
  void process(const Job& job);

  FrameShape shape_;
  Sink sink_;
  std::vector<std::vector<std::uint8_t>> buffers_;
  std::vector<std::uint32_t> sums_;
  std::vector<std::uint8_t> rgb_;    // a filtered or averaged frame, before its 4:2:0 conversion
  std::vector<std::uint8_t> frame_;  // what the sink is given
  std::uint32_t weightSoFar_ = 0;
  int acquired_ = -1;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<int> free_;
  std::deque<Job> queue_;
  bool stopping_ = false, failed_ = false;
  int written_ = 0;
  PipelineTimes times_;
  std::thread worker_;
};

}  // namespace capture
