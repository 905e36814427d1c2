#include "frame.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tsk {
namespace {

using test::readFile;
using test::writeFile;

TEST(EngineFrame, StatusEndsHoldingExactlyTheFinishedLine) {
  test::TempDir dir;
  writeFile(dir / kStatusFile, "before start and a long tail of older text\r\nsecond line\r\n");
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.startStatus();
    EXPECT_EQ(readFile(dir / kStatusFile), " started: gsabcdef\r\n");
    run.openReport();
    run.report().message("x");
    run.finish();
  }
  EXPECT_EQ(readFile(dir / kStatusFile), " finished: gsabcdef\r\n");
}

TEST(EngineFrame, ShorterReportLeavesNoTraceOfALongerOne) {
  test::TempDir dir;
  writeFile(dir / kReportFile, std::string(5000, 'o') + "\r\n");
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.openReport();
    run.startStatus();
    run.report().message(" ");
    run.report().format("(/,'title')");
  }
  EXPECT_EQ(readFile(dir / kReportFile),
            "  \r\n\r\ntitle\r\n" + std::string(kClosingLine) + "\r\n");
  EXPECT_EQ(kClosingLine.size(), 79u);
}

TEST(EngineFrame, MissingDataFileIsReportedAndRunStillFinishes) {
  test::TempDir dir;
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.startStatus();
    run.openReport();
    EXPECT_FALSE(run.openData());
  }
  EXPECT_EQ(readFile(dir / kReportFile),
            " " + missingFileMessage("TSKDAT.TMP") + "\r\n" + std::string(kClosingLine) + "\r\n");
  EXPECT_EQ(missingFileMessage("TSKDAT.TMP"), "    ERROR: cannot open file TSKDAT.TMP");
  EXPECT_EQ(readFile(dir / kStatusFile), " finished: gsabcdef\r\n");
}

}  // namespace
}  // namespace tsk
