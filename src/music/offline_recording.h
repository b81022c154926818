// The soundtrack of a recorded run. When the clocks run on the virtual counter, frames are
// not drawn in real time, so no audio device plays along: the playing songs are rendered
// here instead, frame by frame, into a 44.1 kHz 16-bit stereo WAV file. A song starts at the
// sample where the recording stood when it was asked to play, so a frame and the sound under
// it share one time origin.
//
// Use: startOfflineRecording before soundInit (which then opens no device), then
// advanceOfflineRecording after every recorded frame with the total time recorded so far,
// and finishOfflineRecording at the end. The file is written under a temporary name and
// renamed when it is complete, so a failed recording leaves no half file behind.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/frame_timer.h"

namespace music {

constexpr int kRecordingRate = 44100;

// False when a recording is already running, an audio device is open or the file cannot be
// created.
bool startOfflineRecording(std::string_view path);

// Renders silence or the playing songs up to the sample of `recordedMs` (rounded to the
// nearest sample). Times at or before the current end add nothing.
void advanceOfflineRecording(double recordedMs);
// The same up to sample frame `samples`.
void advanceOfflineRecordingTo(std::int64_t samples);

// The sample at which frame `frames` of `rate` starts, to the nearest sample, counted exactly
// (no drift at 60000/1001 however long the recording).
std::int64_t samplesAtFrame(std::int64_t frames, platform::FrameRate rate);

// Completes the file. False when no recording ran or writing failed (no file is left then).
bool finishOfflineRecording();

bool offlineRecordingActive();
// Sample frames written so far by the running recording.
std::int64_t offlineRecordedFrames();

}  // namespace music
