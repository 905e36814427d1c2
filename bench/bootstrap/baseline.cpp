// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseline.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "numerics.h"

namespace baseline {

namespace {

std::string print(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string print(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

}  // namespace

void exchangeSort(float* x, int n) {
  for (int i = 0; i < n - 1; ++i)
    for (int j = i + 1; j < n; ++j)
      if (x[i] > x[j]) {
        float t = x[i];
        x[i] = x[j];
        x[j] = t;
      }
}

OneSample oneSample(const std::vector<float>& x, int B, Kind kind, Generator& g,
                    std::initializer_list<float> levels) {
  const int n = static_cast<int>(x.size());
  OneSample r;
  // The statistic and the jackknife values.
  float s1 = 0.0f, s2 = 0.0f;
  for (int i = 0; i < n; ++i) {
    s1 = static_cast<float>(static_cast<double>(s1) + x[i]);
    s2 = static_cast<float>(static_cast<double>(s2) + static_cast<double>(x[i]) * x[i]);
  }
  std::vector<float> j(n);
  if (kind == Kind::Mean) {
    r.statistic = static_cast<float>(static_cast<double>(s1) / n);
    for (int i = 0; i < n; ++i)
      j[i] = static_cast<float>((static_cast<double>(s1) - x[i]) / (n - 1));
  } else {
    r.statistic = static_cast<float>(static_cast<double>(s2) / s1);
    for (int i = 0; i < n; ++i) {
      j[i] = static_cast<float>((static_cast<double>(s2) - static_cast<double>(x[i]) * x[i]) /
                                (static_cast<double>(s1) - x[i]));
    }
  }
  float jsum = 0.0f;
  for (int i = 0; i < n; ++i) jsum = static_cast<float>(static_cast<double>(jsum) + j[i]);
  float jm = static_cast<float>(static_cast<double>(jsum) / n);
  float sd2 = 0.0f, sd3 = 0.0f;
  for (int i = 0; i < n; ++i) {
    float d = static_cast<float>(static_cast<double>(j[i]) - jm);
    sd2 = static_cast<float>(sd2 + static_cast<double>(d) * d);
    sd3 = static_cast<float>(sd3 + static_cast<double>(d) * d * d);
  }
  float p15 = static_cast<float>(std::pow(static_cast<double>(sd2), 1.5));
  r.a = static_cast<float>(-(static_cast<double>(sd3) / p15) / 6.0);

  // The bootstrap, replication by replication and draw by draw.
  std::vector<float> b(B);
  for (int rep = 0; rep < B; ++rep) {
    float t1 = 0.0f, t2 = 0.0f;
    for (int i = 0; i < n; ++i) {
      float v = x[g.draw(n) - 1];
      t1 = static_cast<float>(static_cast<double>(t1) + v);
      t2 = static_cast<float>(static_cast<double>(t2) + static_cast<double>(v) * v);
    }
    b[rep] = kind == Kind::Mean ? static_cast<float>(static_cast<double>(t1) / n)
                                : static_cast<float>(static_cast<double>(t2) / t1);
    if (b[rep] < r.statistic) ++r.count;
  }
  float p0 = static_cast<float>(static_cast<double>(r.count) / B);
  r.z0 = tsk::stnicdf(p0);
  exchangeSort(b.data(), B);

  for (float c : levels) {
    Level l;
    l.c = c;
    l.percent = static_cast<int>(100.0 * c + 0.1);
    float alpha1 = static_cast<float>((1.0 - c) / 2.0);
    float alpha2 = static_cast<float>(1.0 - alpha1);
    float zl = tsk::stnicdf(alpha1);
    float zu = tsk::stnicdf(alpha2);
    double wl = static_cast<double>(r.z0) + zl;
    double wu = static_cast<double>(r.z0) + zu;
    float pl = tsk::stncdf(static_cast<float>(r.z0 + wl / (1.0 - r.a * wl)));
    float pu = tsk::stncdf(static_cast<float>(r.z0 + wu / (1.0 - r.a * wu)));
    l.kl = static_cast<int>(static_cast<double>(B) * pl);
    l.ku = static_cast<int>(static_cast<double>(B) * pu);
    if (kind == Kind::Crowding) {
      l.ku = l.ku + 1;
      if (l.ku > B) l.ku = B;
    }
    l.lower = l.kl == 0 ? b[0] : b[l.kl - 1];
    l.upper = l.ku == 0 ? b[0] : b[l.ku - 1];
    l.warn = l.kl < 10 || l.ku >= B - 8;
    r.levels.push_back(l);
  }
  r.sorted = std::move(b);
  return r;
}

std::vector<std::string> oneSampleReport(Kind kind, int n, int B, const OneSample& r) {
  const bool mean = kind == Kind::Mean;
  std::vector<std::string> lines = {
      "",
      mean ? "Bootstrap (BCa) confidence limits for the mean group size"
           : "Bootstrap (BCa) confidence limits for the mean crowding",
      " ",
      mean ? print("    Sample mean group size =%9.2f", r.statistic)
           : print("    Sample mean crowding =%7.2f", r.statistic),
      print("    Number of groups in the sample =%5d", n),
      "  ",
      print("    Number of bootstrap replications =%6d", B),
      mean ? "     (to change edit the file gsmeanci.par)"
           : "     (to change edit the file crowreps.par)",
  };
  for (const Level& l : r.levels) {
    lines.push_back("");
    lines.push_back(print("%6d%% confidence limits:%7.2f  to%7.2f  (bootst. indices:%6d ,%6d )",
                          l.percent, l.lower, l.upper, l.kl, l.ku));
    if (l.warn) {
      lines.push_back(
          print("      WARNING:%3d%% limits are uncertain, increase the number of replications!",
                l.percent));
    }
  }
  return lines;
}

std::vector<std::string> twoSampleReport(const std::vector<float>& x1, const std::vector<float>& x2,
                                         int B, Generator& g) {
  std::vector<std::string> lines = {"", "Two-sample comparison of mean crowding"};
  OneSample r[2];
  const std::vector<float>* samples[2] = {&x1, &x2};
  for (int s = 0; s < 2; ++s) {
    r[s] = oneSample(*samples[s], B, Kind::Crowding, g, {0.975f});
    const Level& l = r[s].levels[0];
    lines.push_back("");
    lines.push_back(print("  Sample%2d:", s + 1));
    lines.push_back(print("    Sample mean crowding =%7.2f", r[s].statistic));
    lines.push_back(
        print("    Number of groups in the sample =%5d", static_cast<int>(samples[s]->size())));
    lines.push_back("  ");
    lines.push_back(print("    Number of bootstrap replications =%6d", B));
    lines.push_back("     (to change edit the file crowreps.par)");
    lines.push_back("");
    lines.push_back(print("    97.5%% confidence limits:%7.2f to%7.2f (bootst. indices:%6d ,%6d)",
                          l.lower, l.upper, l.kl, l.ku));
    if (l.warn) {
      lines.push_back(
          print("      WARNING:%5.1f%% limits are uncertain, increase the number of replications!",
                100.0 * l.c));
    }
  }
  lines.push_back("");
  lines.push_back("Comparison based on confidence intervals:");
  const Level& a = r[0].levels[0];
  const Level& b = r[1].levels[0];
  if (a.upper < b.lower || b.upper < a.lower) {
    lines.push_back("    As the above 97.5% confidence intervals do not overlap, the difference");
    lines.push_back("    between the two samples is significant (p<0.05).");
  } else {
    lines.push_back("    As the above 97.5% confidence intervals overlap, the difference");
    lines.push_back("    between the two samples is non-significant (p>0.05).");
  }
  return lines;
}

}  // namespace baseline
