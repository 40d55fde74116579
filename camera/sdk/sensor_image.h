#pragma once
// The simulated sensor's picture: a fixed test chart computed once, and the cheap per-frame
// work that turns it into what the camera would deliver for the current settings.
// Pure functions on plain buffers, so they can be tested on small pictures.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace q7sim {

constexpr int kSensorWidth = 2592;
constexpr int kSensorHeight = 1944;
// Exposure time at which the chart shows its nominal brightness.
constexpr int kNominalExposeUs = 20000;

// Packed BGR24, rows top first, no padding.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::size_t Stride() const { return static_cast<std::size_t>(width) * 3; }
};

// Colour bars, a grey ramp, outlines of the standard areas of interest around the centre,
// an orientation mark and a small copy of the chart in the central 640 x 480. The light is
// warm (red strong, blue weak) so that the white balance has something to correct.
Picture MakeTestChart(int width, int height);

struct ImageSettings {
  int x = 0, y = 0, width = 0, height = 0;                // area of interest on the sensor
  double brightness = 1.0;                                // exposure and analogue gain as one factor
  double blueGain = 1.0, greenGain = 1.0, redGain = 1.0;  // white balance times total gain
  double offset = 0.0;                                    // added to every channel, in 0..255 units
  bool mono = false;
  bool flipVertical = false;
  bool flipHorizontal = false;
  friend bool operator==(const ImageSettings&, const ImageSettings&) = default;
};

// Brightness factor of an exposure time and a gain.
double Brightness(int exposeUs, double gainDb);

// Per-channel transfer of a chart value to an output value: round(v * k + offset), clamped.
struct ChannelTables {
  std::array<std::uint8_t, 256> blue{}, green{}, red{};
};
ChannelTables MakeChannelTables(const ImageSettings& settings);

// Whether the area of interest lies on the picture.
bool AoiFits(const ImageSettings& settings, int pictureWidth, int pictureHeight);

// Writes the area of interest of `chart`, transformed by `settings`, into `out`
// (width * 3 * height bytes). The area must fit (AoiFits).
void RenderFrame(const Picture& chart, const ImageSettings& settings, std::uint8_t* out);

// Draws what moves, in chart coordinates so that crop and mirroring apply to it: a ball
// bouncing inside the central 640 x 480 and a binary frame counter above it.
void DrawMovingObjects(const ImageSettings& settings, int chartWidth, int chartHeight, std::uint64_t frameNumber,
                       std::uint8_t* out);

// Undoes DrawMovingObjects of frame `frameNumber` on `out`, from the frame without them
// (`developed`, same settings), so a buffer need not be developed again for the next frame.
void RestoreMovingObjects(const ImageSettings& settings, int chartWidth, int chartHeight, std::uint64_t frameNumber,
                          const std::uint8_t* developed, std::uint8_t* out);

// ---------------------------------------------------------------------------------------
// Faults of a real sensor and its optics, for the picture correction to take out. Each is off
// by default, so the picture stays exactly the chart (camera/sdk/README.md).

enum class Scene {
  Chart,  // the test chart
  Flat,   // an even bright field, as with the specimen taken out
  Dark,   // a capped lens: no light at all
};

// The scene in sensor coordinates, lit through optics whose brightness falls off towards the
// corners: at the farthest corner from the optical centre (which lies off the sensor's centre)
// the light is `vignette` (0 to 1) less. 0: no fall-off, and the chart is MakeTestChart's.
Picture MakeScene(Scene scene, double vignette, int width, int height);
// The share of light that reaches sensor point (x, y) of a width x height sensor.
double VignetteAt(double vignette, int x, int y, int width, int height);

// The sensor's fixed dark pattern: an offset per pixel and channel, 0 to 2 * level (mean
// level), with about one value in 5000 a hot one of 96 to 255. A function of the sensor
// position, so a crop and mirroring move it as they move the picture.
std::uint8_t DarkOffsetAt(int level, int sensorX, int sensorY, int channel);
// Adds the dark pattern to a developed area of interest (saturating at 255).
void AddDarkPattern(const ImageSettings& settings, int level, std::uint8_t* out);

// Random noise per pixel and channel: a table of normally distributed values of one standard
// deviation, read from a different place in every frame, so a frame costs one pass over its
// bytes however strong the noise is.
class NoiseTable {
 public:
  NoiseTable() = default;
  // Values with standard deviation `sigma` grey levels (clamped to +-127).
  explicit NoiseTable(double sigma);
  double Sigma() const { return sigma_; }
  // out[i] = clean[i] + noise, saturating at 0 and 255; frame `frame` reads its own stretch.
  void Add(const std::uint8_t* clean, std::uint8_t* out, std::size_t count, std::uint64_t frame) const;

 private:
  double sigma_ = 0.0;
  std::vector<std::int8_t> values_;
};

// The noise's standard deviation at an analogue gain: the gain amplifies it.
double NoiseSigma(double sigmaAtZeroDb, double gainDb);

struct ChannelMeans {
  double blue = 0, green = 0, red = 0;
  double Grey() const { return 0.114 * blue + 0.587 * green + 0.299 * red; }
};
// Means over every `step`-th pixel of every `step`-th row of a BGR24 picture.
ChannelMeans MeasureMeans(const std::uint8_t* pixels, int width, int height, std::size_t stride, int step);

// Colour gains that make a picture with these raw means neutral (green kept at 1),
// clamped to [minGain, maxGain].
struct ColourGains {
  double red = 1.0, green = 1.0, blue = 1.0;
};
ColourGains NeutralisingGains(const ChannelMeans& raw, double minGain, double maxGain);

// One step of the auto exposure / auto gain controller.
struct ExposureState {
  int exposeUs = kNominalExposeUs;
  double gainDb = 0.0;
};
struct AutoControl {
  bool autoExpose = false;
  bool autoGain = false;
  int exposeLowerUs = 1, exposeUpperUs = 1;
  double gainLowerDb = 0.0, gainUpperDb = 0.0;
  int desiredGrey = 128;
  int speed = 1;  // 0 slow, 1 medium, 2 fast
};
// Brightens with the exposure time first and then the gain, darkens with the gain first,
// each kept within its limits.
ExposureState AutoControlStep(const ExposureState& now, double measuredGrey, const AutoControl& control);

}  // namespace q7sim
