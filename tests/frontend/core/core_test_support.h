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

}  // namespace tsk::test
