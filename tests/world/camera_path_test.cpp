#include "world/camera_path.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace {

using world::CameraPath;
using world::PointPath;
using world::Vec3;

void expectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A point path of n points (i, 10 i, -i).
std::string linePath(int n, int declared = -1) {
  std::string text = std::to_string(declared < 0 ? n : declared) + "\n";
  for (int i = 0; i < n; ++i)
    text += std::to_string(i) + " " + std::to_string(10 * i) + " " + std::to_string(-i) + "\n";
  return text;
}

TEST(CatmullRom, RunsFromTheSecondToTheThirdPoint) {
  const Vec3 p0{-3, 7, 1}, p1{1, 2, 3}, p2{4, -5, 6}, p3{9, 9, 9};
  expectNear(world::catmullRom(p0, p1, p2, p3, 0.0f), p1);
  expectNear(world::catmullRom(p0, p1, p2, p3, 1.0f), p2);
  // Evenly spaced points give a straight, evenly paced line.
  expectNear(world::catmullRom({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, 0.25f), {1.25f, 1.25f, 1.25f});
  // A single raised control point: 0.5 x w2(0.5) = 0.5 x 1.125, and the outer ones pull back.
  expectNear(world::catmullRom({0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 0}, 0.5f), {0.5625f, 0, 0});
  expectNear(world::catmullRom({1, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0.5f), {-0.0625f, 0, 0});
  expectNear(world::catmullRom({0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, 0.5f), {0, 0, -0.0625f});
}

TEST(PathStepping, ExcessOfTIsDroppedAndOneExactlyStays) {
  world::PathCursor cursor;
  cursor.t = 0.9f;
  EXPECT_TRUE(world::stepPath(cursor, 100, 0.4f));
  EXPECT_EQ(cursor.segment, 1);
  EXPECT_EQ(cursor.t, 0.0f);  // not 0.3

  cursor = {};
  EXPECT_TRUE(world::stepPath(cursor, 100, 1.0f));
  EXPECT_EQ(cursor.segment, 0);
  EXPECT_EQ(cursor.t, 1.0f);

  PointPath path = PointPath::fromText(linePath(8));
  path.advance(1.0f);
  EXPECT_EQ(path.segment(), 0);
  expectNear(path.position(), {2, 20, -2});  // P2 of segment 0
}

TEST(PathStepping, FewerThanFivePointsNeverMove) {
  CameraPath path = CameraPath::fromText("4\n1 2 3\n4 5 6\n7 8 9\n1 1 1\n5 5 5\n6 6 6\n8 8 8\n9 9 9\n");
  for (int i = 0; i < 20; ++i) path.advance(0.3f);
  expectNear(path.eye(), {1, 2, 3});
  expectNear(path.target(), {4, 5, 6});
  EXPECT_TRUE(path.finished());
}

TEST(PathStepping, SixPointsEvaluateSegmentsZeroAndOneOnly) {
  PointPath path = PointPath::fromText(linePath(6));
  expectNear(path.position(), {0, 0, 0});
  path.advance(0.5f);  // the first advance jumps from point 0 to past point 1
  EXPECT_EQ(path.segment(), 0);
  expectNear(path.position(), {1.5f, 15, -1.5f});
  path.advance(0.6f);  // t 1.1: segment 1 at t = 0, which is point 2
  EXPECT_EQ(path.segment(), 1);
  expectNear(path.position(), {2, 20, -2});
  path.advance(0.99f);
  const Vec3 last = path.position();
  EXPECT_NEAR(last.x, 2.99f, 1e-4f);  // close to point 3
  EXPECT_FALSE(path.finished());
  path.advance(0.5f);  // segment 2 would need point 5 as P3 of a segment ending at point 4
  EXPECT_EQ(path.segment(), 2);
  EXPECT_TRUE(path.finished());
  EXPECT_EQ(path.position(), last);
  for (int i = 0; i < 10; ++i) path.advance(2.0f);
  EXPECT_EQ(path.segment(), 12);  // keeps counting
  EXPECT_EQ(path.position(), last);

  PointPath five = PointPath::fromText(linePath(5));
  five.advance(0.5f);
  EXPECT_FALSE(five.finished());
  five.advance(0.6f);
  EXPECT_TRUE(five.finished());
  expectNear(five.position(), {1.5f, 15, -1.5f});
}

TEST(TrjReader, FirstLineReadsLikeStrtol) {
  EXPECT_EQ(world::parseTrj("  +12abc\n").declaredCount, 12);
  EXPECT_EQ(world::parseTrj("7 points\n").declaredCount, 7);
  EXPECT_EQ(world::parseTrj("-3\n").declaredCount, -3);
  EXPECT_EQ(world::parseTrj("// 5\n1 2 3\n").declaredCount, 0);
  EXPECT_EQ(world::parseTrj("99999999999999999999\n").declaredCount, INT32_MAX);
  EXPECT_EQ(world::parseTrj("").declaredCount, 0);
}

TEST(TrjReader, PointLinesTrimAndSplitAtSingleBlanks) {
  expectNear(world::parsePointLine("1 2 3"), {1, 2, 3});
  expectNear(world::parsePointLine("   1 2 3"), {1, 2, 3});
  expectNear(world::parsePointLine("1 2 3   \t\r"), {1, 2, 3});
  expectNear(world::parsePointLine("1  2 3"), {1, 0, 2});     // empty middle piece
  expectNear(world::parsePointLine("1\t2 3"), {1, 3, 0});     // a tab is no separator
  expectNear(world::parsePointLine("10.5 -3 200"), {10.5f, -3, 200});
  expectNear(world::parsePointLine("-1.5e2 .25 4x"), {-150, 0.25f, 4});
  expectNear(world::parsePointLine("1 2"), {1, 2, 0});        // missing numbers read as 0
  expectNear(world::parsePointLine("7"), {7, 0, 0});
  expectNear(world::parsePointLine("   "), {0, 0, 0});        // only blanks
  expectNear(world::parsePointLine("\x80\xff"), {0, 0, 0});   // high bytes trim as controls
  expectNear(world::parsePointLine("1 2 3 4"), {1, 2, 3});
}

TEST(TrjReader, CommentsAndEmptyLinesAreSkippedAndPairsStayTogether) {
  const CameraPath path = CameraPath::fromText(
      "2\r\n"
      "// eye then target\r\n"
      "1 2 3\r\n"
      "// a comment between the eye and its target\r\n"
      "\r\n"
      "4 5 6\r\n"
      "7 8 9\r\n"
      "\n"
      "10 11 12\n");
  EXPECT_EQ(path.pointCount(), 2);
  expectNear(path.eye(), {1, 2, 3});
  expectNear(path.target(), {4, 5, 6});
  expectNear(path.eyeTrack().point(1), {7, 8, 9});
  expectNear(path.targetTrack().point(1), {10, 11, 12});
  // A line of blanks is a point line, not a skipped one: it takes a slot.
  const CameraPath blanks = CameraPath::fromText("2\n1 1 1\n   \n3 3 3\n4 4 4\n");
  expectNear(blanks.target(), {0, 0, 0});
  expectNear(blanks.eyeTrack().point(1), {3, 3, 3});
}

TEST(TrjReader, ExtraLinesAreIgnoredAndMissingPointsRepeatTheLast) {
  const PointPath extra = PointPath::fromText(linePath(9, 6));
  EXPECT_EQ(extra.pointCount(), 6);
  expectNear(extra.track().point(5), {5, 50, -5});
  expectNear(extra.track().point(8), {5, 50, -5});  // line 8 of the file was not taken

  // Seven points declared, four pairs given: the last eye and the last target repeat.
  CameraPath path = CameraPath::fromText("7\n0 0 0\n0 0 -1\n1 0 0\n1 0 -1\n2 0 0\n2 0 -1\n3 0 0\n3 0 -1\n4 0 0\n");
  EXPECT_EQ(path.pointCount(), 7);
  expectNear(path.eyeTrack().point(6), {4, 0, 0});
  expectNear(path.targetTrack().point(6), {3, 0, -1});
  // Segment 2 is the last one evaluated; at t = 1 it reaches eye point 4 and stays there.
  for (int i = 0; i < 14; ++i) path.advance(0.25f);
  EXPECT_EQ(path.segment(), 2);
  EXPECT_FALSE(path.finished());
  expectNear(path.eye(), {4, 0, 0});
  expectNear(path.target(), {3, 0, -1});
  path.advance(0.25f);
  EXPECT_TRUE(path.finished());
  expectNear(path.eye(), {4, 0, 0});
}

TEST(TrjReader, MissingFileStaysAtTheOrigin) {
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd(folder.path());
  CameraPath path = CameraPath::load("no_such_path.trj");
  for (int i = 0; i < 5; ++i) path.advance(0.7f);
  EXPECT_EQ(path.eye(), (Vec3{}));
  EXPECT_EQ(path.target(), (Vec3{}));

  // A real file is read through the path resolver (backslashes, any case).
  folder.write("Cam.trj", linePath(6));
  PointPath found = PointPath::load(".\\CAM.TRJ");
  EXPECT_EQ(found.pointCount(), 6);
  found.advance(0.5f);
  expectNear(found.position(), {1.5f, 15, -1.5f});
}

TEST(TrjReader, HugeDeclaredCountCostsNothingAndRunsOnTheLastPoint) {
  PointPath path = PointPath::fromText("2000000000\n1 1 1\n2 2 2\n");
  EXPECT_EQ(path.pointCount(), 2000000000);
  path.advance(0.5f);
  path.advance(0.6f);
  path.advance(0.5f);
  expectNear(path.position(), {2, 2, 2});
  EXPECT_FALSE(path.finished());
}

}  // namespace
