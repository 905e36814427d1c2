// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis.h"

#include <algorithm>
#include <cmath>

namespace tsk::analyses {

std::optional<Failure> checkLevels(std::span<const double> levels) {
  for (double level : levels) {
    if (!(level > 0 && level < 1)) {
      return Failure{Error::BadLevel, "   ERROR: a confidence level is not between 0 and 1"};
    }
  }
  return std::nullopt;
}

std::optional<Failure> checkReplications(int replications) {
  if (replications >= 1) return std::nullopt;
  return Failure{Error::BadReplications,
                 "   ERROR: the number of bootstrap replications must be 1 or more"};
}

Failure sampleWithoutGroups(int sample) {
  return {Error::NoGroups, "   ERROR: sample " + std::to_string(sample) + " has no groups"};
}

std::size_t Sizes::size() const {
  return std::visit([](auto view) { return view.size(); }, view_);
}

std::vector<float> Sizes::values() const {
  return std::visit(
      [](auto view) {
        std::vector<float> x(view.size());
        for (std::size_t i = 0; i < view.size(); ++i) x[i] = static_cast<float>(view[i]);
        return x;
      },
      view_);
}

std::vector<float> Sizes::ascending() const {
  std::vector<float> x = values();
  // Sample files hold their sizes in ascending order: nothing moves then.
  if (!std::is_sorted(x.begin(), x.end())) {
    std::sort(x.begin(), x.end(),
              [](float a, float b) { return a < b || (std::isnan(b) && !std::isnan(a)); });
  }
  return x;
}

}  // namespace tsk::analyses
