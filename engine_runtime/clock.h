#pragma once
// The time of day that seeds the generators. Engines read it only through
// EngineContext::clock, so tests run them at a fixed second.

#include <functional>

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

inline Clock fixedClock(int hour, int minute, int second) {
  return [=] { return TimeOfDay{hour, minute, second}; };
}

}  // namespace tsk
