#include "cli/progress_text.h"

#include <gtest/gtest.h>

namespace qs::cli {
namespace {

TEST(ProgressText, ShowsSpeedAndTimeLeftOnlyWhenMeaningful) {
  EXPECT_EQ(ProgressLine(0, 0, 0), "  0 %");
  EXPECT_EQ(ProgressLine(0.5, 50'000'000, 0.1), " 50 %");  // too early for a speed
  EXPECT_EQ(ProgressLine(0.25, 100'000'000, 2), " 25 %      50.0 MB/s   00:06 kvar");
  EXPECT_EQ(ProgressLine(1, 200'000'000, 4), "100 %      50.0 MB/s");
  EXPECT_EQ(ProgressLine(1.7, 0, 4), "100 %");
  EXPECT_EQ(ProgressLine(-1, 0, 4), "  0 %");
}

TEST(ProgressText, SpinnerTurns) {
  EXPECT_EQ(SpinnerLine(0, 0), "| 00:00");
  EXPECT_EQ(SpinnerLine(3, 61), "\\ 01:01");
  EXPECT_EQ(SpinnerLine(4, 0), "| 00:00");
}

}  // namespace
}  // namespace qs::cli
