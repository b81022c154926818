// The show's cue sheet: every time, window and rate of the script in one place, on the demo
// clock (milliseconds since the end of loading) unless a name says otherwise. The timeline and
// the scenes read their cues from here; so do the content kit, which fits its paths and levels
// to these times, and the tests and benchmarks that look at given moments.
//
// Windows are open intervals: a cue is on while start < now < end. The float constants are
// the single-precision values the script computes with.
#pragma once

namespace demo::cue {

// ---- scenes and their hand-overs (a scene hands over once the clock is past its end) ----

constexpr int introEndMs = 49100;                  // the first scene; its other cues derive from it
constexpr double kTunnelStartMs = introEndMs;      // T0 of the tunnel's shots and veils
constexpr double kTunnelLengthMs = 23000.0;        // the tunnel hands over this long after T0
constexpr double kTunnelEndMs = kTunnelStartMs + kTunnelLengthMs;  // 72100
constexpr double kSecondLevelEndMs = 99836.0;
constexpr double kSecondCameraMs = 108000.0;       // cam32.trj takes over the island's flight
constexpr double kIslandEndMs = 141990.0;
constexpr double kFinalEndMs = 175000.0;
constexpr double kShowEndMs = 246882.0;

// Where one scene hands over to the next: the author's workbench jumps between them.
constexpr double kSceneChangesMs[] = {introEndMs, kTunnelEndMs, kSecondLevelEndMs, kIslandEndMs, kFinalEndMs};

// ---- music ----

// The song is asked for on every frame strictly inside this window.
constexpr double kMusicCueStartMs = 4181.0;
constexpr double kMusicCueEndMs = 4300.0;

// ---- path rates: path segments per millisecond of frame time ----

constexpr float kIntroPathRate = 0.00041f;        // cam.trj
constexpr float kSecondLevelPathRate = 0.00095f;  // cam2.trj and the lights' ligths.trj
constexpr float kIslandPathRate = 0.0007f;        // cam3.trj, then cam32.trj

// sceneClock: 120 units a second of script frames.
constexpr float kSceneClockRate = 0.12f;

// ---- the first scene ----

constexpr float kOpeningFadeEndMs = 2000.0f;     // from black over 0 .. 2000
constexpr double kOpeningFadeDrawnUntilMs = 2100.0;
constexpr double kRunnerFallStartMs = 7000.0;    // the character switches to its fall
constexpr double kRunnerFallEndMs = 7100.0;
constexpr double kRunnerEndMs = 8000.0;          // the character is drawn before this
constexpr double kMonksStartMs = 23500.0, kMonksEndMs = 28200.0;
constexpr double kColumnStartMs = 30800.0, kColumnEndMs = 47350.0;
constexpr double kEchoTrailStartMs = 37681.0;
constexpr double kEchoTrailEndMs = introEndMs - 3700.0;        // 45400
constexpr float kCloseNearPlaneFromMs = introEndMs - 2000.0f;  // 47100: near plane 0.1
constexpr float kIntroFadeOutStartMs = introEndMs - 800.0f;    // 48300: to white

// The overlay's logos run on their own sum of frame times (T), not on the demo clock.
constexpr float kGroupLogoMs = 4000.0f;     // the group logo fades in, then gives way to the title
constexpr float kTitleLogoMs = 10000.0f;    // the presentation logo and the title leave
constexpr float kLogoFadeMs = 3000.0f;      // alpha per millisecond: 1 / 3000
// The panel of turning squares and the caption words.
constexpr double kPanelStartMs = 13850.0;
constexpr double kCaptionCueLengthMs = 20.0;  // each caption cue is open this long
constexpr float kFirstCaptionFadeMs = 6500.0f;
struct CaptionCueTime {
  double startMs;
  float fadeMs;  // 0 keeps the current fade length
};
constexpr CaptionCueTime kCaptionCues[] = {{19500.0, 6500.0f}, {26000.0, 7000.0f}, {33000.0, 13250.0f},
                                           {46250.0, 0.0f}};

// ---- the tunnel: its shots in milliseconds since kTunnelStartMs ----

struct ShotWindow {
  double startMs, endMs;  // open interval, but shot 1 starts at 0 inclusive
};
constexpr ShotWindow kTunnelShots[4] = {{0.0, 4000.0}, {4000.0, 7001.0}, {7000.0, 10001.0}, {10000.0, 23000.0}};
constexpr float kTunnelFadeInMs = 2000.0f;  // shot 1 from white over T0 .. T0 + 2000
// The white flash at the cut to shots 2, 3 and 4.
constexpr float kTunnelFlashes[3][2] = {{4002.0f, 5500.0f}, {7002.0f, 8500.0f}, {10002.0f, 12000.0f}};
constexpr float kTunnelFadeOutStartMs = 71000.0f, kTunnelFadeOutEndMs = 72000.0f;

// ---- the second level ----

constexpr float kSecondLevelFadeInStartMs = 72000.0f, kSecondLevelFadeInEndMs = 73000.0f;
constexpr double kSecondLevelFadeOutFromMs = 98036.0;
constexpr float kSecondLevelFadeOutStartMs = 98037.0f, kSecondLevelFadeOutEndMs = 99900.0f;

// ---- the island ----

constexpr float kIslandFlashStartMs = 99800.0f, kIslandFlashEndMs = 100900.0f;
constexpr float kSecondCameraFlashStartMs = 108000.0f, kSecondCameraFlashEndMs = 108600.0f;

// ---- the final scene, in seconds since its first frame ----

constexpr float kWindowPhaseFromS = 5.0f;    // A = start + 5
constexpr float kSecondPictureFromS = 25.0f;  // B = start + 25
constexpr float kMeltLengthS = 10.0f;         // the first painting melts away over 10 s
constexpr double kFinalFlashFromMs = 174000.0;
constexpr float kFinalFlashStartMs = 174000.0f, kFinalFlashEndMs = 175000.0f;

// ---- the end scene ----

constexpr float kEndScrollPerMs = 0.00076923077f;  // the credits rise 1/1300 unit a millisecond

// ---- what the content kit needs: how long each path flies ----

constexpr double kIntroFlightMs = introEndMs;                                  // cam.trj
constexpr double kSecondLevelFlightMs = kSecondLevelEndMs - kTunnelEndMs;      // cam2.trj, ligths.trj
constexpr double kIslandOpeningFlightMs = kSecondCameraMs - kSecondLevelEndMs;  // cam3.trj
constexpr double kIslandFlightMs = kIslandEndMs - kSecondCameraMs;             // cam32.trj

}  // namespace demo::cue
