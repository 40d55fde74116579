#include "display/trace.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/display/trace_monitor.h"

namespace {

using display_test::TraceMonitor;

TEST(TraceToMonitor, SendsTheTextInA256ByteBlock) {
  TraceMonitor monitor;
  display::TraceToMonitor("PRINT OK");
  const auto blocks = monitor.Received();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].wParam, 0u);
  EXPECT_EQ(blocks[0].dwData, 0u);
  EXPECT_EQ(blocks[0].cbData, 256u);
  EXPECT_STREQ(blocks[0].bytes.c_str(), "PRINT OK");
}

TEST(TraceToMonitor, FormatCharactersArriveAsWritten) {
  TraceMonitor monitor;
  display::TraceToMonitor("%s%s%n %d%%");
  const auto blocks = monitor.Received();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_STREQ(blocks[0].bytes.c_str(), "%s%s%n %d%%");
}

TEST(TraceToMonitor, LongTextIsCutTo255Characters) {
  TraceMonitor monitor;
  const std::string text(300, 'x');
  display::TraceToMonitor(text.c_str());
  const auto blocks = monitor.Received();
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].bytes.size(), 256u);
  EXPECT_EQ(blocks[0].bytes.substr(0, 255), std::string(255, 'x'));
  EXPECT_EQ(blocks[0].bytes[255], '\0');
}

TEST(TraceToMonitor, WithoutAMonitorNothingHappens) {
  display::TraceToMonitor("PRINT OK");
  display::TraceToMonitor(nullptr);
  SUCCEED();
}

}  // namespace
