#pragma once
// What a soak run recorded, the verdict against its limits, and the tables it prints. Pure
// functions: the driver gathers, these judge and format.
#include <optional>
#include <string>
#include <vector>

#include "tools/soak/process_probe.h"

namespace soak {

struct Sample {
  double minutes = 0.0;  // since the program started
  std::string state;     // what the user had on screen: "playing", "stopped", "away", "full screen", ...
  ProcessFigures figures;
  bool answered = true;      // every window answered in time
  std::optional<bool> live;  // while playing: whether the picture moved
};

// After the camera came back: whether its picture was live again.
struct ReplugCheck {
  double minutes = 0.0;
  bool live = false;
};

struct RunRecord {
  double plannedMinutes = 0.0;
  unsigned seed = 0;
  std::vector<Sample> samples;     // every 10 s, whatever the user was doing
  std::vector<Sample> references;  // in the same settled state each time: full resolution, playing
  std::vector<ReplugCheck> replugs;
  int actions = 0;
  int boxesAnswered = 0;
  bool crashed = false;             // the program ended by itself
  bool closedCleanly = false;       // closed by the user at the end, with exit code 0
  std::vector<std::string> faults;  // anything else that went wrong, in words
};

struct Limits {
  double memoryShare = 0.05;  // private bytes, end against the first reference
  double countShare = 0.02;   // handles, GDI and USER objects, threads
};

struct Verdict {
  bool pass = false;
  std::vector<std::string> reasons;  // why it failed; empty on a pass
};

Verdict Judge(const RunRecord& run, const Limits& limits = {});

// The samples as a Markdown table, one row each.
std::string SampleTable(const std::vector<Sample>& samples);
// "SOAK PASS: ..." or "SOAK FAIL: ...", one line.
std::string VerdictLine(const RunRecord& run, const Verdict& verdict);

}  // namespace soak
