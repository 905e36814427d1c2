// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tsk {

namespace {

struct Item {
  float value;
  float* out;
};

// Writes start + midrank - 1 for every item, by sorting instead of comparing
// all pairs: O(n log n) for the same numbers.
void midranks(std::vector<Item>& items, float start) {
  auto numbers = std::partition(items.begin(), items.end(),
                                [](const Item& it) { return std::isnan(it.value); });
  for (auto it = items.begin(); it != numbers; ++it) *it->out = start;
  std::sort(numbers, items.end(), [](const Item& a, const Item& b) { return a.value < b.value; });
  long below = 0;
  for (auto run = numbers; run != items.end();) {
    auto end = run + 1;
    while (end != items.end() && end->value == run->value) ++end;
    const long t = end - run;
    const float rank = static_cast<float>(start + below + 0.5 * static_cast<double>(t - 1));
    for (auto it = run; it != end; ++it) *it->out = rank;
    below += t;
    run = end;
  }
}

void addItems(std::vector<Item>& items, const float* x, int n, float* out) {
  for (int i = 0; i < n; ++i) items.push_back({x[i], out + i});
}

void pooled(const float* x1, int n1, const float* x2, int n2, float* r1, float* r2, float start) {
  std::vector<Item> items;
  items.reserve(static_cast<size_t>(std::max(n1, 0) + std::max(n2, 0)));
  addItems(items, x1, n1, r1);
  addItems(items, x2, n2, r2);
  midranks(items, start);
}

}  // namespace

void ranks(const float* x1, int n1, const float* x2, int n2, float* r1, float* r2, float* q1,
           float* q2) {
  pooled(x1, n1, x2, n2, r1, r2, 1.0f);
  std::vector<Item> items;
  addItems(items, x1, n1, q1);
  midranks(items, 1.0f);
  items.clear();
  addItems(items, x2, n2, q2);
  midranks(items, 1.0f);
}

void ranks2(const float* x1, int n1, const float* x2, int n2, float* p1, float* p2) {
  pooled(x1, n1, x2, n2, p1, p2, 0.0f);
}

void meanStd(const float* x, int n, float& mean, float& sd, int& flag) {
  float sum = 0.0f;
  float squares = 0.0f;
  for (int i = 0; i < n; ++i) {
    sum = static_cast<float>(static_cast<double>(sum) + x[i]);
    squares = static_cast<float>(static_cast<double>(squares) + static_cast<double>(x[i]) * x[i]);
  }
  mean = static_cast<float>(static_cast<double>(sum) / n);
  float variance = static_cast<float>(
      (static_cast<double>(squares) - static_cast<double>(mean) * mean * n) / (n - 1));
  if (variance < 0.0f) variance = 0.0f;
  sd = static_cast<float>(std::pow(static_cast<double>(variance), 0.5));
  flag = 1;
}

}  // namespace tsk
