// Writes one synthetic test exposure for the end-to-end tests and the benchmarks: a uniform
// background with noise and a square "aluminium object" whose contrast-to-noise ratio is 5.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "dicom_test_writer.h"

namespace {

constexpr const char* Usage =
    "usage: write_test_dicom OUT.dcm [--size WxH] [--syntax NAME] [--bits 8..16] [--monochrome1]\n"
    "                        [--seed N] [--serial TEXT] [--date YYYYMMDD]\n"
    "Writes a WxH image (default 1024x832, 12 bits stored) of a background at 2000 with noise of\n"
    "standard deviation 20 and a square object 100 higher (scaled by 2^(bits-12)), of side\n"
    "min(400, W/2, H/2), centred. With --monochrome1 the stored values are inverted, so the\n"
    "object is darker in the file and still shown bright. NAME: implicit, explicit, bigendian,\n"
    "deflated, jpeg, jpegls, jpeg2000, rle (default explicit). --serial and --date give the\n"
    "Device Serial Number and the Acquisition Date.\n";

struct Options {
  std::string output;
  int width = 1024;
  int height = 832;
  int bits = 12;
  bool monochrome1 = false;
  std::uint64_t seed = 1;
  std::string serial;
  std::string date;
  dicom_test::TransferSyntax syntax = dicom_test::TransferSyntax::ExplicitLittleEndian;
};

template <typename Number>
bool parseNumber(std::string_view text, Number& number) {
  const char* end = text.data() + text.size();
  return !text.empty() && std::from_chars(text.data(), end, number).ptr == end;
}

bool parseOptions(int argc, char** argv, Options& options) {
  if (argc < 2) return false;
  options.output = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--monochrome1") {
      options.monochrome1 = true;
      continue;
    }
    if (i + 1 == argc) return false;
    const std::string_view value = argv[++i];
    if (option == "--size") {
      const std::size_t x = value.find('x');
      if (x == std::string_view::npos || !parseNumber(value.substr(0, x), options.width) ||
          !parseNumber(value.substr(x + 1), options.height)) {
        return false;
      }
    } else if (option == "--syntax") {
      const auto syntax = dicom_test::SyntaxFromName(value);
      if (!syntax) return false;
      options.syntax = *syntax;
    } else if (option == "--bits") {
      if (!parseNumber(value, options.bits)) return false;
    } else if (option == "--seed") {
      if (!parseNumber(value, options.seed)) return false;
    } else if (option == "--serial") {
      options.serial = value;
    } else if (option == "--date") {
      options.date = value;
    } else {
      return false;
    }
  }
  return options.width >= 2 && options.height >= 2 && options.width % 2 == 0 && options.bits >= 8 &&
         options.bits <= 16;
}

// SplitMix64: fast and good enough for noise, and the same on every machine.
std::uint64_t nextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Near-Gaussian noise of standard deviation 1: the sum of four uniform 16-bit numbers.
double unitNoise(std::uint64_t& state) {
  const std::uint64_t bits = nextRandom(state);
  double sum = 0;
  for (int shift = 0; shift < 64; shift += 16) sum += static_cast<double>((bits >> shift) & 0xFFFF);
  constexpr double Mean = 4 * 32767.5;
  const double deviation = std::sqrt(4 * (65536.0 * 65536.0 - 1) / 12);
  return (sum - Mean) / deviation;
}

dicom_test::TestImage exposure(const Options& options) {
  const double scale = std::ldexp(1.0, options.bits - 12);
  const double background = 2000 * scale;
  const double noise = 20 * scale;
  const double object = background + 5 * noise;
  const int maximum = (1 << options.bits) - 1;
  const int side = std::min({400, options.width / 2, options.height / 2});
  const int left = (options.width - side) / 2;
  const int top = (options.height - side) / 2;

  dicom_test::TestImage image;
  image.width = options.width;
  image.height = options.height;
  image.bitsAllocated = options.bits > 8 ? 16 : 8;
  image.bitsStored = options.bits;
  image.photometric = options.monochrome1 ? "MONOCHROME1" : "MONOCHROME2";
  image.syntax = options.syntax;
  image.stored.resize(static_cast<std::size_t>(options.width) * options.height);
  std::uint64_t state = options.seed;
  auto value = image.stored.begin();
  for (int y = 0; y < options.height; ++y) {
    const bool objectRow = y >= top && y < top + side;
    for (int x = 0; x < options.width; ++x) {
      const bool inObject = objectRow && x >= left && x < left + side;
      const double level = (inObject ? object : background) + noise * unitNoise(state);
      const int stored = std::clamp(static_cast<int>(std::lround(level)), 0, maximum);
      *value++ = options.monochrome1 ? maximum - stored : stored;
    }
  }
  const double window = object + background;
  image.elements = {
      {dicom_test::tags::Manufacturer, "Quantelo"},
      {dicom_test::tags::ModelName, "Synthetic exposure"},
      {dicom_test::tags::Kvp, "28"},
      {dicom_test::tags::AnodeTargetMaterial, "TUNGSTEN"},
      {dicom_test::tags::FilterMaterial, "RHODIUM"},
      {dicom_test::tags::BodyPartThickness, "45"},
      {dicom_test::tags::Exposure, "63"},
      {dicom_test::tags::ImagerPixelSpacing, "0.1\\0.1"},
      {dicom_test::tags::WindowCenter,
       std::to_string(std::lround(options.monochrome1 ? maximum - window / 2 : window / 2))},
      {dicom_test::tags::WindowWidth, std::to_string(std::lround(40 * noise))},
  };
  if (!options.serial.empty())
    image.elements.push_back({dicom_test::tags::DeviceSerialNumber, options.serial});
  if (!options.date.empty())
    image.elements.push_back({dicom_test::tags::AcquisitionDate, options.date});
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::fputs(Usage, stderr);
    return 2;
  }
  try {
    dicom_test::WriteDicomFile(exposure(options), options.output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "write_test_dicom: %s\n", error.what());
    return 1;
  }
  return 0;
}
