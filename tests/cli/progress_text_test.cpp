#include "cli/progress_text.h"

#include <gtest/gtest.h>

#include "operations/file_operation.h"

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

// What the line shows of a running operation: a chunked pipeline reports the chunk it works on
// (counted from 0), an in-memory one every byte twice, for the cipher and for the MAC.
TEST(ProgressText, FollowsWhicheverCounterTheOperationRuns) {
  OperationRequest request;
  EXPECT_EQ(ProgressFraction(request), 0.0);
  EXPECT_EQ(ProgressBytes(request), 0u);
  request.chunkProgress.count = 4;
  request.chunkProgress.current = 1;
  EXPECT_EQ(ProgressFraction(request), 0.5);
  EXPECT_EQ(ProgressBytes(request), 2u * 2097152);
  ResetProgress(request);
  request.totalBytes = 1000;
  request.byteProgress.count = 500;
  EXPECT_EQ(ProgressFraction(request), 0.25);
  EXPECT_EQ(ProgressBytes(request), 250u);
  RequestCancel(request);
  EXPECT_TRUE(request.chunkProgress.cancelRequested());
  EXPECT_TRUE(request.byteProgress.cancelRequested());
  ResetProgress(request);
  EXPECT_FALSE(request.byteProgress.cancelRequested());
  EXPECT_EQ(ProgressFraction(request), 0.0);
}

}  // namespace
}  // namespace qs::cli
