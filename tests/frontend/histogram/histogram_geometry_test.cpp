// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram layout in twips, checked without drawing. Expected numbers
// are hand calculations from the layout rules (axis at 2500, 5500 twips of
// axis, panels sharing 5000 twips below a 200-twip margin) unless named
// otherwise.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "HistogramGeometry.h"

namespace {

using tsk::HistogramKind;
using tsk::HistogramPicture;
using tsk::TwipsRect;

// Labels measured as 90 twips a character, so the placements are exact.
double fixedWidth(const std::string& text) { return 90.0 * static_cast<double>(text.size()); }

// One exchange-file block per sample: n, N, the sizes, the blank separator.
std::string blocks(const std::vector<std::vector<int>>& samples) {
  std::string out;
  for (const auto& sizes : samples) {
    long animals = 0;
    for (int g : sizes) animals += g;
    out += "      " + std::to_string(sizes.size()) + "\r\n" + std::to_string(animals) + "\r\n";
    for (int g : sizes) out += " " + std::to_string(g) + " \r\n";
    out += " \r\n";
  }
  return out;
}

HistogramPicture draw(const std::string& file, HistogramKind kind,
                      int limit = tsk::kNoDisplayLimit) {
  std::istringstream in(file);
  return tsk::drawHistogram(in, kind, limit, fixedWidth);
}

void expectRect(const TwipsRect& r, double left, double top, double width, double height,
                const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_DOUBLE_EQ(r.left, left);
  EXPECT_DOUBLE_EQ(r.top, top);
  EXPECT_DOUBLE_EQ(r.width, width);
  EXPECT_DOUBLE_EQ(r.height, height);
}

// Everything a picture holds, as text, so two pictures compare as a whole.
std::string describe(const HistogramPicture& p) {
  std::ostringstream o;
  auto rect = [&o](const TwipsRect& r) {
    o << r.left << ',' << r.top << ',' << r.width << ',' << r.height << ' ';
  };
  auto label = [&](const tsk::HistogramLabel& l) {
    o << '[' << l.text << ' ' << l.visible << ' ';
    rect(l.rect);
    o << "] ";
  };
  o << p.error << '|' << p.k << ' ' << p.maxSize << ' ' << p.maxCount << ' ' << p.xUnit << ' '
    << p.panelHeight << ' ' << p.yUnit << '\n';
  label(p.maxCountLabel);
  label(p.zeroLabel);
  label(p.maxSizeLabel);
  label(p.oneLabel);
  label(p.axisTitle);
  label(p.countTitle);
  for (const auto& panel : p.panels) {
    o << '\n' << panel.baseline << ' ' << panel.axisX1 << ' ' << panel.axisX2 << ' ';
    rect(panel.nameLabel);
    for (const auto& bar : panel.bars) rect(bar.rect);
    o << panel.hasMean << panel.hasMedian << ' ';
    rect(panel.meanMarker);
    rect(panel.medianMarker);
  }
  return o.str();
}

// The sample of groups 1, 1, 2, 5 (n = 4, N = 9) in both windows.
TEST(HistogramGeometry, OneSampleInBothWindows) {
  struct Bar {
    double g, count, left, top, height;
  };
  struct Case {
    HistogramKind kind;
    double maxCount, yUnit, mean, median;
    std::vector<Bar> bars;
    double meanLeft, medianLeft;
  };
  const Case cases[] = {
      // Group size: counts 2, 1, 1; yUnit (5000 - 200) / 2 = 2400; bar
      // heights 4800 and 2400. Mean 9 / 4, median of positions 2 and 3.
      {HistogramKind::GroupSize,
       2,
       2400,
       2.25,
       1.5,
       {{1, 2, 2500, 400, 4800}, {2, 1, 3600, 2800, 2400}, {5, 1, 6900, 2800, 2400}},
       // 2500 + 5500 * 2.25 / 5 - 60 - 550 and 2500 + 5500 * 1.5 / 5 - 67.5 - 550
       4365,
       3532.5},
      // Crowding: counts 2, 2, 5; yUnit 4800 / 5 = 960. Mean (1+1+4+25) / 9;
      // animals 5 and 5 both live in the group of 5 (running totals 1, 2, 4, 9).
      {HistogramKind::Crowding,
       5,
       960,
       31.0 / 9.0,
       5,
       {{1, 2, 2500, 3280, 1920}, {2, 2, 3600, 3280, 1920}, {5, 5, 6900, 400, 4800}},
       2500 + 5500 * (31.0 / 9.0) / 5 - 60 - 550,
       2500 + 5500 - 67.5 - 550},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind == HistogramKind::GroupSize ? "group size" : "crowding");
    const HistogramPicture p = draw(blocks({{1, 1, 2, 5}}), c.kind);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.k, 1);
    EXPECT_EQ(p.maxSize, 5);
    EXPECT_EQ(p.xUnit, 1100);  // Int(5500 / 5)
    EXPECT_EQ(p.panelHeight, 5000);
    EXPECT_EQ(p.maxCount, c.maxCount);
    EXPECT_DOUBLE_EQ(p.yUnit, c.yUnit);
    ASSERT_EQ(p.panels.size(), 1u);
    const auto& panel = p.panels[0];
    EXPECT_EQ(panel.baseline, 5200);
    EXPECT_EQ(panel.axisX1, 2500);
    EXPECT_EQ(panel.axisX2, 8000);
    expectRect(panel.nameLabel, 0, 450, 2175, 4750, "name label");
    ASSERT_EQ(panel.bars.size(), c.bars.size());
    for (size_t i = 0; i < c.bars.size(); ++i) {
      EXPECT_EQ(panel.bars[i].size, c.bars[i].g);
      EXPECT_EQ(panel.bars[i].count, c.bars[i].count);
      expectRect(panel.bars[i].rect, c.bars[i].left, c.bars[i].top, 1100, c.bars[i].height,
                 "bar " + std::to_string(i));
    }
    ASSERT_TRUE(panel.hasMean && panel.hasMedian);
    EXPECT_DOUBLE_EQ(panel.mean, c.mean);
    EXPECT_DOUBLE_EQ(panel.median, c.median);
    expectRect(panel.meanMarker, c.meanLeft, 5250, 120, 120, "mean marker");
    expectRect(panel.medianMarker, c.medianLeft, 5235, 135, 60, "median marker");

    EXPECT_EQ(p.maxCountLabel.text, c.kind == HistogramKind::GroupSize ? "2" : "5");
    expectRect(p.maxCountLabel.rect, 1680, 250, 735, 0, "maximum label");
    expectRect(p.zeroLabel.rect, 2040, 5050, 375, 0, "zero label");
    // "5" is 90 wide: 2500 + 4.5 * 1100 - 45 - 30; "1": 2500 + 550 - 45.
    EXPECT_EQ(p.maxSizeLabel.text, "5");
    expectRect(p.maxSizeLabel.rect, 7375, 5280, 90, 0, "size label");
    EXPECT_TRUE(p.oneLabel.visible);
    expectRect(p.oneLabel.rect, 3005, 5280, 90, 0, "label 1");
    // Title 60 past the axis end, its foot 20 above the axis line; the
    // vertical axis's title ends at the axis, in the top row.
    EXPECT_EQ(p.axisTitle.text, "Group size");
    expectRect(p.axisTitle.rect, 8060, 4955, 900, 0, "axis title");
    const std::string countText =
        c.kind == HistogramKind::GroupSize ? "Number of groups" : "Number of group members";
    EXPECT_EQ(p.countTitle.text, countText);
    expectRect(p.countTitle.rect, 0, 0, 2500, 0, "count title");
    EXPECT_EQ(p.countTitle.align, tsk::HistogramLabel::Align::Right);
  }
}

// Where a label's text actually stands: its box narrowed to the text on the
// side it is aligned to, and as high as a line of its font.
TwipsRect inked(const tsk::HistogramLabel& l, double textWidth, double height) {
  TwipsRect r{l.rect.left, l.rect.top, textWidth, height};
  if (l.align == tsk::HistogramLabel::Align::Right) r.left = l.rect.left + l.rect.width - textWidth;
  if (l.align == tsk::HistogramLabel::Align::Centre)
    r.left = l.rect.left + (l.rect.width - textWidth) / 2;
  return r;
}

bool overlap(const TwipsRect& a, const TwipsRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// No label runs into another, into a bar or into a sample's name, and the
// titles stand whole inside the drawing, whatever the largest group and the
// number of samples. Titles are measured wider than numbers, as their font is.
TEST(HistogramGeometry, LabelsNeverCollideOrLeaveTheDrawing) {
  const auto titleWidth = [](const std::string& t) {
    return 130.0 * static_cast<double>(t.size());
  };
  for (const HistogramKind kind : {HistogramKind::GroupSize, HistogramKind::Crowding}) {
    for (const int largest : {1, 2, 9, 56, 999, 5500, 5501, 20000, 99999, 1234567}) {
      for (const int k : {1, 3, 8}) {
        for (const int limit : {tsk::kNoDisplayLimit, 40}) {
          SCOPED_TRACE(std::to_string(largest) + " in " + std::to_string(k) + " samples, limit " +
                       std::to_string(limit) +
                       (kind == HistogramKind::Crowding ? ", crowding" : ""));
          std::vector<std::vector<int>> samples(static_cast<size_t>(k), {1, 1, 2, largest});
          std::istringstream in(blocks(samples));
          const HistogramPicture p = tsk::drawHistogram(in, kind, limit, fixedWidth, titleWidth);
          ASSERT_EQ(p.error, "");
          struct Ink {
            std::string what;
            TwipsRect r;
          };
          std::vector<Ink> ink;
          for (const auto* l : {&p.maxCountLabel, &p.zeroLabel, &p.maxSizeLabel, &p.oneLabel}) {
            if (l->visible)
              ink.push_back({l->text, inked(*l, fixedWidth(l->text), tsk::kHistogramLabelHeight)});
          }
          for (const auto* l : {&p.axisTitle, &p.countTitle}) {
            ASSERT_TRUE(l->visible);
            const TwipsRect r = inked(*l, titleWidth(l->text), tsk::kHistogramTitleHeight);
            EXPECT_GE(r.left, 0) << l->text;
            EXPECT_GE(r.top, 0) << l->text;
            EXPECT_LE(r.left + r.width, tsk::kHistogramDrawingWidth) << l->text;
            ink.push_back({l->text, r});
          }
          for (size_t i = 0; i < ink.size(); ++i) {
            for (size_t j = i + 1; j < ink.size(); ++j) {
              EXPECT_FALSE(overlap(ink[i].r, ink[j].r)) << ink[i].what << " / " << ink[j].what;
            }
          }
          for (const auto& panel : p.panels) {
            for (const Ink& t : ink) {
              // A long name fills its whole box.
              EXPECT_FALSE(overlap(panel.nameLabel, t.r)) << "name / " << t.what;
              for (const auto& bar : panel.bars) {
                EXPECT_FALSE(overlap(bar.rect, t.r)) << "bar " << bar.size << " / " << t.what;
              }
            }
          }
        }
      }
    }
  }
}

TEST(HistogramGeometry, ThreeSamplesShareTheHeight) {
  const HistogramPicture p =
      draw(blocks({{1, 1, 2, 5}, {2, 3, 3}, {1, 4, 4, 4}}), HistogramKind::GroupSize);
  ASSERT_EQ(p.k, 3);
  EXPECT_EQ(p.panelHeight, 1666);  // Int(5000 / 3)
  const int baselines[] = {1866, 3532, 5198};
  const double labelTops[] = {450, 2116, 3782};  // baseline(s - 1) + 250
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(p.panels[s].baseline, baselines[s]);
    expectRect(p.panels[s].nameLabel, 0, labelTops[s], 2175, 1416, "name " + std::to_string(s));
  }
  // maxCount 3 (three groups of 4); yUnit (1666 - 200) / 3 = 488.67, so
  // the bar of 3 groups is Int(1466) high and sits on the bottom baseline.
  EXPECT_EQ(p.maxCount, 3);
  ASSERT_EQ(p.panels[2].bars.size(), 2u);
  expectRect(p.panels[2].bars[1].rect, 2500 + 3 * 1100, 5198 - 1466, 1100, 1466, "bar of 4");
  // The vertical labels belong to the top panel, the size labels to the bottom one.
  EXPECT_EQ(p.zeroLabel.rect.top, 1866 - 150);
  EXPECT_EQ(p.maxSizeLabel.rect.top, 5198 + 80);
  EXPECT_EQ(p.oneLabel.rect.top, 5198 + 80);
}

TEST(HistogramGeometry, DisplayLimitShortensTheAxisOnly) {
  const std::string file = blocks({{1, 1, 2, 5}});
  const HistogramPicture p = draw(file, HistogramKind::GroupSize, 3);
  EXPECT_EQ(p.largestSize, 5);
  EXPECT_EQ(p.maxSize, 3);
  EXPECT_EQ(p.xUnit, 1833);  // Int(5500 / 3)
  EXPECT_EQ(p.panels[0].axisX2, 2500 + 3 * 1833);
  // The bar at 5 is gone; the vertical scale keeps maxCount 2.
  ASSERT_EQ(p.panels[0].bars.size(), 2u);
  EXPECT_EQ(p.panels[0].bars[1].size, 2);
  EXPECT_EQ(p.maxCount, 2);
  EXPECT_DOUBLE_EQ(p.yUnit, 2400);
  // Markers from 5500 / 3, not from 1833: 2500 + 5500 * 2.25 / 3 - 60 - 916.5.
  EXPECT_DOUBLE_EQ(p.panels[0].meanMarker.left, 5648.5);
  EXPECT_DOUBLE_EQ(p.panels[0].medianMarker.left, 2500 + 2750 - 67.5 - 916.5);
  EXPECT_EQ(p.maxSizeLabel.text, "3");

  // A limit beyond the sample's markers still places them past the axis end.
  const HistogramPicture one = draw(file, HistogramKind::Crowding, 1);
  EXPECT_FALSE(one.oneLabel.visible);  // only one step
  EXPECT_GT(one.panels[0].medianMarker.left, one.panels[0].axisX2);

  // At or above the largest size the picture is the one without a limit.
  const std::string unlimited = describe(draw(file, HistogramKind::GroupSize));
  for (int limit : {5, 6, 99999}) {
    EXPECT_EQ(describe(draw(file, HistogramKind::GroupSize, limit)), unlimited) << limit;
  }
}

TEST(HistogramGeometry, MediansFollowTheirPositions) {
  struct Case {
    std::vector<int> sizes;
    HistogramKind kind;
    double mean, median;  // hand calculations
  };
  const Case cases[] = {
      {{1, 2, 7}, HistogramKind::GroupSize, 10.0 / 3, 2},  // odd n: position 2 twice
      {{3}, HistogramKind::GroupSize, 3, 3},
      // N = 4: animals 2 and 3 live in groups of 1 and 2 (running 1, 2, 4).
      {{1, 1, 2}, HistogramKind::Crowding, 6.0 / 4, 1.5},
      // N = 4: animals 2 and 3 both in the group of 3 (running 1, 4).
      {{1, 3}, HistogramKind::Crowding, 10.0 / 4, 3},
      // N = 7: animal 4 twice; running 2, 4, 7 puts it in the second group.
      {{2, 2, 3}, HistogramKind::Crowding, 17.0 / 7, 2},
  };
  for (const Case& c : cases) {
    const HistogramPicture p = draw(blocks({c.sizes}), c.kind);
    ASSERT_EQ(p.panels.size(), 1u);
    EXPECT_DOUBLE_EQ(p.panels[0].mean, c.mean) << c.sizes.size();
    EXPECT_DOUBLE_EQ(p.panels[0].median, c.median) << c.sizes.size();
  }
}

// Files the windows must survive: no division by zero, every bar drawn, no
// table overrun.
TEST(HistogramGeometry, AwkwardSamples) {
  // Empty sample and a sample whose groups are all of size 0: maxCount 0.
  for (const char* file : {"0\r\n0\r\n \r\n", "2\r\n0\r\n0\r\n0\r\n \r\n"}) {
    const HistogramPicture p = draw(file, HistogramKind::GroupSize);
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.k, 1);
    EXPECT_EQ(p.maxCount, 0);
    EXPECT_EQ(p.yUnit, 0);
    EXPECT_EQ(p.maxSize, 1);  // one empty step instead of 5500 / 0
    EXPECT_EQ(p.xUnit, 5500);
    EXPECT_TRUE(p.panels[0].bars.empty());
    EXPECT_TRUE(std::isfinite(p.panels[0].meanMarker.left));
  }

  // Sizes past 5500: the step becomes a fraction of a twip, not 0.
  const HistogramPicture wide = draw(blocks({{1, 11000}}), HistogramKind::GroupSize);
  EXPECT_DOUBLE_EQ(wide.xUnit, 0.5);
  ASSERT_EQ(wide.panels[0].bars.size(), 2u);
  EXPECT_DOUBLE_EQ(wide.panels[0].bars[1].rect.left, 2500 + 10999 * 0.5);
  EXPECT_DOUBLE_EQ(wide.panels[0].axisX2, 8000);

  // A sample declaring more groups than the table holds is refused.
  const HistogramPicture big = draw("300001\r\n300001\r\n1\r\n", HistogramKind::Crowding);
  EXPECT_EQ(big.error, tsk::kHistogramTooLargeMessage);
  EXPECT_TRUE(big.panels.empty());
  EXPECT_EQ(draw("300000\r\n300000\r\n1\r\n", HistogramKind::Crowding).error, "");

  // A block cut short keeps what it has: four groups declared, two present.
  const HistogramPicture cut = draw("4\r\n9\r\n1\r\n1\r\n", HistogramKind::GroupSize);
  ASSERT_EQ(cut.k, 1);
  EXPECT_EQ(cut.panels[0].bars.size(), 1u);
  EXPECT_FALSE(cut.panels[0].hasMedian);  // positions 2 and 3: the third is missing

  // Sizes that are not whole numbers get no bar but count towards the axis.
  const HistogramPicture half = draw("2\r\n4\r\n1.5\r\n2.5\r\n \r\n", HistogramKind::GroupSize);
  EXPECT_EQ(half.maxSize, 2.5);
  EXPECT_EQ(half.maxSizeLabel.text, "2.5");
  EXPECT_TRUE(half.panels[0].bars.empty());

  // An animal count at the top of the 32-bit range: no overflow in the
  // median positions, and no median since the groups never reach them.
  const HistogramPicture huge = draw("1\r\n2147483647\r\n3\r\n", HistogramKind::Crowding);
  EXPECT_TRUE(huge.panels[0].hasMean);
  EXPECT_FALSE(huge.panels[0].hasMedian);

  // No file at all.
  EXPECT_NE(tsk::drawHistogramFile("/nonexistent/tskdat.tmp", HistogramKind::GroupSize,
                                   tsk::kNoDisplayLimit, fixedWidth)
                .error,
            "");
}

}  // namespace
