#pragma once
// What the panel's status line says about snapshots being written and series running. The line
// holds some 45 characters, so the texts stay short.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "panel/capture_series.h"

// "Saving snapshot… 40 %" from encoders that tell their progress; a turning bar from the others
// (`indicatorStep` counts on by one each time the line is redrawn); the snapshots waiting
// behind this one, if any: "Saving snapshot… 40 % (+2 waiting)".
std::wstring SavingSnapshotText(std::optional<int> percent, unsigned indicatorStep, std::size_t waiting);
std::wstring SnapshotRefusedText(std::size_t waiting);
std::wstring SnapshotNotSavedText();
std::wstring ClosingAfterSavingText();

// "Series 12 / 100", "Series 12" until stopped, and ", 3 skipped" once frames were skipped.
std::wstring SeriesText(int saved, int count, std::int64_t skipped);
// "Series done: 100 saved, 3 skipped", "Series stopped: 12 saved", "Series failed: 12 saved".
std::wstring SeriesEndText(SeriesEnd end, int saved, std::int64_t skipped);
// The message box after a failed write; `error` names the file.
std::wstring SeriesFailedMessage(const std::wstring& error);
