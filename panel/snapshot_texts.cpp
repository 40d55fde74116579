#include "panel/snapshot_texts.h"

namespace {

std::wstring SkippedSuffix(std::int64_t skipped) {
  return skipped > 0 ? L", " + std::to_wstring(skipped) + L" skipped" : L"";
}

}  // namespace

std::wstring SavingSnapshotText(std::optional<int> percent, unsigned indicatorStep, std::size_t waiting) {
  static constexpr wchar_t kTurningBar[] = L"|/-\\";
  std::wstring text = L"Saving snapshot\u2026 ";
  text += percent ? std::to_wstring(*percent) + L" %" : std::wstring(1, kTurningBar[indicatorStep % 4]);
  if (waiting > 0) text += L" (+" + std::to_wstring(waiting) + L" waiting)";
  return text;
}

std::wstring SnapshotRefusedText(std::size_t waiting) {
  return L"Snapshot refused: " + std::to_wstring(waiting) + L" still waiting to be saved.";
}

std::wstring SnapshotNotSavedText() { return L"Snapshot not saved."; }

std::wstring ClosingAfterSavingText() { return L"Closing once the snapshots are saved\u2026"; }

std::wstring SeriesText(int saved, int count, std::int64_t skipped) {
  std::wstring text = L"Series " + std::to_wstring(saved);
  if (count > 0) text += L" / " + std::to_wstring(count);
  return text + SkippedSuffix(skipped);
}

std::wstring SeriesEndText(SeriesEnd end, int saved, std::int64_t skipped) {
  const wchar_t* how = end == SeriesEnd::Completed ? L"done" : end == SeriesEnd::Failed ? L"failed" : L"stopped";
  return std::wstring(L"Series ") + how + L": " + std::to_wstring(saved) + L" saved" + SkippedSuffix(skipped) +
         (end == SeriesEnd::CameraGone ? L"; the camera is gone" : L"");
}

std::wstring SeriesFailedMessage(const std::wstring& error) { return L"The series has stopped.\n" + error; }
