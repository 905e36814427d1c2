// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The time of day that seeds the generators. Engines read it only through
// EngineContext::clock, so tests run them at a fixed second.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "mtrand.h"

namespace tsk {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

using Clock = std::function<TimeOfDay()>;

TimeOfDay localTimeOfDay();

// The time written as the decimal number hhmmss, the seed of every run.
inline int hhmmss(const TimeOfDay& t) { return 10000 * t.hour + 100 * t.minute + t.second; }

// The generator's seed of a run started at time t: hhmmss, midnight's 0
// taken as 240000.
inline int32_t clockSeed(const TimeOfDay& t) { return nonZeroSeed(hhmmss(t)); }

inline Clock fixedClock(int hour, int minute, int second) {
  return [=] { return TimeOfDay{hour, minute, second}; };
}

// The environment variable that fixes the second a random engine seeds
// from, written hhmmss, so that a run can be repeated exactly.
inline constexpr const char* kSeedTimeVariable = "TSK_SEED_TIME";

// The report's message when that variable holds no time of day. A bad value
// stops the run instead of falling back to the clock, which would give
// numbers that look repeatable and are not.
inline constexpr const char* kBadSeedTimeMessage =
    "    ERROR: TSK_SEED_TIME must be six digits hhmmss, 000000 to 235959";

// Six digits hhmmss naming a time from 00:00:00 to 23:59:59; nothing else.
std::optional<TimeOfDay> parseSeedTime(std::string_view text);

// The second a random engine seeds from: `setting` (the variable's value)
// when there is one, the clock otherwise. `error` is kBadSeedTimeMessage
// when the setting is malformed, empty when `time` may be used.
struct SeedTime {
  TimeOfDay time;
  std::string error;
};
SeedTime seedTime(const std::optional<std::string>& setting, const Clock& clock);

}  // namespace tsk
