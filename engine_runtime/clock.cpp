#include "clock.h"

#include <ctime>

#include "platform.h"

namespace tsk {

TimeOfDay localTimeOfDay() {
  std::tm tm{};
  if (!platform::localTime(std::time(nullptr), tm)) return {};
  return {tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace tsk
