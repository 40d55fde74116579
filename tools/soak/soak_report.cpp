#include "tools/soak/soak_report.h"

#include <cmath>
#include <cstdio>

namespace soak {
namespace {

std::string Printf(const char* format, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string At(double minutes) { return Printf("at %.1f min", minutes); }

double Change(double from, double to) { return from > 0.0 ? (to - from) / from : 0.0; }

struct Count {
  const char* name;
  long ProcessFigures::*field;
};
constexpr Count kCounts[] = {{"handles", &ProcessFigures::handles},
                             {"GDI objects", &ProcessFigures::gdiObjects},
                             {"USER objects", &ProcessFigures::userObjects},
                             {"threads", &ProcessFigures::threads}};

}  // namespace

Verdict Judge(const RunRecord& run, const Limits& limits) {
  Verdict v;
  auto fail = [&](std::string reason) { v.reasons.push_back(std::move(reason)); };
  if (run.crashed)
    fail("the program ended by itself");
  else if (!run.closedCleanly)
    fail("the program did not close cleanly at the end");
  for (const Sample& s : run.samples) {
    if (!s.answered) fail("a window stopped answering " + At(s.minutes));
    if (s.live == false) fail("the picture was not live " + At(s.minutes));
  }
  for (const ReplugCheck& r : run.replugs)
    if (!r.live) fail("the picture was not live after the replug " + At(r.minutes));
  for (const std::string& fault : run.faults) fail(fault);

  if (run.references.size() < 2) {
    fail("fewer than two settled samples: memory and counts not judged");
  } else {
    const ProcessFigures& first = run.references.front().figures;
    const ProcessFigures& last = run.references.back().figures;
    const double memory = Change(first.privateMb, last.privateMb);
    if (std::abs(memory) > limits.memoryShare)
      fail(Printf("private bytes went from %.1f to %.1f MB (%+.1f %%)", first.privateMb, last.privateMb, 100 * memory));
    for (const Count& c : kCounts) {
      const double change = Change(static_cast<double>(first.*c.field), static_cast<double>(last.*c.field));
      if (first.*c.field <= 0)
        fail(std::string(c.name) + " could not be counted");
      else if (std::abs(change) > limits.countShare)
        fail(Printf("%s went from %ld to %ld (%+.1f %%)", c.name, first.*c.field, last.*c.field, 100 * change));
    }
  }
  v.pass = v.reasons.empty();
  return v;
}

std::string SampleTable(const std::vector<Sample>& samples) {
  std::string table =
      "| min | state | private MB | resident MB | handles | file-dialog keys | GDI | USER | threads | windows answer | "
      "picture live |\n"
      "|--:|---|--:|--:|--:|--:|--:|--:|--:|---|---|\n";
  for (const Sample& s : samples) {
    const ProcessFigures& f = s.figures;
    table += Printf("| %.1f | %s | %.1f | %.1f | %ld | %ld | %ld | %ld | %ld | %s | %s |\n", s.minutes, s.state.c_str(),
                    f.privateMb, f.residentMb, f.handles, f.fileDialogKeys, f.gdiObjects, f.userObjects, f.threads,
                    s.answered ? "yes" : "NO",
                    !s.live   ? "-"
                    : *s.live ? "yes"
                              : "NO");
  }
  return table;
}

std::string VerdictLine(const RunRecord& run, const Verdict& verdict) {
  int liveAfter = 0;
  for (const ReplugCheck& r : run.replugs) liveAfter += r.live;
  std::string line = Printf("SOAK %s: %.0f min, seed %u, %d actions, %zu replugs (%d live after), %d boxes answered",
                            verdict.pass ? "PASS" : "FAIL", run.plannedMinutes, run.seed, run.actions,
                            run.replugs.size(), liveAfter, run.boxesAnswered);
  if (run.references.size() >= 2) {
    const ProcessFigures& a = run.references.front().figures;
    const ProcessFigures& b = run.references.back().figures;
    line += Printf(
        "; settled at %.1f and %.1f min: private %.1f -> %.1f MB (%+.1f %%), handles %ld -> %ld, GDI %ld -> "
        "%ld, USER %ld -> %ld, threads %ld -> %ld",
        run.references.front().minutes, run.references.back().minutes, a.privateMb, b.privateMb,
        100 * Change(a.privateMb, b.privateMb), a.handles, b.handles, a.gdiObjects, b.gdiObjects, a.userObjects,
        b.userObjects, a.threads, b.threads);
  }
  for (const std::string& reason : verdict.reasons) line += "; " + reason;
  return line;
}

}  // namespace soak
