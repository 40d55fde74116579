#pragma once
#include <windows.h>

#include <utility>

#include "framework/handles.h"

namespace q7::imaging {

// The recording DC of a metafile. Finish() closes it and hands over the metafile; a DC that is
// never finished is closed and its metafile thrown away.
class MetafileRecorder {
 public:
  explicit MetafileRecorder(HDC dc) : dc_(dc) {}
  MetafileRecorder(const MetafileRecorder&) = delete;
  MetafileRecorder& operator=(const MetafileRecorder&) = delete;
  ~MetafileRecorder() { Finish(); }

  HDC Get() const { return dc_; }
  fw::UniqueMetafile Finish() {
    if (dc_ == nullptr) return fw::UniqueMetafile{};
    return fw::UniqueMetafile{CloseMetaFile(std::exchange(dc_, nullptr))};
  }

 private:
  HDC dc_;
};

}  // namespace q7::imaging
