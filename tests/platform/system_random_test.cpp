#include "platform/system_random.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/clock.h"

namespace qs::platform {
namespace {

TEST(SystemRandom, GivesFreshBytesEachCall) {
  std::array<std::uint8_t, 32> first{};
  std::array<std::uint8_t, 32> second{};
  ASSERT_TRUE(SystemRandom(first));
  ASSERT_TRUE(SystemRandom(second));
  EXPECT_NE(first, second);
  EXPECT_NE(first, (std::array<std::uint8_t, 32>{}));
}

TEST(Clock, CalendarTimeIsPlausible) {
  EXPECT_GT(CalendarSeconds(), 1'600'000'000u);  // after September 2020
  EXPECT_LT(CalendarSeconds(), 4'102'444'800u);  // before 2100
}

}  // namespace
}  // namespace qs::platform
