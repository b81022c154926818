// The character of the intro corridor (folder Doom): an armoured runner in three parts.
// Poses are set on a small skeleton (pelvis, legs by two-bone reach, torso, arms, neck);
// each frame transforms rigid body pieces with it. The lower body holds tag_torso, the
// upper body tag_head; the head has one frame, since the demo never advances it.
//
// Frame layout: both bodies share the first frames (the three deaths); the upper body then
// holds the torso animations, the lower body the legs' ones. Animation.cfg numbers the legs'
// frames after the torso's, as the reader expects before it shifts them back.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "noise.h"
#include "show_model_set.h"
#include "style.h"

namespace modelkit {

using showkit::clamp01;
using showkit::fbm;
using showkit::Image;
using showkit::mix;
using showkit::Rgba;
using showkit::smoothstep;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kFloor = CharacterSet::kFloorZ;
constexpr float kThigh = 15, kShin = 14.5f, kAnkle = 2.8f, kHipSide = 4.2f, kHipDrop = 2.5f;
constexpr float kWaist = 3;                       // tag_torso above the pelvis
constexpr float kShoulderSide = 8.8f, kShoulderZ = 17;
constexpr float kUpperArm = 11, kForearm = 10.5f;
constexpr float kNeckZ = 21;                      // tag_head in the upper body

struct Leg {
  bool reach = true;      // place the ankle (two-bone reach) or set the angles
  Vec3 ankle{};           // reach: ankle target (x, z used), figure units
  float hip = 0, knee = 0;  // angles: forward swing of the thigh, bend of the knee (degrees)
  float footPitch = 0;    // toes down positive
};

struct Arm {
  float forward = 5, out = 10, elbow = 15;  // degrees
};

struct Pose {
  float pelvisZ = kFloor + 33.5f;
  float lean = 3, twist = 0, roll = 0;        // pelvis
  float torsoLean = 2, torsoTwist = 0;        // tag_torso relative to the pelvis
  std::array<Leg, 2> legs;                    // 0 left (+y), 1 right (-y)
  std::array<Arm, 2> arms;
  float neckPitch = 0, neckYaw = 0;
  // Whole-figure rotation about a point on the floor (falls), then floor contact.
  float fall = 0;
  Vec3 fallAxis{0, 1, 0}, pivot{0, 0, kFloor};
  bool keepOnFloor = true;
  float lift = 0;  // height above the floor while airborne
};

float ease(float t) { return t * t * (3 - 2 * t); }
float deg(float radians) { return radians * 180 / kPi; }

// ---- body pieces (built once, in their bone's frame) ----

struct Pieces {
  Mesh pelvis, thigh, shin, foot, kneePad;
  Mesh torso, shoulderPad, upperArm, forearm, hand;
  Mesh head;
};

Mesh uvPlaced(Mesh m, float u0, float v0, float u1, float v1) {
  placeUv(m, u0, v0, u1, v1);
  return m;
}

Pieces buildPieces() {
  Pieces p;
  const Ring pelvis[] = {{{0, 0, -6}, 4.8f, 5.8f}, {{0, 0, -3}, 5.4f, 7.2f}, {{0, 0, 0}, 5.2f, 7}, {{0, 0, 3.5f}, 4.7f, 6.4f}};
  p.pelvis = uvPlaced(loft(pelvis, 16, true, true), 0.5f, 0.75f, 1, 1);
  p.thigh = uvPlaced(limb(kThigh, 3.7f, 2.8f, 12), 0, 0, 0.5f, 0.5f);
  p.shin = uvPlaced(limb(kShin, 2.8f, 2.1f, 12), 0, 0.5f, 0.5f, 1);
  p.kneePad = uvPlaced(sphere(2.2f, 5, 8), 0.5f, 0.5f, 0.75f, 0.75f);
  p.foot = box({4.2f, 2.1f, 1.4f});
  transform(p.foot, Transform::translation({2.2f, 0, -kAnkle + 1.4f}));
  p.foot = uvPlaced(p.foot, 0.5f, 0, 1, 0.5f);

  const Ring torso[] = {{{0, 0, -1}, 4.9f, 6.6f},  {{0.2f, 0, 5}, 4.6f, 6.3f}, {{0.6f, 0, 10}, 5.5f, 7.6f},
                        {{0.4f, 0, 15}, 5.7f, 8.7f}, {{0, 0, 18.5f}, 4.6f, 7.8f}, {{0, 0, 20.8f}, 2.4f, 3.2f}};
  p.torso = uvPlaced(loft(torso, 20, true, true), 0, 0, 0.5f, 1);
  p.shoulderPad = sphere(3.6f, 6, 10);
  transform(p.shoulderPad, Transform::scaling({1, 1, 0.8f}));
  p.shoulderPad = uvPlaced(p.shoulderPad, 0.75f, 0.5f, 1, 1);
  p.upperArm = uvPlaced(limb(kUpperArm, 2.4f, 2.0f, 10), 0.5f, 0, 0.75f, 1);
  p.forearm = uvPlaced(limb(kForearm, 2.1f, 1.6f, 10), 0.75f, 0, 1, 0.5f);
  p.hand = sphere(1.9f, 5, 8);
  transform(p.hand, Transform::scaling({1.1f, 0.8f, 1.3f}));
  p.hand = uvPlaced(p.hand, 0.75f, 0.25f, 1, 0.5f);

  // Head: a helmet with its visor facing +x, on a short neck.
  Mesh neck = uvPlaced(cylinder(2.3f, 4, 10), 0, 0.75f, 1, 1);
  transform(neck, Transform::translation({0, 0, -1}));
  Mesh helmet = sphere(1, 12, 18);
  transform(helmet, Transform::translation({0.6f, 0, 7.2f}) * Transform::scaling({5, 4.4f, 5.4f}));
  placeUv(helmet, 0, 0, 1, 0.75f);
  p.head.append(neck);
  p.head.append(helmet);
  return p;
}

void add(Mesh& into, const Mesh& piece, const Transform& t) {
  Mesh m = piece;
  transform(m, t);
  into.append(m);
}

// ---- the skeleton ----

struct Frame {
  Mesh lower, upper;
  Transform torsoTag, headTag;
};

Transform pelvisTransform(const Pose& pose) {
  return Transform::translation({0, 0, pose.pelvisZ}) * Transform::rotationZ(pose.twist) * Transform::rotationX(pose.roll) *
         Transform::rotationY(pose.lean);
}

// Thigh and shin placements for one leg (figure space, before the fall).
void legTransforms(const Pose& pose, int side, Transform& thigh, Transform& shin, Transform& foot) {
  const Leg& leg = pose.legs[static_cast<size_t>(side)];
  const float y = side == 0 ? kHipSide : -kHipSide;
  const Vec3 hip = pelvisTransform(pose).apply({0, y, -kHipDrop});
  const float yaw = pose.twist;
  if (leg.reach) {
    // Two bones in the leg's own vertical plane; the knee bends forward.
    const float dx = leg.ankle.x - hip.x, dz = leg.ankle.z - hip.z;
    const float d = std::clamp(std::sqrt(dx * dx + dz * dz), 1.0f, kThigh + kShin - 0.05f);
    const float toTarget = std::atan2(dx, -dz);
    const float a = std::acos(std::clamp((kThigh * kThigh + d * d - kShin * kShin) / (2 * kThigh * d), -1.0f, 1.0f));
    const float thighAngle = toTarget + a;
    const Vec3 knee = hip + Vec3{kThigh * std::sin(thighAngle), 0, -kThigh * std::cos(thighAngle)};
    const Vec3 ankle = hip + Vec3{dx, 0, dz} * (d / std::sqrt(dx * dx + dz * dz + 1e-9f));
    const float shinAngle = std::atan2(ankle.x - knee.x, -(ankle.z - knee.z));
    thigh = Transform::translation(hip) * Transform::rotationZ(yaw * 0.3f) * Transform::rotationY(-deg(thighAngle));
    shin = Transform::translation(knee) * Transform::rotationZ(yaw * 0.3f) * Transform::rotationY(-deg(shinAngle));
    foot = Transform::translation(ankle) * Transform::rotationZ(yaw * 0.3f) * Transform::rotationY(leg.footPitch);
  } else {
    const Transform pelvisTurn = Transform::rotationZ(pose.twist) * Transform::rotationX(pose.roll) * Transform::rotationY(pose.lean);
    thigh = Transform::translation(hip) * pelvisTurn * Transform::rotationY(-leg.hip);
    shin = thigh * Transform::translation({0, 0, -kThigh}) * Transform::rotationY(leg.knee);
    // The foot stays level with the pelvis unless pitched: undo the shin's turn.
    foot = shin * Transform::translation({0, 0, -kShin}) * Transform::rotationY(leg.hip - leg.knee + leg.footPitch);
  }
}

Transform armTransform(const Arm& arm, int side) {
  const float y = side == 0 ? kShoulderSide : -kShoulderSide;
  return Transform::translation({0, y, kShoulderZ}) * Transform::rotationY(-arm.forward) *
         Transform::rotationX(side == 0 ? arm.out : -arm.out);
}

Frame buildFrame(const Pieces& pieces, const Pose& pose) {
  Frame f;
  const Transform pelvis = pelvisTransform(pose);
  add(f.lower, pieces.pelvis, pelvis);
  for (int side = 0; side < 2; ++side) {
    Transform thigh, shin, foot;
    legTransforms(pose, side, thigh, shin, foot);
    add(f.lower, pieces.thigh, thigh);
    add(f.lower, pieces.kneePad, shin * Transform::translation({1.9f, 0, -0.5f}));
    add(f.lower, pieces.shin, shin);
    add(f.lower, pieces.foot, foot);
  }
  f.torsoTag = pelvis * Transform::translation({0, 0, kWaist}) * Transform::rotationY(pose.torsoLean) *
               Transform::rotationZ(pose.torsoTwist);

  add(f.upper, pieces.torso, Transform{});
  for (int side = 0; side < 2; ++side) {
    const Arm& arm = pose.arms[static_cast<size_t>(side)];
    const Transform upperArm = armTransform(arm, side);
    const Transform forearm = upperArm * Transform::translation({0, 0, -kUpperArm}) * Transform::rotationY(-arm.elbow);
    add(f.upper, pieces.shoulderPad, Transform::translation({0, side == 0 ? kShoulderSide : -kShoulderSide, kShoulderZ + 1.2f}));
    add(f.upper, pieces.upperArm, upperArm);
    add(f.upper, pieces.forearm, forearm);
    add(f.upper, pieces.hand, forearm * Transform::translation({0, 0, -kForearm - 1.6f}));
  }
  f.headTag = Transform::translation({0, 0, kNeckZ}) * Transform::rotationY(pose.neckPitch) * Transform::rotationZ(pose.neckYaw);

  // The fall turns the whole figure about its pivot; then the figure is set on the floor
  // (or lifted above it) so that its lowest point is where the pose wants it.
  const Transform fall = Transform::translation(pose.pivot) * Transform::rotation(pose.fallAxis, pose.fall) *
                         Transform::translation(-pose.pivot);
  transform(f.lower, fall);
  f.torsoTag = fall * f.torsoTag;
  if (pose.keepOnFloor || pose.lift != 0) {
    float lowest = bounds(f.lower.positions).mins.z;
    Mesh upperPlaced = f.upper;
    transform(upperPlaced, f.torsoTag);
    lowest = std::min(lowest, bounds(upperPlaced.positions).mins.z);
    Mesh headPlaced = pieces.head;
    transform(headPlaced, f.torsoTag * f.headTag);
    lowest = std::min(lowest, bounds(headPlaced.positions).mins.z);
    const float dz = kFloor + pose.lift - lowest;
    transform(f.lower, Transform::translation({0, 0, dz}));
    f.torsoTag = Transform::translation({0, 0, dz}) * f.torsoTag;
  }
  return f;
}

// ---- animations ----

Leg planted(float x, float pitch = 0) { return Leg{true, {x, 0, kFloor + kAnkle}, 0, 0, pitch}; }

Pose standing() {
  Pose p;
  p.legs = {planted(0.6f), planted(0.6f)};
  return p;
}

// A cyclic gait: each leg on the ground for `stance` of the cycle, feet from +reach to
// -reach under the hips, lifted by `lift` while swinging.
Pose gait(float phase, float stance, float reach, float lift, float pelvisZ, float bob, float lean, float swing) {
  Pose p;
  for (int side = 0; side < 2; ++side) {
    float ph = phase + 0.5f * static_cast<float>(side);
    ph -= std::floor(ph);
    Leg leg;
    if (ph < stance) {
      const float s = ph / stance;
      leg.ankle = {reach - 2 * reach * s, 0, kFloor + kAnkle};
      leg.footPitch = mix(-8, 20, s * s);
    } else {
      const float s = (ph - stance) / (1 - stance);
      leg.ankle = {-reach + 2 * reach * (0.5f - 0.5f * std::cos(kPi * s)), 0,
                   kFloor + kAnkle + lift * std::pow(std::sin(kPi * s), 0.8f) + lift * 0.5f * std::sin(kPi * std::min(1.0f, s * 2))};
      leg.footPitch = mix(30, -8, s);
    }
    p.legs[static_cast<size_t>(side)] = leg;
  }
  p.pelvisZ = pelvisZ - bob * std::cos(4 * kPi * phase - 2 * kPi * stance + kPi);
  p.lean = lean;
  p.twist = swing * std::sin(2 * kPi * phase);
  p.torsoTwist = -swing * 1.6f * std::sin(2 * kPi * phase);
  return p;
}

// Feet cover about two thirds of the ground the figure travels at the demo's pace (120 units
// a second, some 15 frames a second): longer strides would need longer legs.
Pose runPose(float t) { return gait(t, 0.5f, 19, 11, kFloor + 28.6f, 1.3f, 15, 9); }
Pose walkPose(float t) { return gait(t, 0.6f, 11, 6, kFloor + 32.4f, 0.7f, 4, 6); }
Pose crouchWalkPose(float t) {
  Pose p = gait(t, 0.6f, 9, 5, kFloor + 24, 0.6f, 22, 5);
  p.torsoLean = 12;
  return p;
}
Pose idlePose(float t) {
  Pose p = standing();
  p.pelvisZ += 0.35f * std::sin(2 * kPi * t);
  p.twist = 2 * std::sin(2 * kPi * t);
  return p;
}
Pose crouchIdlePose(float t) {
  Pose p = standing();
  p.legs = {planted(2), planted(2)};
  p.pelvisZ = kFloor + 22 + 0.3f * std::sin(2 * kPi * t);
  p.lean = 24;
  p.torsoLean = 10;
  return p;
}
Pose swimPose(float t) {
  Pose p = standing();
  p.keepOnFloor = false;
  p.lift = 8;
  for (int side = 0; side < 2; ++side) {
    Leg& leg = p.legs[static_cast<size_t>(side)];
    leg.reach = false;
    leg.hip = 25 * std::sin(2 * kPi * t + kPi * static_cast<float>(side));
    leg.knee = 20 + 15 * std::sin(2 * kPi * t + kPi * static_cast<float>(side) + 1);
    leg.footPitch = 40;
  }
  p.lean = 35;
  return p;
}
// Jump (t 0..1): crouch, spring, tuck in the air; backwards leans the other way.
Pose jumpPose(float t, bool backwards) {
  Pose p = standing();
  const float crouch = std::sin(kPi * std::min(1.0f, t * 2.5f)) * (t < 0.4f ? 1.0f : 0.0f);
  const float air = t > 0.3f ? std::sin(kPi * (t - 0.3f) / 0.7f) : 0.0f;
  p.pelvisZ = kFloor + 33.5f - 9 * crouch;
  for (auto& leg : p.legs) {
    leg.ankle = {1.5f, 0, kFloor + kAnkle};
    leg.footPitch = 25 * air;
  }
  if (air > 0) {
    p.keepOnFloor = false;
    p.lift = 14 * air;
    for (auto& leg : p.legs) {
      leg.reach = false;
      leg.hip = 55 * air;
      leg.knee = 80 * air;
    }
  }
  p.lean = backwards ? -8 * air : 12 * air + 15 * crouch;
  return p;
}
Pose landPose(float t, bool backwards) {
  Pose p = standing();
  const float give = std::sin(kPi * std::min(1.0f, t * 1.2f));
  p.pelvisZ = kFloor + 33.5f - 8 * give;
  p.lean = (backwards ? -5 : 15) * give + 3;
  return p;
}
Pose turnPose(float t) {
  Pose p = standing();
  const int side = t < 0.5f ? 0 : 1;
  const float s = std::sin(kPi * std::fmod(t * 2, 1.0f));
  p.legs[static_cast<size_t>(side)].ankle = {0.6f, 0, kFloor + kAnkle + 5 * s};
  p.twist = 25 * std::sin(2 * kPi * t);
  return p;
}
Pose backPose(float t) { return walkPose(1 - t); }

// Torso animations set only what the upper body holds: arms and neck.
Pose gesturePose(float t) {
  Pose p;
  // Right arm: up over the head, three waves, down again; left arm bent like a runner's.
  const float up = ease(clamp01(t / 0.22f)) * ease(clamp01((1 - t) / 0.22f));
  const float wave = std::sin(2 * kPi * 3 * clamp01((t - 0.2f) / 0.6f));
  p.arms[1] = {10 + 5 * up, 12 + 152 * up, 20 + (10 + 30 * wave) * up};
  p.arms[0] = {15 + 20 * std::sin(2 * kPi * t * 2), 12, 85};
  p.neckPitch = 10 * std::sin(2 * kPi * t * 2) * up;
  p.neckYaw = -20 * up;
  return p;
}
Pose attackPose(float t) {
  Pose p;
  const float punch = std::sin(kPi * t);
  p.arms[1] = {15 + 75 * punch, 15 - 5 * punch, 100 - 95 * punch};
  p.arms[0] = {25, 15, 95};
  return p;
}
Pose attack2Pose(float t) {
  Pose p;
  const float swing = std::sin(kPi * t);
  for (auto& arm : p.arms) arm = {-20 + 140 * swing, 12, 40 - 30 * swing};
  p.neckPitch = -10 * swing;
  return p;
}
Pose dropPose(float t) {
  Pose p;
  for (auto& arm : p.arms) arm = {mix(60, 5, ease(t)), 12, mix(60, 15, ease(t))};
  return p;
}
Pose raisePose(float t) { return dropPose(1 - t); }
Pose standArmsPose(float t) {
  Pose p;
  for (auto& arm : p.arms) arm = {5 + 3 * std::sin(2 * kPi * t), 11 + 2 * std::sin(2 * kPi * t), 15};
  p.neckPitch = 2 * std::sin(2 * kPi * t);
  return p;
}
Pose handsOnHipsPose(float t) {
  Pose p;
  for (auto& arm : p.arms) arm = {-12, 38, 115};
  p.neckYaw = 15 * std::sin(2 * kPi * t);
  return p;
}

// Falls: t over the animation; the body tips over during the first 42 % (the intro shows
// the fall for about a second, some 15 frames), bounces and lies.
Pose fallPose(float t, int kind) {
  Pose p = standing();
  const float u = clamp01(t / 0.42f);
  const float tip = u * u;                            // speeds up as it goes over
  const float settle = t > 0.42f ? std::sin(kPi * clamp01((t - 0.42f) / 0.15f)) * 3 : 0;
  const float buckle = std::sin(kPi * u);
  for (auto& leg : p.legs) {
    leg.reach = false;
    leg.hip = 30 * buckle;
    leg.knee = 60 * buckle + 5;
    leg.footPitch = 10 * u;
  }
  if (kind == 0) {  // backwards, arms flung up
    p.fall = -(88 * tip - settle);
    p.pivot = {-3, 0, kFloor};
    for (auto& arm : p.arms) arm = {100 * ease(u), 25 + 40 * ease(u), 20};
    p.neckPitch = -25 * buckle;
  } else if (kind == 1) {  // forwards onto the knees and the face, arms out to catch
    p.fall = 84 * tip - settle;
    p.pivot = {6.5f, 0, kFloor};
    for (auto& leg : p.legs) leg.knee = 95 * buckle + 5, leg.hip = 60 * buckle;
    for (auto& arm : p.arms) arm = {70 * ease(u), 20, 30};
    p.lean = 25 * buckle;
  } else {  // turning and falling on the right side
    p.fall = 82 * tip - settle;
    p.fallAxis = {1, 0, 0};
    p.pivot = {0, -7, kFloor};
    p.twist = 40 * ease(u);
    p.arms[0] = {30 * ease(u), 80 * ease(u), 30};
    p.arms[1] = {10, 10, 40 * buckle};
    p.neckYaw = 30 * ease(u);
  }
  return p;
}

struct AnimationSpec {
  const char* name;
  int frames;
  bool loops;
  int fps;
  std::function<Pose(float)> pose;  // t in 0..1 (cyclic ones never reach 1)
};

float frameTime(int k, int frames, bool loops) {
  return loops ? static_cast<float>(k) / static_cast<float>(frames)
               : (frames > 1 ? static_cast<float>(k) / static_cast<float>(frames - 1) : 0.0f);
}

// Lines of `count` frames in file numbering, one per animation number.
void line(std::array<AnimationLine, 26>& table, int index, int first, int count, bool loops, int fps, const char* name) {
  table[static_cast<size_t>(index)] = {first, count, loops ? count : 0, fps, name};
}

// ---- skins ----

Rgba grain(Rgba c, float u, float v, std::uint32_t seed, float amount) {
  const float g = fbm(u * 40, v * 40, 3, seed, 40, 40);
  Rgba r = c * (1 - amount * 0.5f + amount * g);
  r.a = 1;
  return r;
}

// Light colours: the corridor lights the runner mostly from the front and the far end, and
// the camera follows behind, so the skin itself has to carry the figure.
const Rgba kArmour{0.52f, 0.64f, 0.34f, 1}, kArmourDark{0.3f, 0.38f, 0.2f, 1}, kMetal{0.75f, 0.76f, 0.78f, 1},
    kLeather{0.48f, 0.32f, 0.18f, 1};

Image lowerSkin() {
  Image skin(256, 256);
  // Thighs: plated trousers; shins: greaves with a ridge; boots; pelvis with a belt.
  paintRegion(skin, 0, 0, 0.5f, 0.5f, [](float u, float v) {
    const float plate = smoothstep(0.02f, 0.0f, std::fabs(std::fmod(v * 4, 1.0f) - 0.5f) - 0.46f);
    return grain(mix(kArmour, kArmourDark, 0.6f * plate + 0.3f * std::fabs(std::sin(u * kPi * 2))), u, v, 0x901u, 0.3f);
  });
  paintRegion(skin, 0, 0.5f, 0.5f, 1, [](float u, float v) {
    const float ridge = smoothstep(0.06f, 0.0f, std::fabs(u - 0.5f));
    return grain(mix(mix(kArmour, kMetal, 0.25f), showkit::palette::stoneLight, ridge * 0.6f) * (0.8f + 0.2f * v), u, v, 0x902u, 0.3f);
  });
  paintRegion(skin, 0.5f, 0, 1, 0.5f, [](float u, float v) {
    const float lace = smoothstep(0.1f, 0.0f, std::fabs(std::fmod(v * 8, 1.0f) - 0.5f)) * smoothstep(0.3f, 0.2f, std::fabs(u - 0.5f));
    return grain(mix(kLeather, Rgba{0.2f, 0.14f, 0.08f, 1}, lace), u, v, 0x903u, 0.4f);
  });
  paintRegion(skin, 0.5f, 0.5f, 0.75f, 0.75f, [](float u, float v) { return grain(kMetal, u, v, 0x904u, 0.3f); });
  // Pelvis: dark plates with a belt round the top (v from the bottom ring up) and a buckle
  // in front.
  paintRegion(skin, 0.5f, 0.75f, 1, 1, [](float u, float v) {
    const float belt = smoothstep(0.62f, 0.66f, v) * smoothstep(0.92f, 0.88f, v);
    const float buckle = smoothstep(0.06f, 0.04f, std::fabs(u - 0.5f)) * belt;
    return grain(mix(mix(kArmourDark, kLeather, belt), kMetal, buckle), u, v, 0x905u, 0.3f);
  });
  paintRegion(skin, 0.75f, 0.5f, 1, 0.75f, [](float u, float v) { return grain(kMetal, u, v, 0x906u, 0.3f); });
  return skin;
}

Image upperSkin() {
  Image skin(256, 256);
  // Torso: u round the body (front at 0.5), v from the waist up: a breastplate with a
  // centre ridge, a belly of ribbed plates and a yellow stripe.
  paintRegion(skin, 0, 0, 0.5f, 1, [](float u, float v) {
    const float front = smoothstep(0.3f, 0.2f, std::fabs(u - 0.5f));
    const float ribs = smoothstep(0.03f, 0.0f, std::fabs(std::fmod(v * 10, 1.0f) - 0.5f) - 0.45f) * (v < 0.45f ? 1.0f : 0.0f);
    const float ridge = smoothstep(0.02f, 0.0f, std::fabs(u - 0.5f)) * (v > 0.45f ? 1.0f : 0.0f);
    const float stripe = smoothstep(0.02f, 0.0f, std::fabs(v - 0.43f) - 0.02f);
    Rgba c = mix(kArmourDark, kArmour, 0.4f + 0.6f * front);
    c = mix(c, kArmourDark * 0.6f, ribs * front);
    c = mix(c, kMetal, ridge);
    c = mix(c, Rgba{0.75f, 0.6f, 0.1f, 1}, stripe);
    return grain(c, u, v, 0x911u, 0.3f);
  });
  paintRegion(skin, 0.5f, 0, 0.75f, 1, [](float u, float v) {
    return grain(mix(kArmour, kArmourDark, 0.3f + 0.3f * std::sin(v * kPi * 3)), u, v, 0x912u, 0.3f);
  });
  paintRegion(skin, 0.75f, 0, 1, 0.5f, [](float u, float v) { return grain(mix(kLeather, kArmourDark, v), u, v, 0x913u, 0.35f); });
  paintRegion(skin, 0.75f, 0.5f, 1, 1, [](float u, float v) {
    const float rim = smoothstep(0.75f, 0.9f, v);
    return grain(mix(kMetal, showkit::palette::stoneLight, rim), u, v, 0x914u, 0.25f);
  });
  return skin;
}

Image headSkin() {
  Image skin(256, 256);
  // Helmet: u round (front at 0.5), v from the chin (0) to the crown (1); a dark visor
  // band across the front at eye level with a cold highlight.
  paintRegion(skin, 0, 0, 1, 0.75f, [](float u, float v) {
    const float front = std::fabs(u - 0.5f);
    const float visor = smoothstep(0.22f, 0.19f, front) * smoothstep(0.44f, 0.47f, v) * smoothstep(0.66f, 0.63f, v);
    const float crest = smoothstep(0.03f, 0.0f, std::fabs(front - 0.5f)) * (v > 0.5f ? 1.0f : 0.0f);
    Rgba c = grain(mix(kArmour, kArmourDark, 0.3f * smoothstep(0.3f, 0.0f, v)), u, v, 0x921u, 0.25f);
    c = mix(c, kMetal, crest);
    const float glint = std::exp(-std::pow((u - 0.43f) * 18, 2.0f) - std::pow((v - 0.6f) * 30, 2.0f));
    const Rgba glass = mix(Rgba{0.02f, 0.03f, 0.05f, 1}, Rgba{0.5f, 0.75f, 0.9f, 1}, 0.25f * (v - 0.44f) / 0.22f + glint);
    return mix(c, glass, visor);
  });
  paintRegion(skin, 0, 0.75f, 1, 1, [](float u, float v) { return grain(Rgba{0.4f, 0.34f, 0.28f, 1}, u, v, 0x922u, 0.3f); });
  return skin;
}

SkinnedModel partModel(const std::string& name, const std::string& surface, const std::vector<Mesh>& frames,
                       std::vector<std::vector<TagPose>> tags, Image skin, const std::string& imageName,
                       const std::vector<std::string>& tagLines) {
  SkinnedModel m;
  m.model.name = name;
  m.model.frameCount = static_cast<int>(frames.size());
  m.model.tags = std::move(tags);
  m.model.surfaces.push_back(skinnedSurface(surface, frames, false));
  m.skin = std::move(skin);
  m.imageName = imageName;
  m.jpeg = false;
  // The surface's line names the picture beside the model; tag lines carry no picture.
  for (const std::string& tag : tagLines) m.skinText += tag + ",\n";
  m.skinText += surface + ",models/players/doom/" + imageName + "\n";
  return m;
}

TagPose tagPose(const std::string& name, const Transform& t) { return TagPose{name, t.origin, t.axes}; }

}  // namespace

CharacterSet characterModel() {
  const Pieces pieces = buildPieces();
  // Numbers 0-5 drive both bodies, 6-12 the torso, 13-24 the legs (25 is a spare line).
  const AnimationSpec both[] = {{"BOTH_DEATH1", 24, false, 20, [](float t) { return fallPose(t, 0); }},
                                {"BOTH_DEATH2", 24, false, 20, [](float t) { return fallPose(t, 1); }},
                                {"BOTH_DEATH3", 24, false, 20, [](float t) { return fallPose(t, 2); }}};
  const AnimationSpec torso[] = {{"TORSO_GESTURE", 16, true, 15, gesturePose}, {"TORSO_ATTACK", 8, false, 15, attackPose},
                                 {"TORSO_ATTACK2", 8, false, 15, attack2Pose}, {"TORSO_DROP", 6, false, 20, dropPose},
                                 {"TORSO_RAISE", 6, false, 20, raisePose},     {"TORSO_STAND", 10, true, 10, standArmsPose},
                                 {"TORSO_STAND2", 10, true, 10, handsOnHipsPose}};
  const AnimationSpec legs[] = {{"LEGS_WALKCR", 12, true, 15, crouchWalkPose},
                                {"LEGS_WALK", 14, true, 15, walkPose},
                                {"LEGS_RUN", 10, true, 18, runPose},
                                {"LEGS_BACK", 12, true, 15, backPose},
                                {"LEGS_SWIM", 12, true, 12, swimPose},
                                {"LEGS_JUMP", 8, false, 15, [](float t) { return jumpPose(t, false); }},
                                {"LEGS_LAND", 4, false, 15, [](float t) { return landPose(t, false); }},
                                {"LEGS_JUMPB", 8, false, 15, [](float t) { return jumpPose(t, true); }},
                                {"LEGS_LANDB", 4, false, 15, [](float t) { return landPose(t, true); }},
                                {"LEGS_IDLE", 10, true, 10, idlePose},
                                {"LEGS_IDLECR", 10, true, 10, crouchIdlePose},
                                {"LEGS_TURN", 8, true, 15, turnPose}};

  CharacterSet set;
  std::vector<Mesh> lowerFrames, upperFrames;
  std::vector<std::vector<TagPose>> lowerTags, upperTags;
  const auto addFrame = [&](const Pose& pose, bool lower, bool upper) {
    const Frame f = buildFrame(pieces, pose);
    if (lower) {
      lowerFrames.push_back(f.lower);
      lowerTags.push_back({tagPose("tag_torso", f.torsoTag)});
    }
    if (upper) {
      upperFrames.push_back(f.upper);
      upperTags.push_back({tagPose("tag_head", f.headTag)});
    }
  };
  int number = 0, fileFrame = 0;
  for (const AnimationSpec& a : both) {
    for (int k = 0; k < a.frames; ++k) addFrame(a.pose(frameTime(k, a.frames, a.loops)), true, true);
    line(set.animations, number++, fileFrame, a.frames, a.loops, a.fps, a.name);
    // The "dead" line holds the last frame of the fall.
    std::string dead = a.name;
    dead.replace(dead.find("DEATH"), 5, "DEAD");
    set.animations[static_cast<size_t>(number)] = {fileFrame + a.frames - 1, 1, 0, a.fps, dead};
    ++number;
    fileFrame += a.frames;
  }
  for (const AnimationSpec& a : torso) {
    for (int k = 0; k < a.frames; ++k) addFrame(a.pose(frameTime(k, a.frames, a.loops)), false, true);
    line(set.animations, number++, fileFrame, a.frames, a.loops, a.fps, a.name);
    fileFrame += a.frames;
  }
  for (const AnimationSpec& a : legs) {
    for (int k = 0; k < a.frames; ++k) addFrame(a.pose(frameTime(k, a.frames, a.loops)), true, false);
    line(set.animations, number++, fileFrame, a.frames, a.loops, a.fps, a.name);
    fileFrame += a.frames;
  }
  // A spare 26th line (the table's last entry drives nothing): the torso's stand again.
  set.animations[25] = set.animations[11];
  set.animations[25].name = "SPARE";

  set.lower = partModel("Lower", "l_legs", lowerFrames, lowerTags, lowerSkin(), "Lower.tga", {"tag_torso"});
  set.upper = partModel("Upper", "u_torso", upperFrames, upperTags, upperSkin(), "Upper.tga", {"tag_head"});
  set.head = partModel("Head", "h_head", {pieces.head}, {}, headSkin(), "Head.tga", {});

  // Animation.cfg: keyword and comment lines that the reader skips, then 26 lines of four
  // numbers, each followed by a comment naming it.
  std::string cfg =
      "// animation config file for the corridor runner\n"
      "// first frame, frame count, looping frames, frames per second\n"
      "\n"
      "sex m\n"
      "headoffset 0 0 0\n"
      "footsteps boot\n"
      "\n";
  char text[96];
  for (size_t i = 0; i < set.animations.size(); ++i) {
    const AnimationLine& a = set.animations[i];
    if (i == 6) cfg += "\n// torso: the upper body only\n";
    if (i == 13) cfg += "\n// legs: the lower body only (numbered after the torso's frames)\n";
    std::snprintf(text, sizeof text, "%d\t%d\t%d\t%d\t\t// %s\n", a.first, a.count, a.looping, a.fps, a.name.c_str());
    cfg += text;
  }
  set.animationCfg = cfg;
  return set;
}

}  // namespace modelkit
