// What the soak reads of a process, read here of this test process itself: each figure follows
// the objects the process makes and lets go of, and a window whose thread is stuck is seen not
// to answer.
#include "tools/soak/process_probe.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/handles.h"

namespace {

using soak::ProcessFigures;

ProcessFigures Now() { return soak::SampleProcess(::GetCurrentProcess(), ::GetCurrentProcessId()); }

fw::UniqueWindow MakeWindow() {
  return fw::UniqueWindow(
      ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
}

// Makes 20 brushes, 10 events, 3 windows and a thread, samples, lets them all go; the
// samples before, during and after.
struct Round {
  ProcessFigures before, during, after;
};
Round MakeAndDelete() {
  Round r;
  r.before = Now();
  {
    std::vector<fw::UniqueBrush> brushes;
    for (int i = 0; i < 20; ++i) brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
    std::vector<fw::UniqueKernelHandle> events;
    for (int i = 0; i < 10; ++i) events.emplace_back(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<fw::UniqueWindow> windows;
    for (int i = 0; i < 3; ++i) windows.push_back(MakeWindow());
    const fw::UniqueKernelHandle waiting(::CreateThread(
        nullptr, 0, [](void* event) -> DWORD { return ::WaitForSingleObject(event, INFINITE); }, events[0].get(), 0,
        nullptr));
    r.during = Now();
    ::SetEvent(events[0].get());
    ::WaitForSingleObject(waiting.get(), INFINITE);
  }
  r.after = Now();
  return r;
}

TEST(ProcessProbe, CountsFollowTheObjectsTheProcessMakesAndDeletes) {
  // A window kept open, and a first round: what the process sets up once for good stays out.
  const fw::UniqueWindow first = MakeWindow();
  MakeAndDelete();
  const Round r = MakeAndDelete();
  EXPECT_EQ(r.during.gdiObjects - r.before.gdiObjects, 20);
  EXPECT_EQ(r.during.handles - r.before.handles, 11);  // the events and the thread
  EXPECT_EQ(r.during.userObjects - r.before.userObjects, 3);
  EXPECT_EQ(r.during.threads - r.before.threads, 1);
  EXPECT_GT(r.during.privateMb, 0.0);
  EXPECT_GT(r.during.residentMb, 0.0);
  EXPECT_EQ(r.after.gdiObjects, r.before.gdiObjects);
  EXPECT_EQ(r.after.handles, r.before.handles);
  EXPECT_EQ(r.after.userObjects, r.before.userObjects);
  EXPECT_EQ(r.after.threads, r.before.threads);
}

TEST(ProcessProbe, NamesTheKindOfEachHandleAndTheKeysOpen) {
  fw::UniqueRegistryKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  const fw::UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const auto kinds = soak::KernelHandleKinds(::GetCurrentProcess(), ::GetCurrentProcessId());
  EXPECT_GE(kinds.count(L"Event") ? kinds.at(L"Event") : 0, 1);
  bool software = false;
  for (const auto& [kind, count] : kinds)
    software = software || (kind.starts_with(L"Key ") && kind.ends_with(L"\\Software"));
  EXPECT_TRUE(software) << "no key named ...\\Software";
}

// A window whose thread waits on something else cannot answer: the soak must see it.
TEST(ProcessProbe, AWindowWhoseThreadIsStuckIsSeenNotToAnswer) {
  EXPECT_TRUE(soak::EveryWindowAnswers(::GetCurrentProcessId(), 2000));
  const fw::UniqueKernelHandle made(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const fw::UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread stuck([&] {
    const fw::UniqueWindow window = MakeWindow();
    ::SetEvent(made.get());
    ::WaitForSingleObject(release.get(), INFINITE);  // never looks at its messages meanwhile
  });
  ::WaitForSingleObject(made.get(), INFINITE);
  EXPECT_FALSE(soak::EveryWindowAnswers(::GetCurrentProcessId(), 200));
  ::SetEvent(release.get());
  stuck.join();
  EXPECT_TRUE(soak::EveryWindowAnswers(::GetCurrentProcessId(), 2000));
}

}  // namespace
