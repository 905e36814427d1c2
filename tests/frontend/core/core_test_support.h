// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bridges between the std::filesystem helpers of the tests and Qt paths.

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace tsk::test {

inline QString qpath(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

inline std::string str(const QByteArray& bytes) { return bytes.toStdString(); }

// The sample of the worked example: three groups of 1 and two of 4, as the
// entry window saves it (totals width 7) ...
inline const std::string kEnteredExample =
    crlf({"      5", "     11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "});
// ... and as saved again right after loading (totals width 5).
inline const std::string kReloadedExample =
    crlf({"    5", "   11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "});
// A second sample: one group of 2 and one of 4, as saved after loading.
inline const std::string kPairExample = crlf({"    2", "    6", " 2 ", " 4 "});

// The whole report of gssummar on the two samples above: means 11/5 = 2.20
// and 6/2 = 3.00, crowding 35/11 = 3.18 and 20/6 = 3.33, medians by hand.
inline const std::string kTwoSampleReport = crlf({
    "  ",
    "Descriptive statistics",
    "",
    "                   Number of          Mean    Median        Mean    Median",
    "                Groups  Animals         Group size             Crowding",
    "   Sample  1:       5       11        2.20      1.00        3.18      4.00",
    "   Sample  2:       2        6        3.00      3.00        3.33      4.00",
    std::string(79, '_'),
});

}  // namespace tsk::test
