// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture of a stacked histogram of group size or of crowding, computed
// without any widget: every bar, axis line, label and marker in twips from
// the top left of the drawing area. The histogram windows only paint what
// this returns, so the layout can be tested without drawing.

#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace tsk {

enum class HistogramKind { GroupSize, Crowding };

// The display limit that means "no limit".
inline constexpr int kNoDisplayLimit = 100000;
// The largest sample the histogram windows accept, in groups.
inline constexpr int kMaxHistogramGroups = 300000;

// The drawing area's width, and the heights the layout allows for a line of
// number labels and of axis titles, in twips.
inline constexpr double kHistogramDrawingWidth = 9690;
inline constexpr double kHistogramLabelHeight = 195;
inline constexpr double kHistogramTitleHeight = 225;

// Refusal of a sample larger than kMaxHistogramGroups.
extern const char* const kHistogramTooLargeMessage;

struct TwipsRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

struct HistogramLabel {
  enum class Align { Left, Right, Centre };
  std::string text;
  TwipsRect rect;  // height 0: as high as the text
  Align align = Align::Left;
  bool visible = false;
};

struct HistogramBar {
  double size = 0;   // the whole group size g
  double count = 0;  // count(s, g)
  TwipsRect rect;
};

struct HistogramPanel {
  int baseline = 0;
  TwipsRect nameLabel;  // text right-aligned in it
  // Axis line from x1 to x2 at y = baseline, two pixels thick.
  double axisX1 = 0;
  double axisX2 = 0;
  std::vector<HistogramBar> bars;
  int groups = 0;   // n as stored at the head of the sample
  int animals = 0;  // N as stored
  // Markers exist only when the sample has something to average.
  bool hasMean = false;
  bool hasMedian = false;
  double mean = 0;
  double median = 0;
  TwipsRect meanMarker;    // circle
  TwipsRect medianMarker;  // rectangle
};

struct HistogramPicture {
  // Non-empty when the file could not be drawn; then nothing else is set.
  std::string error;
  int k = 0;
  double largestSize = 0;  // before the display limit
  double maxSize = 0;      // after the display limit
  double maxCount = 0;
  double xUnit = 0;  // whole twips, or a fraction where maxSize exceeds 5500
  int panelHeight = 0;
  double yUnit = 0;  // 0 when maxCount is 0
  std::vector<HistogramPanel> panels;
  HistogramLabel maxCountLabel;
  HistogramLabel zeroLabel;
  HistogramLabel maxSizeLabel;
  HistogramLabel oneLabel;
  HistogramLabel axisTitle;   // "Group size", at the end of the bottom axis
  HistogramLabel countTitle;  // above the numbers of the vertical axis
};

// Width in twips of a horizontal axis label showing `text`.
using LabelWidth = std::function<double(const std::string& text)>;

// Reads the sample blocks of an exchange file from `in` and lays out the
// picture for the display limit `limit` (kNoDisplayLimit for none).
// `titleWidth` measures the axis titles, in their own font; left empty,
// `labelWidth` does.
HistogramPicture drawHistogram(std::istream& in, HistogramKind kind, int limit,
                               const LabelWidth& labelWidth, const LabelWidth& titleWidth = {});
// The same from the file at `path`; a missing file gives an error.
HistogramPicture drawHistogramFile(const std::string& path, HistogramKind kind, int limit,
                                   const LabelWidth& labelWidth, const LabelWidth& titleWidth = {});

// A size as a label shows it: whole numbers as plain digits.
std::string histogramNumberText(double value);

}  // namespace tsk
