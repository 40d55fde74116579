// The corrector on frames of its own, as the camera's hand-off gives them: averaging, taking
// dark frames and flat fields with their checks, and the files they are kept in.
#include "imaging/frame_corrector.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "imaging/image_file.h"

namespace {

using namespace q7::imaging;
using Kind = CorrectionReport::Kind;

constexpr int kW = 64, kH = 48;
constexpr std::size_t kStride = 3 * kW;

class Corrector : public ::testing::Test {
 protected:
  Corrector() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"q7corr-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
              std::to_wstring(::GetTickCount64());
  }
  ~Corrector() override {
    corrector_.reset();
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((folder_ + L"\\*.q7corr").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do ::DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
      while (::FindNextFileW(find, &found));
      ::FindClose(find);
    }
    ::RemoveDirectoryW(folder_.c_str());
  }
  FrameCorrector& Make() {
    corrector_ = std::make_unique<FrameCorrector>(FrameCorrector::Options{folder_, L""});
    return *corrector_;
  }
  std::wstring Path(CorrectionKind kind, int w = kW, int h = kH) const {
    return folder_ + L"\\" + CorrectionFileName(kind, w, h, L"");
  }
  // A frame: value(i) at every one of its width * 3 * height values.
  static std::vector<std::uint8_t> Frame(const std::function<int(std::size_t)>& value) {
    std::vector<std::uint8_t> f(kStride * kH);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(std::clamp(value(i), 0, 255));
    return f;
  }
  std::vector<std::uint8_t> Apply(std::vector<std::uint8_t> frame) {
    corrector_->Apply(frame.data(), kStride, kW, kH);
    return frame;
  }
  // Takes one from frames given by `value`, until the worker dealt with it.
  std::vector<CorrectionReport> TakeFrom(CorrectionKind kind, const std::function<int(std::size_t)>& value) {
    EXPECT_TRUE(corrector_->Take(kind));
    for (int i = 0; i < FrameCorrector::kTakeFrames; ++i) Apply(Frame(value));
    EXPECT_FALSE(corrector_->Status().taking);
    corrector_->WaitUntilIdle();
    return corrector_->TakeReports();
  }
  static bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::wstring folder_;
  std::unique_ptr<FrameCorrector> corrector_;
};

// A sensor's dark pattern: a small offset everywhere and a hot pixel.
int DarkPattern(std::size_t i) { return i == 700 ? 200 : static_cast<int>(i * 7 % 9); }

TEST_F(Corrector, WithNothingOnEveryFrameStaysByteForByte) {
  FrameCorrector& c = Make();
  const auto frame = Frame([](std::size_t i) { return static_cast<int>(i * 31 % 256); });
  EXPECT_EQ(Apply(frame), frame);
  c.SetCorrectionOn(true);  // on, but nothing was ever taken
  EXPECT_EQ(Apply(frame), frame);
  c.WaitUntilIdle();
  EXPECT_EQ(Apply(frame), frame);
  EXPECT_EQ(c.Status().gap, CorrectionGap::NothingStored);
  EXPECT_EQ(CorrectionInfoText(c.Status()), L"Not corrected: no dark frame or flat field for 64 x 48");
}

TEST_F(Corrector, ADarkFrameIsTakenFromSixteenRawFramesKeptAndSubtracted) {
  FrameCorrector& c = Make();
  c.SetAveraging(4);  // averaging does not reach what is taken
  const auto reports = TakeFrom(CorrectionKind::Dark, DarkPattern);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].kind, Kind::Taken) << reports[0].text;
  EXPECT_TRUE(Exists(Path(CorrectionKind::Dark)));
  EXPECT_TRUE(c.CorrectionOn());
  c.SetAveraging(0);
  EXPECT_EQ(Apply(Frame(DarkPattern)), Frame([](std::size_t) { return 0; }));
  // The hot pixel too: 250 less its 200.
  EXPECT_EQ(Apply(Frame([](std::size_t i) { return DarkPattern(i) + 50; })), Frame([](std::size_t) { return 50; }));
  EXPECT_EQ(CorrectionInfoText(c.Status()), L"Corrected: dark");
}

TEST_F(Corrector, PicturesThatDoNotSuitAreRefusedWithTheirReasonAndNothingIsKept) {
  Make();
  const struct {
    CorrectionKind kind;
    std::function<int(std::size_t)> value;
    const wchar_t* why;
  } cases[] = {
      {CorrectionKind::Dark, [](std::size_t) { return 90; }, L"the picture is not dark"},
      {CorrectionKind::Flat, [](std::size_t i) { return i % 100 == 0 ? 255 : 180; }, L"clipped at white"},
      {CorrectionKind::Flat, [](std::size_t) { return 20; }, L"too dim"},
  };
  for (const auto& c : cases) {
    const auto reports = TakeFrom(c.kind, c.value);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].kind, Kind::NotTaken);
    EXPECT_NE(reports[0].text.find(c.why), std::wstring::npos) << reports[0].text;
    EXPECT_FALSE(Exists(Path(c.kind)));
  }
  EXPECT_FALSE(corrector_->CorrectionOn());
}

// (A take whose frames stop coming is CorrectedCamera's: the camera is unplugged.)
TEST_F(Corrector, ATakeEndsWithAMessageWhenThePictureChangesSize) {
  FrameCorrector& c = Make();
  ASSERT_TRUE(c.Take(CorrectionKind::Dark));
  EXPECT_FALSE(c.Take(CorrectionKind::Flat));  // one at a time
  Apply(Frame(DarkPattern));
  EXPECT_EQ(c.Status().takenFrames, 1);
  std::vector<std::uint8_t> small(3 * 32 * 24, 0);
  c.Apply(small.data(), 3 * 32, 32, 24);
  const auto reports = c.TakeReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].text, L"The dark frame was not taken: the picture size changed while it was being taken.");
  EXPECT_FALSE(c.Status().taking);
}

TEST_F(Corrector, StoredFilesAreReadForTheirPictureSizeAndDamagedOnesRefusedDeletedAndNeverApplied) {
  CorrectionPicture dark;
  dark.kind = CorrectionKind::Dark, dark.width = kW, dark.height = kH, dark.frames = 16;
  dark.dark.assign(dark.Values(), 10);
  ASSERT_EQ(SaveCorrection(folder_, dark, L""), L"");
  CorrectionPicture flat;
  flat.kind = CorrectionKind::Flat, flat.width = kW, flat.height = kH, flat.frames = 16;
  flat.flatSum.assign(flat.Values(), 16 * 100);
  auto truncated = EncodeCorrectionFile(flat);
  truncated.resize(truncated.size() - 1000);
  ASSERT_TRUE(SUCCEEDED(SaveFileBytes(Path(CorrectionKind::Flat).c_str(), truncated)));

  FrameCorrector& c = Make();
  c.SetCorrectionOn(true);
  const auto frame = Frame([](std::size_t) { return 60; });
  Apply(frame);
  c.WaitUntilIdle();
  const auto reports = c.TakeReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].kind, Kind::StoreProblem);
  EXPECT_NE(reports[0].text.find(L"is damaged: it holds"), std::wstring::npos) << reports[0].text;
  EXPECT_FALSE(Exists(Path(CorrectionKind::Flat)));
  EXPECT_EQ(Apply(frame), Frame([](std::size_t) { return 50; }));  // the dark frame alone

  // Another picture size: the correction is not applied, and the line says why.
  std::vector<std::uint8_t> other(3 * 32 * 24 + 4 * 24, 60);  // padded rows
  c.Apply(other.data(), 3 * 32 + 4, 32, 24);
  c.WaitUntilIdle();
  c.Apply(other.data(), 3 * 32 + 4, 32, 24);
  EXPECT_EQ(other, std::vector<std::uint8_t>(other.size(), 60));
  EXPECT_EQ(CorrectionInfoText(c.Status()), L"Not corrected: the correction is for 64 x 48, the picture is 32 x 24");
}

TEST_F(Corrector, AveragingStepsThroughItsLengthsAndStartsAgainWhenTheCameraChanges) {
  FrameCorrector& c = Make();
  std::vector<int> steps;
  for (int i = 0; i < 6; ++i) steps.push_back(c.StepAveraging());
  EXPECT_EQ(steps, (std::vector<int>{2, 4, 8, 16, 32, 0}));
  c.SetAveraging(8);
  Apply(Frame([](std::size_t) { return 0; }));
  EXPECT_EQ(Apply(Frame([](std::size_t) { return 200; })), Frame([](std::size_t) { return 100; }));
  c.Restart();
  EXPECT_EQ(Apply(Frame([](std::size_t) { return 200; })), Frame([](std::size_t) { return 200; }));
  EXPECT_EQ(CorrectionInfoText(c.Status()), L"avg 8");
}

// What the sensor's photosite under output pixel (x, y) gives, with the picture mirrored as
// the camera does it: `sensor` is a pattern indexed as the unmirrored picture.
std::function<int(std::size_t)> Mirrored(Mirroring m, std::function<int(std::size_t)> sensor) {
  return [m, sensor](std::size_t i) {
    const std::size_t x = i % kStride / 3, y = i / kStride, c = i % 3;
    const std::size_t sx = m.horizontal ? kW - 1 - x : x, sy = m.vertical ? kH - 1 - y : y;
    return sensor(sy * kStride + 3 * sx + c);
  };
}

// The camera mirrors within its area of the sensor, so a photosite's dark offset and flat gain
// move with the mirroring; what was taken under one mirroring fits the picture under any other.
TEST_F(Corrector, DarkFramesAndFlatFieldsFollowTheMirroring) {
  // A lamp brighter to the right, over the sensor's dark pattern.
  const auto lamp = [](std::size_t i) { return 100 + static_cast<int>(i % kStride) / 3 + DarkPattern(i); };
  const auto zeros = Frame([](std::size_t) { return 0; });
  FrameCorrector& c = Make();
  c.SetMirroring({true, false});
  EXPECT_EQ(TakeFrom(CorrectionKind::Dark, Mirrored({true, false}, DarkPattern))[0].kind, Kind::Taken);
  EXPECT_EQ(TakeFrom(CorrectionKind::Flat, Mirrored({true, false}, lamp))[0].kind, Kind::Taken);
  EXPECT_EQ(Apply(Frame(Mirrored({true, false}, DarkPattern))), zeros);

  c.SetMirroring({});
  c.WaitUntilIdle();
  EXPECT_EQ(Apply(Frame(DarkPattern)), zeros);
  const auto even = Apply(Frame(lamp));
  const auto [least, most] = std::minmax_element(even.begin(), even.end());
  EXPECT_LE(*most - *least, 2);

  // Read back from the files by a program started with the picture mirrored both ways.
  Make().SetMirroring({true, true});
  corrector_->SetCorrectionOn(true);
  Apply(zeros);
  corrector_->WaitUntilIdle();
  EXPECT_EQ(Apply(Frame(Mirrored({true, true}, DarkPattern))), zeros);
}

// The mirroring changes while a new dark frame is being written: the new one is applied, turned,
// not the one held before it.
TEST_F(Corrector, ADarkFrameTakenAsTheMirroringChangesIsTheOneApplied) {
  FrameCorrector& c = Make();
  TakeFrom(CorrectionKind::Dark, [](std::size_t) { return 5; });
  ASSERT_TRUE(c.Take(CorrectionKind::Dark));
  for (int i = 0; i < FrameCorrector::kTakeFrames; ++i) Apply(Frame(DarkPattern));
  c.SetMirroring({true, false});  // as the worker writes it
  c.WaitUntilIdle();
  EXPECT_EQ(Apply(Frame(Mirrored({true, false}, DarkPattern))), Frame([](std::size_t) { return 0; }));
}

// With the correction off nothing is held; a dark frame taken then goes with the flat field
// stored for the picture.
TEST_F(Corrector, TakingOneKindAppliesTheOtherKindStoredForThePicture) {
  CorrectionPicture flat;
  flat.kind = CorrectionKind::Flat, flat.width = kW, flat.height = kH, flat.frames = 16;
  flat.flatSum.assign(flat.Values(), 16 * 150);
  ASSERT_EQ(SaveCorrection(folder_, flat, L""), L"");
  FrameCorrector& c = Make();
  TakeFrom(CorrectionKind::Dark, DarkPattern);
  Apply(Frame(DarkPattern));
  EXPECT_EQ(CorrectionInfoText(c.Status()), L"Corrected: dark, flat");
}

TEST(CorrectionFile, RoundTripsAndRefusesWhatItsNameDoesNotPromise) {
  CorrectionPicture flat;
  flat.kind = CorrectionKind::Flat, flat.width = 8, flat.height = 2, flat.frames = 16;
  for (std::size_t i = 0; i < flat.Values(); ++i) flat.flatSum.push_back(static_cast<std::uint16_t>(i * 1000));
  const auto bytes = EncodeCorrectionFile(flat);
  EXPECT_EQ(bytes.size(), 32u + 2 * 48);
  const DecodedCorrection back = DecodeCorrectionFile(bytes, CorrectionKind::Flat, 8, 2);
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.picture.flatSum, flat.flatSum);

  const auto problem = [&](std::vector<std::uint8_t> b, CorrectionKind kind, int w, int h) {
    const DecodedCorrection d = DecodeCorrectionFile(b, kind, w, h);
    EXPECT_FALSE(d.ok);
    return d.problem;
  };
  EXPECT_EQ(problem({bytes.begin(), bytes.end() - 1}, CorrectionKind::Flat, 8, 2),
            L"it holds 127 bytes where 128 belong");
  EXPECT_EQ(problem(bytes, CorrectionKind::Flat, 4, 2), L"it is for a picture of 8 x 2, not 4 x 2");
  EXPECT_EQ(problem(bytes, CorrectionKind::Dark, 8, 2), L"it is not a dark frame of this program");
  EXPECT_EQ(problem({bytes.begin(), bytes.begin() + 10}, CorrectionKind::Flat, 8, 2),
            L"it is not a flat field of this program");
  auto newer = bytes;
  newer[8] = 2;
  EXPECT_TRUE(DecodeCorrectionFile(newer, CorrectionKind::Flat, 8, 2).newerVersion);

  EXPECT_EQ(CorrectionFileName(CorrectionKind::Flat, 2592, 1944, L"Plan 10x/0.25"),
            L"flat 2592x1944 Plan 10x_0.25.q7corr");
  EXPECT_EQ(CorrectionFileName(CorrectionKind::Dark, 2592, 1944, L"Plan 10x"), L"dark 2592x1944.q7corr");
}

}  // namespace
