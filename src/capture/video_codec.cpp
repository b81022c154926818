#include "capture/video_codec.h"

namespace capture {

std::optional<VideoQuality> parseVideoQuality(std::string_view word) {
  if (word == "draft") return VideoQuality::Draft;
  if (word == "good") return VideoQuality::Good;
  if (word == "high") return VideoQuality::High;
  if (word == "lossless") return VideoQuality::Lossless;
  return std::nullopt;
}

VideoEncoding videoEncoding(const std::string& container, VideoQuality quality) {
  if (quality == VideoQuality::Lossless)
    // Intra-only with checksummed slices: every frame decodes on its own, to the exact RGB.
    return {false, {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1", "-pix_fmt", "bgr0"}};
  // Players take high-definition video as BT.709 in studio range: the recorder converts the
  // frames so (on its writer thread, cheaper than the encoder's general converter), and they
  // are tagged so.
  VideoEncoding e;
  e.yuv420 = true;
  if (container == "webm") {
    // VP9: realtime speed for drafts and the default, the good deadline for high.
    const bool high = quality == VideoQuality::High;
    e.codec = {"-c:v", "libvpx-vp9", "-deadline", high ? "good" : "realtime", "-cpu-used", high ? "2" : "8",
               "-row-mt", "1", "-crf", quality == VideoQuality::Draft ? "36" : high ? "24" : "30", "-b:v", "0"};
  } else if (quality == VideoQuality::High) {
    e.codec = {"-c:v", "libx264", "-preset", "medium", "-crf", "14"};
  } else {
    // H.264 on the fastest preset, which leaves the software renderer most of the machine,
    // with the arithmetic coder and the deblocking filter put back: at CRF 18 as good as the
    // "veryfast" preset (PSNR within 0.1 dB on the tunnel) for a third of its time, in about
    // 1.3 to 2 times the bits. Two threads keep up with any drawing at this preset (about
    // 20 ms a 1080p frame each); more only add their coordination's cost.
    e.codec = {"-c:v", "libx264", "-preset", "ultrafast", "-x264-params", "cabac=1:deblock=1", "-threads", "2",
               "-crf", quality == VideoQuality::Draft ? "23" : "18"};
  }
  e.codec.insert(e.codec.end(), {"-pix_fmt", "yuv420p"});
  e.codec.insert(e.codec.end(), kBt709Tags.begin(), kBt709Tags.end());
  return e;
}

std::vector<std::string> audioCodecArgs(const std::string& container, VideoQuality quality) {
  if (quality == VideoQuality::Lossless) return {"-c:a", "flac"};
  if (container == "webm") return {"-c:a", "libopus", "-b:a", quality == VideoQuality::High ? "256k" : "160k"};
  return {"-c:a", "aac", "-b:a", quality == VideoQuality::High ? "256k" : "192k"};
}

std::string rateText(platform::FrameRate rate) {
  return rate.den == 1 ? std::to_string(rate.num) : std::to_string(rate.num) + "/" + std::to_string(rate.den);
}

}  // namespace capture
