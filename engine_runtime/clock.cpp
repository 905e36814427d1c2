// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <ctime>

#include "platform.h"

namespace tsk {

TimeOfDay localTimeOfDay() {
  std::tm tm{};
  if (!platform::localTime(std::time(nullptr), tm)) return {};
  return {tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::optional<TimeOfDay> parseSeedTime(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  int field[3] = {0, 0, 0};
  for (size_t i = 0; i < 6; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    field[i / 2] = 10 * field[i / 2] + (text[i] - '0');
  }
  if (field[0] > 23 || field[1] > 59 || field[2] > 59) return std::nullopt;
  return TimeOfDay{field[0], field[1], field[2]};
}

SeedTime seedTime(const std::optional<std::string>& setting, const Clock& clock) {
  if (!setting) return {clock ? clock() : localTimeOfDay(), {}};
  if (std::optional<TimeOfDay> t = parseSeedTime(*setting)) return {*t, {}};
  return {{}, kBadSeedTimeMessage};
}

}  // namespace tsk
