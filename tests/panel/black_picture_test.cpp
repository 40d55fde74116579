// The black-picture watch: the brightness it measures, the setting it names and when it
// speaks, by plain calls.
#include "panel/black_picture.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/settings_records.h"

namespace {

using testing_support::DefaultRecord;

// A picture of `width` x `height` with rows padded to 4 bytes; the left `litColumns` columns
// are `lit` (all three bytes), the rest black. The padding is 0xFF, which must not count.
struct TestPicture {
  TestPicture(int width, int height, int litColumns, std::uint8_t lit)
      : width(width), height(height), stride((3 * static_cast<std::size_t>(width) + 3) & ~std::size_t{3}) {
    bytes.assign(stride * height, 0xFF);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < 3; ++c) bytes[y * stride + 3 * x + c] = x < litColumns ? lit : 0;
  }
  display::BgrPicture View() const { return {bytes.data(), width, height, stride}; }
  int width, height;
  std::size_t stride;
  std::vector<std::uint8_t> bytes;
};

TEST(BlackPictureBrightness, IsTheMeanLuminanceOfTheWholePicture) {
  EXPECT_EQ(MeanBrightness(TestPicture(641, 479, 0, 0).View()), 0.0);
  EXPECT_EQ(MeanBrightness(TestPicture(641, 479, 641, 200).View()), 200.0);
  // Half lit: the sample grid spreads over the whole picture.
  EXPECT_NEAR(MeanBrightness(TestPicture(2592, 1944, 1296, 255).View()), 127.5, 2.0);
  EXPECT_EQ(MeanBrightness({}), 0.0);
}

TEST(BlackPictureText, NamesTheSettingThatDarkensThePictureMost) {
  PropertyRecord r = DefaultRecord();
  r.totalGain = 0.0;
  r.blueGain = 0.0;
  EXPECT_EQ(BlackPictureText(r), L"The picture is black: the white-balance gain is 0.00.");
  r = DefaultRecord();
  r.redGain = r.greenGain = 0.004;
  r.blueGain = 0.0;
  EXPECT_EQ(BlackPictureText(r), L"The picture is black: the red, green and blue gains are 0.00, 0.00 and 0.00.");
  r = DefaultRecord();
  r.exposureTime = 1000;
  EXPECT_EQ(BlackPictureText(r), L"The picture is black: the exposure is 1000 \u00b5s at a gain of 0.00 dB.");
  r.autoExposure = 1;
  r.exposureUpperLimit = 1500;
  EXPECT_EQ(BlackPictureText(r),
            L"The picture is black: the exposure may reach only 1500 \u00b5s and the gain 0.00 dB.");
  r = DefaultRecord();
  r.gainOffset = -80.0;
  EXPECT_EQ(BlackPictureText(r), L"The picture is black: the gain offset is -80.00 %.");
  EXPECT_EQ(BlackPictureText(DefaultRecord()), L"The picture is black: is the lens covered, or the scene dark?");
}

class BlackPictureWatching : public ::testing::Test {
 protected:
  BlackPictureWatch::Outcome Look(double seconds, std::optional<double> brightness) {
    return watch_.Look(seconds, brightness, [this] { return record_; });
  }
  // The seconds at which the watch spoke, looking once a second from `from` to `to`.
  std::vector<double> ToldAt(double from, double to, double brightness) {
    std::vector<double> told;
    for (double t = from; t <= to; t += 1.0)
      if (Look(t, brightness).tell) told.push_back(t);
    return told;
  }

  BlackPictureWatch watch_;
  PropertyRecord record_ = [] {
    PropertyRecord r = DefaultRecord();
    r.totalGain = 0.0;
    return r;
  }();
};

TEST_F(BlackPictureWatching, TellsOnceAfterThreeSecondsUntilThePictureIsBack) {
  EXPECT_EQ(ToldAt(100, 102, 3.9), std::vector<double>{});
  ASSERT_EQ(ToldAt(103, 130, 0.0), std::vector<double>{103});
  EXPECT_EQ(Look(131, 0.0).tell, std::nullopt);
  EXPECT_TRUE(Look(132, 4.0).back);
  EXPECT_FALSE(Look(133, 90.0).back);  // said once
  // Black again: told again, three seconds on.
  EXPECT_EQ(ToldAt(134, 140, 1.0), std::vector<double>{137});
}

TEST_F(BlackPictureWatching, WhileNoFramesArriveNothingIsCounted) {
  EXPECT_EQ(ToldAt(0, 2, 0.0), std::vector<double>{});
  EXPECT_FALSE(Look(2.5, std::nullopt).tell);  // stopped or unplugged: no picture to judge
  EXPECT_EQ(ToldAt(3, 6, 0.0), std::vector<double>{6});
  // Told and then stopped: playing on into the same black picture says nothing new.
  EXPECT_FALSE(Look(7, std::nullopt).back);
  EXPECT_EQ(ToldAt(8, 20, 0.0), std::vector<double>{});
}

}  // namespace
