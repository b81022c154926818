// What ffmpeg is asked to make of the frames and the soundtrack: per container and quality,
// the codec and its settings. H.264 and AAC in MP4 and Matroska, VP9 and Opus in WebM, and
// on request a lossless master: FFV1 in RGB and FLAC in Matroska, which decodes to exactly
// the recorded pictures and samples.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/frame_timer.h"

namespace capture {

enum class VideoQuality { Draft, Good, High, Lossless };

// "draft", "good", "high" or "lossless"; nothing for any other word.
std::optional<VideoQuality> parseVideoQuality(std::string_view word);

// What the 4:2:0 frames are and the video says it holds: BT.709 in studio range.
inline const std::vector<std::string> kBt709Tags = {"-colorspace", "bt709", "-color_primaries", "bt709",
                                                    "-color_trc",  "bt709", "-color_range",     "tv"};

struct VideoEncoding {
  // The frames go to the encoder as 4:2:0 BT.709 (converted by the recorder, rgbToYuv420)
  // for the lossy codecs, as RGB for the lossless master.
  bool yuv420 = false;
  std::vector<std::string> codec;  // codec, its settings, pixel format and colour tags
};

// The picture's and the sound's ffmpeg arguments for `container` ("mp4", "mkv" or "webm") at
// `quality`. Lossless is Matroska's alone.
VideoEncoding videoEncoding(const std::string& container, VideoQuality quality);
std::vector<std::string> audioCodecArgs(const std::string& container, VideoQuality quality);

// "60" or "60000/1001", as ffmpeg and people read a rate.
std::string rateText(platform::FrameRate rate);

}  // namespace capture
