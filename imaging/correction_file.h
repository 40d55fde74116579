#pragma once
// The stored dark frames and flat fields: one file per kind and picture size (a flat field also
// per calibration, the objective it was taken through), in a folder of the program's own under
// the user's local application data. A file is a 32-byte header and the values:
//   "Q7CORR\0\0", then little-endian 32-bit version (1), kind (0 dark, 1 flat), width, height,
//   frames averaged, bytes per value (1: a dark frame's averages; 2: a flat field's sums).
// The values are as the sensor sees them: not mirrored, whatever the mirroring at the take.
// A file that does not hold exactly what its name and header promise is refused, never used.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace q7::imaging {

enum class CorrectionKind { Dark, Flat };

struct CorrectionPicture {
  CorrectionKind kind = CorrectionKind::Dark;
  int width = 0;
  int height = 0;
  int frames = 0;                      // averaged into it
  std::vector<std::uint8_t> dark;      // a dark frame: the average, width * height * 3 values
  std::vector<std::uint16_t> flatSum;  // a flat field: the sum of its frames, width * height * 3 values
  std::size_t Values() const { return static_cast<std::size_t>(width) * height * 3; }
};

std::vector<std::uint8_t> EncodeCorrectionFile(const CorrectionPicture& picture);

// What a file's bytes hold for the kind and size its name promises. `problem` says what is
// wrong when nothing usable is there: "it holds 1234 bytes where 15116576 belong".
struct DecodedCorrection {
  bool ok = false;
  bool newerVersion = false;  // written by a newer program: left alone
  CorrectionPicture picture;
  std::wstring problem;
};
DecodedCorrection DecodeCorrectionFile(std::span<const std::uint8_t> bytes, CorrectionKind kind, int width, int height);

// "dark 2592x1944.q7corr", "flat 2592x1944 Plan 10x.q7corr": the calibration's name with the
// characters a file name cannot hold replaced.
std::wstring CorrectionFileName(CorrectionKind kind, int width, int height, const std::wstring& calibration);
// <local application data>\ORMELAN\TK Lumora-Q7\Corrections; empty when Windows has no such folder.
std::wstring DefaultCorrectionFolder();
// "dark frame", "flat field".
const wchar_t* CorrectionKindName(CorrectionKind kind);

// Reading one stored file. A missing file is no correction and no message; a damaged one (cut
// short, of another size, not ours) is deleted, so it is told once; one from a newer program
// and one that cannot be read are left where they are.
struct LoadedCorrection {
  enum class Outcome { Missing, Loaded, Refused };
  Outcome outcome = Outcome::Missing;
  CorrectionPicture picture;
  std::wstring message;  // for the user, when refused
};
LoadedCorrection LoadCorrection(const std::wstring& folder, CorrectionKind kind, int width, int height,
                                const std::wstring& calibration);
// A picture size other than width x height that a dark frame or flat field (of this calibration)
// is stored for; 0 x 0 when there is none.
struct StoredSize {
  int width = 0, height = 0;
};
StoredSize StoredSizeOtherThan(const std::wstring& folder, int width, int height, const std::wstring& calibration);
// Writes the file whole under a temporary name and renames it (creating the folder first), so
// a file is only ever complete or absent. Returns the message for the user when it failed.
std::wstring SaveCorrection(const std::wstring& folder, const CorrectionPicture& picture,
                            const std::wstring& calibration);

}  // namespace q7::imaging
