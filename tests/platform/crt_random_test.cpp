#include "platform/crt_random.h"

#include <gtest/gtest.h>

namespace {

TEST(CrtRandom, FirstValuesFromTheInitialSeedMatchTheCRuntime) {
  platform::crtSrand(1);
  EXPECT_EQ(platform::crtRand(), 41);
  EXPECT_EQ(platform::crtRand(), 18467);
  EXPECT_EQ(platform::crtRand(), 6334);
  EXPECT_EQ(platform::crtRand(), 26500);
  EXPECT_EQ(platform::crtRand(), 19169);
}

TEST(CrtRandom, ReseedingRepeatsTheSequenceAndStaysInRange) {
  platform::crtSrand(12345);
  int first[100];
  for (int& v : first) {
    v = platform::crtRand();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, platform::kCrtRandMax);
  }
  platform::crtSrand(12345);
  for (int v : first) EXPECT_EQ(platform::crtRand(), v);
  platform::crtSrand(0);
  EXPECT_EQ(platform::crtRand(), 38);  // 2531011 >> 16
}

}  // namespace
