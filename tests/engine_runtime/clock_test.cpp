// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tsk {
namespace {

// The setting of TSK_SEED_TIME against the second it fixes; nullopt: the
// setting is malformed and must not be used.
TEST(SeedTime, ParsesSixDigitsOfATimeOfDay) {
  struct Case {
    std::string text;
    std::optional<int> hhmmss;
  };
  const Case cases[] = {
      {"000000", 0},
      {"101500", 101500},
      {"140327", 140327},
      {"235959", 235959},
      {"095900", 95900},
      {"240000", {}},
      {"236000", {}},
      {"235960", {}},
      {"999999", {}},
      {"", {}},
      {"10150", {}},
      {"1015000", {}},
      {"10:15:00", {}},
      {" 101500", {}},
      {"101500 ", {}},
      {"-10150", {}},
      {"+10150", {}},
      {"1015a0", {}},
      {std::string("1015\0"
                   "0",
                   6),
       {}},
  };
  for (const Case& c : cases) {
    const std::optional<TimeOfDay> t = parseSeedTime(c.text);
    ASSERT_EQ(t.has_value(), c.hhmmss.has_value()) << '"' << c.text << '"';
    if (t) {
      EXPECT_EQ(hhmmss(*t), *c.hhmmss) << c.text;
    }
  }
}

TEST(SeedTime, SettingBeatsTheClockAndABadOneIsNeverReplacedByIt) {
  const Clock clock = fixedClock(13, 5, 9);
  const SeedTime unset = seedTime(std::nullopt, clock);
  EXPECT_EQ(hhmmss(unset.time), 130509);
  EXPECT_EQ(unset.error, "");

  const SeedTime given = seedTime(std::string("101500"), clock);
  EXPECT_EQ(hhmmss(given.time), 101500);
  EXPECT_EQ(given.error, "");

  for (const char* bad : {"", "2500", "13:05:09"}) {
    const SeedTime malformed = seedTime(std::string(bad), clock);
    EXPECT_EQ(malformed.error,
              "    ERROR: TSK_SEED_TIME must be six digits hhmmss, 000000 to 235959")
        << bad;
  }
  // With the engines' message line blank in front it still fits the report.
  EXPECT_LE(std::string(kBadSeedTimeMessage).size() + 1, 79u);
}

}  // namespace
}  // namespace tsk
