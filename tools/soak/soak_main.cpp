// The soak: starts Q7Viewer.exe with the simulated camera at 30 frames/s, unplugged and
// plugged back every minute, a bad frame every 50 and one property refused, drives it at
// random as a user would for MINUTES, samples the process every 10 s, measures it in one
// settled state every 5 minutes, and prints the tables and one verdict line.
// Usage: soak_driver.exe [--minutes N] [--seed S]; exit code 0 on a pass.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "panel/recording_choices.h"
#include "tests/e2e/viewer_session.h"
#include "tools/soak/action_log.h"
#include "tools/soak/program_watch.h"
#include "tools/soak/soak_report.h"
#include "tools/soak/soak_user.h"

namespace {

using namespace std::chrono_literals;

constexpr double kSampleEveryMinutes = 10.0 / 60.0;
constexpr double kSettledEveryMinutes = 5.0;
constexpr UINT kAnswerWithinMs = 5000;
constexpr int kSettleAttempts = 3;

// The camera's faults, for the program under test only.
const std::vector<std::wstring> kSimulatedCamera = {
    L"Q7SIM_FPS=30",
    L"Q7SIM_UNPLUG_EVERY_MS=60000",  // in for a minute,
    L"Q7SIM_REPLUG_AFTER_MS=5000",   // out for five seconds
    L"Q7SIM_BAD_RESULT_EVERY=50",
    L"Q7SIM_REJECT_PROPERTY=MirrorModeGlobal",
};

struct Options {
  double minutes = 30.0;
  unsigned seed = 1;
  int probe = 0;       // > 0: each kind of action this many times on its own, with what it left behind
  int probeOnly = -1;  // that kind only
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--minutes") == 0) o.minutes = std::max(1.0, std::atof(argv[i + 1]));
    if (std::strcmp(argv[i], "--seed") == 0) o.seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    if (std::strcmp(argv[i], "--probe") == 0) o.probe = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--probe-only") == 0) o.probeOnly = std::atoi(argv[i + 1]);
  }
  return o;
}

class Soak {
 public:
  Soak(const Options& options, const std::wstring& folder)
      : options_(options), folder_(folder), log_(folder + L"\\actions.log") {
    run_.plannedMinutes = options.minutes;
    run_.seed = options.seed;
  }

  soak::RunRecord Run() {
    e2e::ForgetStoredSettings();
    // Recordings go where the snapshots go, not into the user's Videos folder; the program
    // reads the folder once, at its start.
    const std::wstring pictures = folder_ + L"\\pictures";
    StoreRecordingFolder(pictures);
    e2e::ViewerSession session(kSimulatedCamera);
    if (!session.Program().Started() || !session.WaitUntilReady()) {
      run_.faults.push_back("the program did not start");
      return run_;
    }
    soak::ProgramWatch watch(session.Program(), session.Panel(), log_);
    soak::SoakUser user(session, options_.seed, log_, pictures);
    user.EnsurePlaying();
    if (options_.probe > 0) {
      Probe(session, user);
      run_.closedCleanly = session.Close() == 0;
      return run_;
    }
    Drive(session, watch, user);
    if (!run_.crashed) {
      Settled(session, user, watch);
      user.DeleteWrittenFiles();
      run_.closedCleanly = session.Close() == 0;
      if (!run_.closedCleanly) log_.Tell("the program did not close cleanly");
    }
    run_.boxesAnswered = watch.BoxesAnswered();
    for (const auto& [text, count] : watch.BoxTexts())
      boxTexts_ += "- " + std::to_string(count) + " x \"" + text + "\"\n";
    return run_;
  }

  const std::string& BoxTexts() const { return boxTexts_; }

 private:
  bool Ended(e2e::ViewerSession& session) {
    if (session.Program().WaitForExit(0ms) == STILL_ACTIVE) return false;
    run_.crashed = true;
    log_.Tell("the program ended by itself");
    return true;
  }

  void Drive(e2e::ViewerSession& session, soak::ProgramWatch& watch, soak::SoakUser& user) {
    double nextSample = kSampleEveryMinutes;
    double nextSettled = std::min(kSettledEveryMinutes, options_.minutes / 2);
    int unanswered = 0;
    while (log_.Minutes() < options_.minutes && !Ended(session)) {
      if (watch.TakeReturns() > 0) {
        // The camera came back: it plays on, or plays when asked, with a live picture.
        const bool playing = user.EnsurePlaying();
        const bool live = playing && user.PictureLive().value_or(false);
        run_.replugs.push_back({log_.Minutes(), live});
        log_.Tell(live ? "live again after the replug" : "NOT live after the replug");
      } else if (log_.Minutes() >= nextSettled) {
        Settled(session, user, watch);
        nextSettled += kSettledEveryMinutes;
      } else if (log_.Minutes() >= nextSample) {
        const soak::Sample& s = TakeSample(session, user);
        unanswered = s.answered ? 0 : unanswered + 1;
        if (unanswered >= 3) {
          log_.Tell("the program has not answered for three samples: the soak ends here");
          return;
        }
        nextSample += kSampleEveryMinutes;
        user.DeleteWrittenFiles();
      } else {
        log_.Write(user.ActAtRandom());
        ++run_.actions;
        std::this_thread::sleep_for(user.Pause());
      }
    }
  }

  const soak::Sample& TakeSample(e2e::ViewerSession& session, soak::SoakUser& user) {
    soak::Sample s;
    s.minutes = log_.Minutes();
    s.state = user.State();
    s.answered = soak::EveryWindowAnswers(session.Program().ProcessId(), kAnswerWithinMs);
    s.live = user.PictureLive();
    s.figures = soak::SampleProcess(session.Program().Handle(), session.Program().ProcessId());
    run_.samples.push_back(s);
    log_.Write(soak::SampleTable({s}).substr(soak::SampleTable({}).size()));
    if (!s.answered) log_.Tell("a window did not answer");
    if (s.live == false) log_.Tell("the picture was not live");
    return run_.samples.back();
  }

  // Each kind of action on its own, repeated: the GDI objects and handles it leaves behind.
  void Probe(e2e::ViewerSession& session, soak::SoakUser& user) {
    const auto measure = [&] {
      std::this_thread::sleep_for(3s);
      std::map<std::wstring, long> counts = soak::GdiObjectKinds(session.Program().Handle());
      for (const auto& [kind, count] :
           soak::KernelHandleKinds(session.Program().Handle(), session.Program().ProcessId()))
        counts[L"handle " + kind] += count;
      const double privateMb = soak::SampleProcess(session.Program().Handle(), session.Program().ProcessId()).privateMb;
      counts[L"private KB"] = static_cast<long>(privateMb * 1024.0);
      return counts;
    };
    for (std::size_t kind = 0; kind < soak::SoakUser::ActionKinds(); ++kind) {
      if (options_.probeOnly >= 0 && static_cast<int>(kind) != options_.probeOnly) continue;
      std::map<std::wstring, long> before;
      // The first round fills what the system keeps once (class DCs, caches, COM registrations).
      for (int round = 0; round < 2; ++round) {
        user.EnsurePlaying();
        if (round == 1) before = measure();
        for (int i = 0; i < options_.probe; ++i) {
          log_.Write(user.Act(kind));
          std::this_thread::sleep_for(user.Pause());
        }
      }
      std::map<std::wstring, long> after = measure();
      for (const auto& [name, count] : before) after[name] -= count;
      std::string left = std::string(soak::SoakUser::ActionName(kind)) + " x" + std::to_string(options_.probe) + ":";
      for (const auto& [name, change] : after)
        if (change != 0) left.append(" ").append(soak::Narrow(name)).append(" ").append(std::to_string(change));
      log_.Tell(left);
    }
  }

  // The same state each time, so that memory and counts can be compared.
  void Settled(e2e::ViewerSession& session, soak::SoakUser& user, soak::ProgramWatch& watch) {
    for (int attempt = 0; attempt < kSettleAttempts && !Ended(session); ++attempt) {
      if (!user.Settle()) continue;
      watch.TakeReturns();
      std::this_thread::sleep_for(10s);  // what a change of state frees goes
      // Three looks 5 s apart; the least memory is the settled figure (a look may catch the
      // hand-off or a view between two steps).
      soak::Sample s;
      for (int look = 0; look < 3; ++look) {
        if (look > 0) std::this_thread::sleep_for(5s);
        soak::Sample now;
        now.minutes = log_.Minutes();
        now.state = "settled: stopped after 2592x1944, re-fitted";
        now.answered = soak::EveryWindowAnswers(session.Program().ProcessId(), kAnswerWithinMs);
        now.figures = soak::SampleProcess(session.Program().Handle(), session.Program().ProcessId());
        if (look == 0 || now.figures.privateMb < s.figures.privateMb) s = now;
      }
      const bool unplugged = watch.TakeReturns() > 0 || watch.CameraAway();
      user.EnsurePlaying();
      if (unplugged) continue;  // the re-opened camera re-fitted meanwhile: once more
      run_.references.push_back(s);
      log_.Tell("settled: " + soak::SampleTable({s}).substr(soak::SampleTable({}).size()));
      std::string kinds = "handles by kind:";
      for (const auto& [kind, count] :
           soak::KernelHandleKinds(session.Program().Handle(), session.Program().ProcessId()))
        kinds.append(" ").append(soak::Narrow(kind)).append(" ").append(std::to_string(count));
      log_.Write(kinds);
      std::string gdi = "GDI objects by kind:";
      for (const auto& [kind, count] : soak::GdiObjectKinds(session.Program().Handle()))
        gdi.append(" ").append(soak::Narrow(kind)).append(" ").append(std::to_string(count));
      log_.Write(gdi);
      return;
    }
    log_.Tell("could not settle the program for a measurement");
  }

  const Options options_;
  const std::wstring folder_;
  soak::ActionLog log_;
  soak::RunRecord run_;
  std::string boxTexts_;
};

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const std::wstring folder = testing_support::ModuleFolder() + L"\\soak-output";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  std::printf(
      "Soak of Q7Viewer.exe: %.0f min, seed %u; the camera at 30 frames/s, unplugged every minute for 5 s, a "
      "bad frame every 50, MirrorModeGlobal refused\n",
      options.minutes, options.seed);
  std::fflush(stdout);
  Soak soak(options, folder);
  const soak::RunRecord run = soak.Run();
  const soak::Verdict verdict = soak::Judge(run);

  std::string report =
      "Every 10 s:\n\n" + soak::SampleTable(run.samples) +
      "\nSettled (video window, stopped after playing at 2592x1944 and re-fitted; no series, no live views or "
      "overlays), every 5 min:\n\n" +
      soak::SampleTable(run.references) + "\nMessage boxes answered:\n" + soak.BoxTexts() + "\n" +
      soak::VerdictLine(run, verdict) + "\n";
  std::ofstream(std::filesystem::path(folder + L"\\report.md")) << report;
  std::printf("\n%s", report.c_str());
  return verdict.pass ? 0 : 1;
}
