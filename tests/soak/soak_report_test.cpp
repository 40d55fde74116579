// The soak's verdict against its limits, and its reading of Wine's GDI handle table.
#include "tools/soak/soak_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using soak::Judge;
using soak::ProcessFigures;
using soak::RunRecord;
using soak::Sample;

Sample Settled(double minutes, double privateMb, long handles = 100, long gdi = 400, long user = 30, long threads = 8) {
  Sample s;
  s.minutes = minutes;
  s.state = "settled";
  s.figures.privateMb = privateMb;
  s.figures.handles = handles;
  s.figures.gdiObjects = gdi;
  s.figures.userObjects = user;
  s.figures.threads = threads;
  return s;
}

class SoakVerdict : public ::testing::Test {
 protected:
  // A run that passes: closed cleanly, live after its replug, flat from minute 5 to 30.
  RunRecord run_ = [] {
    RunRecord r;
    r.plannedMinutes = 30;
    r.closedCleanly = true;
    r.samples = {Settled(0.2, 150), Settled(0.3, 190)};
    r.samples[1].live = true;
    r.references = {Settled(5, 180), Settled(10, 200), Settled(30, 188)};
    r.replugs = {{1.1, true}};
    return r;
  }();

  std::string Reasons() {
    std::string all;
    for (const std::string& reason : Judge(run_).reasons) all += reason + "\n";
    return all;
  }
};

TEST_F(SoakVerdict, AFlatRunPassesOnItsFirstAndLastSettledSamples) {
  EXPECT_TRUE(Judge(run_).pass) << Reasons();
  EXPECT_TRUE(soak::VerdictLine(run_, Judge(run_)).starts_with("SOAK PASS: 30 min"));
}

TEST_F(SoakVerdict, MemoryMayMoveFivePercentAndCountsTwo) {
  run_.references.back().figures.privateMb = 189.1;  // +5.06 %
  EXPECT_NE(Reasons().find("private bytes went from 180.0 to 189.1 MB (+5.1 %)"), std::string::npos) << Reasons();
  run_.references.back().figures.privateMb = 170.9;  // shrinking counts too
  EXPECT_FALSE(Judge(run_).pass);
  run_.references.back().figures.privateMb = 171.5;
  EXPECT_TRUE(Judge(run_).pass) << Reasons();

  for (long ProcessFigures::*count : {&ProcessFigures::handles, &ProcessFigures::gdiObjects,
                                      &ProcessFigures::userObjects, &ProcessFigures::threads}) {
    const long first = run_.references.front().figures.*count;
    run_.references.back().figures.*count = first + first / 50;  // +2 %: still flat
    EXPECT_TRUE(Judge(run_).pass) << Reasons();
    run_.references.back().figures.*count = first + first / 50 + 1;
    EXPECT_FALSE(Judge(run_).pass);
    run_.references.back().figures.*count = first;
  }
}

TEST_F(SoakVerdict, EveryFaultFailsTheRunAndIsNamed) {
  run_.samples[0].answered = false;
  run_.samples[1].live = false;
  run_.replugs.push_back({2.2, false});
  run_.faults.push_back("the property dialog did not close within 30 s");
  run_.closedCleanly = false;
  const std::string reasons = Reasons();
  for (const char* expected : {"a window stopped answering at 0.2 min", "the picture was not live at 0.3 min",
                               "the picture was not live after the replug at 2.2 min",
                               "the property dialog did not close", "the program did not close cleanly"})
    EXPECT_NE(reasons.find(expected), std::string::npos) << expected << "\n" << reasons;
  run_ = {};
  run_.crashed = true;
  EXPECT_NE(Reasons().find("the program ended by itself"), std::string::npos);
}

TEST_F(SoakVerdict, WithoutTwoSettledSamplesOrCountsNothingIsJudgedFlat) {
  run_.references.front().figures.gdiObjects = 0;  // the table could not be read
  EXPECT_NE(Reasons().find("GDI objects could not be counted"), std::string::npos);
  run_.references.resize(1);
  EXPECT_NE(Reasons().find("fewer than two settled samples"), std::string::npos);
}

// Wine's entries: 24 bytes, the kind in the low bits of byte 12, byte 14 not 0 while alive.
TEST(GdiHandleTable, CountsTheLiveEntriesByKind) {
  std::vector<std::uint8_t> table(24 * 6, 0);
  const auto entry = [&](int index, std::uint8_t kind, std::uint8_t type) {
    table[24 * index + 12] = kind;
    table[24 * index + 14] = type;
  };
  entry(0, 0x10 | 0x80, 0x10);  // a stock brush
  entry(1, 0x05, 0x05);         // a bitmap
  entry(2, 0x05, 0x00);         // a freed bitmap
  entry(4, 0x41, 0x01);         // a memory DC
  EXPECT_EQ(soak::CountLiveGdiEntries(table), 3);
  EXPECT_EQ(soak::CountGdiEntryKinds(table), (std::map<int, long>{{0x05, 1}, {0x10, 1}, {0x41, 1}}));
}

}  // namespace
