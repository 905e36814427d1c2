// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistogramGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace tsk {

const char* const kHistogramTooLargeMessage =
    "  Too many groups in a sample!\r\n   At most 300000 groups can be displayed.";

namespace {

// Fixed layout of the drawing area, in twips.
constexpr double kAxisLeft = 2500;
constexpr double kAxisSpan = 5500;
constexpr double kPanelsHeight = 5000;
constexpr double kTopMargin = 200;
constexpr double kCircleSide = 120;
constexpr double kRectWidth = 135;
constexpr double kRectHeight = 60;

struct Sample {
  int groups = 0;
  int animals = 0;
  std::vector<double> sizes;  // as stored, normally ascending
};

enum class Read { Value, End, Invalid };

// Takes the first number on the next line that holds one, as every reader of
// the exchange file does: blank lines are passed over and anything after the
// number on its line is ignored.
Read readNumber(std::istream& in, double& value) {
  std::string line;
  while (std::getline(in, line)) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    const char* begin = line.c_str() + first;
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value)) return Read::Invalid;
    return Read::Value;
  }
  return Read::End;
}

// Int of the text: the whole part, rounded towards minus infinity.
double whole(double x) { return std::floor(x); }

bool isWholeSize(double g) { return g >= 1 && g == std::floor(g); }

// count(s, g) for every whole g of one sample.
std::map<double, double> countsOf(const Sample& s, HistogramKind kind) {
  std::map<double, double> counts;
  for (double g : s.sizes) {
    if (isWholeSize(g)) counts[g] += kind == HistogramKind::Crowding ? g : 1.0;
  }
  return counts;
}

void setMarkers(const Sample& s, HistogramKind kind, HistogramPanel& p) {
  const auto& x = s.sizes;
  const int available = static_cast<int>(x.size());
  if (kind == HistogramKind::GroupSize) {
    if (s.groups <= 0) return;
    double sum = 0;
    for (double v : x) sum += v;
    p.hasMean = true;
    p.mean = sum / s.groups;
    const int a = (s.groups + 1) / 2;
    const int b = (s.groups + 2) / 2;
    if (b <= available) {
      p.hasMedian = true;
      p.median = (x[a - 1] + x[b - 1]) / 2;
    }
    return;
  }
  if (s.animals <= 0) return;
  double sumSquares = 0;
  for (double v : x) sumSquares += v * v;
  p.hasMean = true;
  p.mean = sumSquares / s.animals;
  // The median animal: walk the groups adding up animals until each of the
  // two middle positions is reached.
  const double a = std::floor((s.animals + 1.0) / 2);
  const double b = std::floor((s.animals + 2.0) / 2);
  double running = 0;
  double first = 0;
  bool haveFirst = false;
  for (double v : x) {
    running += v;
    if (!haveFirst && running >= a) {
      first = v;
      haveFirst = true;
    }
    if (running >= b) {
      p.hasMedian = true;
      p.median = (first + v) / 2;
      return;
    }
  }
}

HistogramLabel label(std::string text, double left, double top, double width,
                     HistogramLabel::Align align) {
  HistogramLabel l;
  l.text = std::move(text);
  l.rect = TwipsRect{left, top, width, 0};
  l.align = align;
  l.visible = true;
  return l;
}

}  // namespace

std::string histogramNumberText(double value) {
  char buf[64];
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    std::snprintf(buf, sizeof buf, "%.0f", value);
  } else {
    std::snprintf(buf, sizeof buf, "%.7g", value);
  }
  return buf;
}

HistogramPicture drawHistogram(std::istream& in, HistogramKind kind, int limit,
                               const LabelWidth& labelWidth, const LabelWidth& titleWidth) {
  HistogramPicture pic;

  // First pass: the samples, the largest size and maxCount.
  std::vector<Sample> samples;
  for (;;) {
    double n = 0;
    double animals = 0;
    if (readNumber(in, n) != Read::Value) break;
    if (readNumber(in, animals) != Read::Value) break;
    if (n > kMaxHistogramGroups) {
      pic.error = kHistogramTooLargeMessage;
      return pic;
    }
    Sample s;
    s.groups = n > 0 ? static_cast<int>(n) : 0;
    // Totals beyond 32 bits cannot come from a sample file; clamp, never wrap.
    s.animals = static_cast<int>(std::clamp(animals, -2147483647.0, 2147483647.0));
    s.sizes.reserve(static_cast<size_t>(s.groups));
    bool ended = false;
    for (int i = 0; i < s.groups; ++i) {
      double g = 0;
      if (readNumber(in, g) != Read::Value) {
        ended = true;
        break;
      }
      s.sizes.push_back(g);
    }
    samples.push_back(std::move(s));
    if (ended) break;
  }

  pic.k = static_cast<int>(samples.size());
  if (pic.k == 0) return pic;
  std::vector<std::map<double, double>> counts;
  for (const Sample& s : samples) {
    for (double g : s.sizes) pic.largestSize = std::max(pic.largestSize, g);
    counts.push_back(countsOf(s, kind));
    for (const auto& [g, c] : counts.back()) pic.maxCount = std::max(pic.maxCount, c);
  }

  // Scales. Without any group the axis still gets one step rather than a
  // division by zero.
  pic.maxSize = pic.largestSize > 0 ? pic.largestSize : 1;
  if (limit >= 1 && limit < pic.maxSize) pic.maxSize = limit;
  pic.xUnit = whole(kAxisSpan / pic.maxSize);
  // Past 5500 sizes a whole-twip step would be 0 and hide every bar.
  if (pic.xUnit < 1) pic.xUnit = kAxisSpan / pic.maxSize;
  pic.panelHeight = static_cast<int>(whole(kPanelsHeight / pic.k));
  pic.yUnit = pic.maxCount > 0 ? (pic.panelHeight - kTopMargin) / pic.maxCount : 0;

  const double maxSize = pic.maxSize;
  const double xUnit = pic.xUnit;
  for (int s = 1; s <= pic.k; ++s) {
    HistogramPanel p;
    p.baseline = static_cast<int>(kTopMargin) + s * pic.panelHeight;
    const int above = static_cast<int>(kTopMargin) + (s - 1) * pic.panelHeight;
    p.nameLabel = TwipsRect{0, above + 250.0, 2175, pic.panelHeight - 250.0};
    p.axisX1 = kAxisLeft;
    p.axisX2 = kAxisLeft + maxSize * xUnit;
    p.groups = samples[s - 1].groups;
    p.animals = samples[s - 1].animals;

    if (s == 1) {
      // Right-aligned to the vertical axis, in the free row above the top
      // number, so the two never run together.
      const std::string countText =
          kind == HistogramKind::GroupSize ? "Number of groups" : "Number of group members";
      const double countWidth = titleWidth ? titleWidth(countText) : labelWidth(countText);
      // A title wider than the number column starts at the left edge instead.
      pic.countTitle = countWidth <= kAxisLeft
                           ? label(countText, 0, 0, kAxisLeft, HistogramLabel::Align::Right)
                           : label(countText, 0, 0, countWidth, HistogramLabel::Align::Left);
      pic.maxCountLabel =
          label(histogramNumberText(pic.maxCount), 1680, 250, 735, HistogramLabel::Align::Right);
      pic.zeroLabel = label("0", 2040, p.baseline - 150.0, 375, HistogramLabel::Align::Right);
    }

    // Placed for every panel, so they end up under the bottom one.
    const std::string sizeText = histogramNumberText(maxSize);
    const double sizeWidth = labelWidth(sizeText);
    pic.maxSizeLabel = label(sizeText, kAxisLeft + (maxSize - 0.5) * xUnit - sizeWidth / 2 - 30,
                             p.baseline + 80.0, sizeWidth, HistogramLabel::Align::Left);
    const double oneWidth = labelWidth("1");
    pic.oneLabel = label("1", kAxisLeft + 0.5 * xUnit - oneWidth / 2, p.baseline + 80.0, oneWidth,
                         HistogramLabel::Align::Left);
    pic.oneLabel.visible = maxSize > 1;
    // Just past the end of the axis and above its line, where no bar and
    // no number can be; pulled in only if the drawing is too narrow for it.
    const std::string sizeTitle = "Group size";
    const double sizeTitleWidth = titleWidth ? titleWidth(sizeTitle) : labelWidth(sizeTitle);
    const double sizeTitleLeft = std::min(p.axisX2 + 60, kHistogramDrawingWidth - sizeTitleWidth);
    pic.axisTitle =
        label(sizeTitle, std::max(0.0, sizeTitleLeft), p.baseline - kHistogramTitleHeight - 20,
              sizeTitleWidth, HistogramLabel::Align::Left);

    for (const auto& [g, c] : counts[s - 1]) {
      if (g > maxSize) break;
      if (c <= 0) continue;
      HistogramBar bar;
      bar.size = g;
      bar.count = c;
      const double height = whole(pic.yUnit * c);
      bar.rect = TwipsRect{kAxisLeft + (g - 1) * xUnit, p.baseline - height, xUnit, height};
      p.bars.push_back(bar);
    }

    // Markers follow 5500 / maxSize, not the whole-twip step, and are drawn
    // even beyond the end of a limited axis.
    setMarkers(samples[s - 1], kind, p);
    if (p.hasMean) {
      p.meanMarker =
          TwipsRect{kAxisLeft + kAxisSpan * p.mean / maxSize - kCircleSide / 2 - xUnit / 2,
                    p.baseline + 50.0, kCircleSide, kCircleSide};
    }
    if (p.hasMedian) {
      p.medianMarker =
          TwipsRect{kAxisLeft + kAxisSpan * p.median / maxSize - kRectWidth / 2 - xUnit / 2,
                    p.baseline + 35.0, kRectWidth, kRectHeight};
    }
    pic.panels.push_back(std::move(p));
  }
  return pic;
}

HistogramPicture drawHistogramFile(const std::string& path, HistogramKind kind, int limit,
                                   const LabelWidth& labelWidth, const LabelWidth& titleWidth) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    HistogramPicture pic;
    pic.error = "Cannot open " + path;
    return pic;
  }
  return drawHistogram(in, kind, limit, labelWidth, titleWidth);
}

}  // namespace tsk
