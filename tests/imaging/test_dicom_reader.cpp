// Files written in every transfer syntax with known stored values must read back exactly, and
// the ROI texts must match an independent computation on the processor's own 80-bit unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include "dicom_test_writer.h"
#include "imaging/dicom_image.h"
#include "imaging/roi_statistics.h"

namespace {

using dicom_test::Element;
using dicom_test::TestImage;
using dicom_test::TransferSyntax;
namespace tags = dicom_test::tags;

static_assert(std::numeric_limits<long double>::digits == 64,
              "the reference needs the x87 80-bit format");

struct RescaleTexts {
  const char* slope;
  const char* intercept;
};

// Binary-exact texts, so that the reference does not depend on how a parser rounds.
constexpr RescaleTexts Rescales[] = {{nullptr, nullptr}, {"0.5", "-1024"}, {"-2.25", "100.75"}};
// 2^-16 and 2^40: deviations and means small and large enough to be written with exponents.
constexpr RescaleTexts TinySlope = {"1.52587890625e-5", "-0.5"};  // 2^-16 in 16 characters
constexpr RescaleTexts HugeSlope = {"1099511627776", "0"};

struct ReaderCase {
  TransferSyntax syntax;
  const char* photometric;
  bool isSigned;
  int bitsAllocated;
  int bitsStored;
  bool overlayGarbage;
  RescaleTexts rescale;
};

// Bits allocated and stored.
constexpr std::pair<int, int> Layouts[] = {{16, 1}, {16, 16}, {8, 8}, {8, 1}, {8, 5}};

std::vector<ReaderCase> ReaderCases() {
  std::vector<ReaderCase> cases;
  for (const TransferSyntax syntax : dicom_test::AllTransferSyntaxes) {
    for (const char* photometric : {"MONOCHROME1", "MONOCHROME2"}) {
      for (const bool isSigned : {false, true}) {
        for (const RescaleTexts& rescale : Rescales) {
          cases.push_back(
              {syntax, photometric, isSigned, 16, 12, rescale.slope != nullptr, rescale});
        }
      }
    }
    // Bit depths at their edges; 8 allocated with fewer bits stored only where the library can
    // encode it, and not in RLE, whose decoder in GDCM 3.0 gives up on them (such files are
    // refused with a message).
    for (const bool isSigned : {false, true}) {
      for (const auto& [allocated, stored] : Layouts) {
        const bool encodable =
            !(allocated == 8 && stored < 8 &&
              (syntax == TransferSyntax::JpegLsLossless || syntax == TransferSyntax::Rle));
        const bool garbage = stored < allocated && syntax != TransferSyntax::JpegLossless;
        if (encodable) {
          cases.push_back({syntax, "MONOCHROME2", isSigned, allocated, stored, garbage,
                           isSigned ? HugeSlope : TinySlope});
        }
      }
    }
  }
  return cases;
}

std::string Describe(const ReaderCase& c) {
  std::ostringstream text;
  text << dicom_test::SyntaxName(c.syntax) << ' ' << c.photometric
       << (c.isSigned ? " signed " : " ") << c.bitsStored << '/' << c.bitsAllocated
       << (c.overlayGarbage ? " overlay" : "") << " slope "
       << (c.rescale.slope ? c.rescale.slope : "-") << " intercept "
       << (c.rescale.intercept ? c.rescale.intercept : "-");
  return text.str();
}

// Random stored values over the whole range, both ends included.
std::vector<std::int32_t> RandomStored(const ReaderCase& c, std::size_t count, unsigned seed) {
  const std::int32_t low = c.isSigned ? -(1 << (c.bitsStored - 1)) : 0;
  const std::int32_t high = c.isSigned ? (1 << (c.bitsStored - 1)) - 1 : (1 << c.bitsStored) - 1;
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::int32_t> pick(low, high);
  std::vector<std::int32_t> values(count);
  for (std::int32_t& value : values) value = pick(random);
  values[0] = low;
  values[count - 1] = high;
  return values;
}

// The program's general format from the C library's under a rounding mode: "%.15Lg" has the
// same 15 digits and the same switch to exponents, which the program writes as "E-5" where C
// writes "e-05".
std::string ProgramFormat(long double value, int roundingMode) {
  char buffer[64];
  std::fesetround(roundingMode);
  std::snprintf(buffer, sizeof buffer, "%.15Lg", value);
  std::fesetround(FE_TONEAREST);
  std::string text = buffer;
  if (text == "-0") return "0";
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  const bool negative = text[e + 1] == '-';
  const std::string digits = text.substr(text.find_first_not_of('0', e + 2));
  return text.substr(0, e) + "E" + (negative ? "-" : "") + digits;
}

// The texts the program may write for a value. It rounds to 15 digits from an 18-digit form of
// its own, as the original did, so a value whose 16th to 18th digits lie near 500 may go
// either way (ties go away from zero); every other value has one right text.
std::vector<std::string> AcceptedTexts(long double value) {
  if (std::isnan(value)) return {"NAN"};
  char digits[64];
  std::snprintf(digits, sizeof digits, "%+.17Le", value);  // "+d.ddddddddddddddddde+x"
  const int beyondFifteen = std::atoi(std::string(digits + 17, 3).c_str());
  if (beyondFifteen < 498 || beyondFifteen > 501) return {ProgramFormat(value, FE_TONEAREST)};
  return {ProgramFormat(value, FE_TOWARDZERO),
          ProgramFormat(value, value < 0 ? FE_DOWNWARD : FE_UPWARD)};
}

void ExpectProgramText(const std::string& measured, long double exact, const imaging::Roi& roi) {
  const std::vector<std::string> accepted = AcceptedTexts(exact);
  EXPECT_NE(std::find(accepted.begin(), accepted.end(), measured), accepted.end())
      << measured << " for " << accepted.front() << " in the ROI at " << roi.x << ',' << roi.y;
}

struct Reference {
  long double mean;
  long double deviation;
};

// Exact integer sums, one rounding each for mean and variance, as the x87 does with a 64-bit
// significand (the default on x86-64 Linux), then the square root and the rescale.
Reference ReferenceStatistics(const std::vector<std::int32_t>& stored, int imageWidth,
                              const imaging::Roi& roi, const RescaleTexts& rescale) {
  __int128 sum = 0;
  __int128 squares = 0;
  for (int y = roi.y; y < roi.bottom(); ++y) {
    for (int x = roi.x; x < roi.right(); ++x) {
      const __int128 value = stored[static_cast<std::size_t>(y * imageWidth + x)];
      sum += value;
      squares += value * value;
    }
  }
  const __int128 n = roi.count();
  const __int128 numerator = n * squares - sum * sum;
  EXPECT_LT(numerator, static_cast<__int128>(1) << 63) << "the reference would round twice";
  const long double mean = static_cast<long double>(static_cast<std::int64_t>(sum)) /
                           static_cast<long double>(static_cast<std::int64_t>(n));
  const long double variance = static_cast<long double>(static_cast<std::int64_t>(numerator)) /
                               static_cast<long double>(static_cast<std::int64_t>(n * (n - 1)));
  const long double slope = rescale.slope ? std::strtold(rescale.slope, nullptr) : 1.0L;
  const long double intercept = rescale.intercept ? std::strtold(rescale.intercept, nullptr) : 0.0L;
  const long double scaledMean = mean * slope;
  return {scaledMean + intercept, std::sqrt(variance) * (slope < 0 ? -slope : slope)};
}

calc::Extended ToExtended(long double value) {
  calc::Extended result;
  std::memcpy(&result.sig, &value, 8);
  std::memcpy(&result.signExp, reinterpret_cast<const char*>(&value) + 8, 2);
  return result;
}

constexpr int Width = 23;  // odd, so that a confused row stride shows
constexpr int Height = 12;

void CheckReaderCase(const ReaderCase& c, unsigned seed) {
  constexpr imaging::Roi Rois[] = {
      {0, 0, Width, Height}, {3, 2, 11, 7}, {22, 0, 1, 12}, {5, 5, 1, 1}};
  TestImage written{.width = Width,
                    .height = Height,
                    .bitsAllocated = c.bitsAllocated,
                    .bitsStored = c.bitsStored,
                    .isSigned = c.isSigned,
                    .photometric = c.photometric,
                    .stored = RandomStored(c, Width * Height, seed),
                    .overlayGarbage = c.overlayGarbage,
                    .syntax = c.syntax,
                    .elements = {}};
  if (c.rescale.slope) {
    written.elements = {{tags::RescaleSlope, c.rescale.slope},
                        {tags::RescaleIntercept, c.rescale.intercept}};
  }
  std::istringstream file(dicom_test::WriteDicom(written));
  const imaging::DicomImage image = imaging::ReadDicomImage(file);

  ASSERT_EQ(image.width(), Width);
  ASSERT_EQ(image.height(), Height);
  EXPECT_EQ(image.bitsStored(), c.bitsStored);
  EXPECT_EQ(image.photometric(), std::string_view(c.photometric) == "MONOCHROME1"
                                     ? imaging::Photometric::Monochrome1
                                     : imaging::Photometric::Monochrome2);
  const imaging::PixelView pixels = image.pixels();
  const std::int32_t offset = c.isSigned ? 1 << (c.bitsStored - 1) : 0;
  EXPECT_EQ(pixels.offset, offset);
  std::vector<std::int32_t> readBack(pixels.values.begin(), pixels.values.end());
  for (std::int32_t& value : readBack) value -= offset;
  EXPECT_EQ(readBack, written.stored);

  const RescaleTexts rescale = c.rescale.slope ? c.rescale : RescaleTexts{"1", "0"};
  EXPECT_EQ(image.rescale().slope, ToExtended(std::strtold(rescale.slope, nullptr)));
  EXPECT_EQ(image.rescale().intercept, ToExtended(std::strtold(rescale.intercept, nullptr)));
  for (const imaging::Roi& roi : Rois) {
    const imaging::RoiMeasurement measured = imaging::MeasureRoi(pixels, image.rescale(), roi);
    const Reference expected = ReferenceStatistics(written.stored, Width, roi, c.rescale);
    EXPECT_EQ(measured.count, static_cast<std::uint64_t>(roi.count()));
    ExpectProgramText(measured.mean, expected.mean, roi);
    ExpectProgramText(measured.standardDeviation, expected.deviation, roi);
  }
}

TEST(DicomReaderTable, StoredValuesRescaleAndStatisticsInEverySyntax) {
  unsigned seed = 1;
  for (const ReaderCase& c : ReaderCases()) {
    SCOPED_TRACE(Describe(c));
    try {
      CheckReaderCase(c, seed++);
    } catch (const imaging::ImageError& error) {
      ADD_FAILURE() << "refused: " << error.what();
    }
  }
}

std::string FactValue(const imaging::DicomImage& image, std::string_view key) {
  for (const imaging::HeaderFact& fact : image.facts()) {
    if (fact.key == key) return fact.value;
  }
  ADD_FAILURE() << "no fact " << key;
  return {};
}

struct FactsCase {
  const char* name;
  std::vector<Element> elements;
  std::map<std::string_view, std::string> expected;  // every other fact is empty
  bool hasWindow = false;
  imaging::ImageContext context = {};
  TransferSyntax syntax = TransferSyntax::ExplicitLittleEndian;
};

auto Fields(const imaging::ImageContext& context) {
  return std::tie(context.modality, context.presentationIntent, context.lossyCompressed,
                  context.laterality, context.patientOrientation, context.sopClassUid,
                  context.pixelSpacingMm);
}

// The class the writer gives a file that names none.
constexpr const char* SecondaryCapture = "1.2.840.10008.5.1.4.1.1.7";

TEST(DicomReaderFacts, HeaderFactsDisplayWindowAndContextAsTheFileSaysThem) {
  const std::vector<FactsCase> cases = {
      {"none", {}, {}},
      // Both spacings: the fact shows the calibrated one, the context keeps the detector's.
      {"all",
       {{tags::Manufacturer, "ACME Medical "},
        {tags::ModelName, "Mammo 3000"},
        {tags::StationName, "MAMMO1"},
        {tags::DeviceSerialNumber, "SN 0042"},
        {tags::AcquisitionDate, "20240131"},
        {tags::AcquisitionTime, "093015.123"},
        {tags::Kvp, "28"},
        {tags::AnodeTargetMaterial, "TUNGSTEN"},
        {tags::FilterMaterial, "RHODIUM"},
        {tags::BodyPartThickness, "45"},
        {tags::Exposure, "63"},
        {tags::ExposureInMicroAs, "1000"},
        {tags::DetectorId, "DET-7"},
        {tags::SoftwareVersions, "VB10\\2.1"},
        {tags::ExposureControlMode, "AUTOMATIC"},
        {tags::TimezoneOffsetFromUtc, "+0100"},
        {tags::PixelSpacing, "0.085\\0.085"},
        {tags::ImagerPixelSpacing, "0.1\\0.1"},
        {tags::WindowCenter, "2047.5"},
        {tags::WindowWidth, "4096"}},
       {{"manufacturer", "ACME Medical"},
        {"model", "Mammo 3000"},
        {"station", "MAMMO1"},
        {"serial_number", "SN 0042"},
        {"acquisition_date", "2024-01-31"},
        {"acquisition_time", "09:30:15"},
        {"kvp", "28"},
        {"anode", "TUNGSTEN"},
        {"filter", "RHODIUM"},
        {"thickness_mm", "45"},
        {"exposure_mas", "63"},
        {"exposure_mas_source", "Exposure"},
        {"pixel_spacing_mm", "0.085 × 0.085 mm"},
        {"detector_id", "DET-7"},
        {"software_versions", "VB10\\2.1"},
        {"exposure_control_mode", "AUTOMATIC"},
        {"timezone_offset", "+0100"}},
       true,
       {"", "", false, "", "", "", 0.1}},
      {"imager pixel spacing only",
       {{tags::ImagerPixelSpacing, "0.07\\0.07"}},
       {{"pixel_spacing_mm", "0.07 × 0.07 mm"}},
       false,
       {"", "", false, "", "", "", 0.07}},
      // No number, and no pixel of 10 mm: no spacing at all.
      {"spacings malformed and too large",
       {{tags::ImagerPixelSpacing, "0,085\\0,085"}, {tags::PixelSpacing, "12\\12"}},
       {{"pixel_spacing_mm", "12 × 12 mm"}}},
      {"exposure in mAs, as a double",
       {{tags::ExposureInMas, "63.2"}},
       {{"exposure_mas", "63.2"}, {"exposure_mas_source", "Exposure in mAs"}}},
      {"exposure in µAs",
       {{tags::ExposureInMicroAs, "63250"}},
       {{"exposure_mas", "63.25"}, {"exposure_mas_source", "Exposure in µAs"}}},
      {"exposure in µAs, below 1 mAs",
       {{tags::ExposureInMicroAs, "500"}},
       {{"exposure_mas", "0.5"}, {"exposure_mas_source", "Exposure in µAs"}}},
      {"a spacing of three values, as written",
       {{tags::PixelSpacing, "+0.1\\0.1\\0.1"}},
       {{"pixel_spacing_mm", "+0.1\\0.1\\0.1"}},
       false,
       {"", "", false, "", "", "", 0.1}},
      {"latin-1",
       {{tags::SpecificCharacterSet, "ISO_IR 100"}, {tags::Manufacturer, "M\xFCller R\xF6ntgen"}},
       {{"manufacturer", "Müller Röntgen"}}},
      {"utf-8",
       {{tags::SpecificCharacterSet, "ISO_IR 192"}, {tags::StationName, "Größe"}},
       {{"station", "Größe"}}},
      // The image's own laterality before the series', lossy by the file's word.
      {"context",
       {{tags::Modality, "MG"},
        {tags::PresentationIntentType, "FOR PROCESSING"},
        {tags::SopClassUid, "1.2.840.10008.5.1.4.1.1.1.2.1"},
        {tags::ImageLaterality, "L"},
        {tags::Laterality, "R"},
        {tags::PatientOrientation, "A\\R"},
        {tags::LossyImageCompression, "01"}},
       {},
       false,
       {"MG", "FOR PROCESSING", true, "L", "A\\R", "1.2.840.10008.5.1.4.1.1.1.2.1"}},
      {"series laterality, not lossy",
       {{tags::Modality, "CT"},
        {tags::Laterality, "R"},
        {tags::LossyImageCompression, "00"},
        {tags::LossyImageCompressionRatio, "1\\1.0"},
        {tags::LossyImageCompressionMethod, "\\"}},
       {},
       false,
       {"CT", "", false, "R", ""}},
      // A copy whose flag was reset or dropped, lossy by what the coding left behind.
      {"lossy by a ratio, said lossless",
       {{tags::LossyImageCompression, "00"}, {tags::LossyImageCompressionRatio, "1\\12.5"}},
       {},
       false,
       {"", "", true, "", ""}},
      {"lossy by a ratio, not said",
       {{tags::LossyImageCompression, std::nullopt}, {tags::LossyImageCompressionRatio, "15"}},
       {},
       false,
       {"", "", true, "", ""}},
      {"lossy by a method",
       {{tags::LossyImageCompressionMethod, "ISO_10918_1"}},
       {},
       false,
       {"", "", true, "", ""}},
      // JPEG 2000 that may be lossy: lossy by the syntax alone, unless the file says "00".
      {"jpeg2000 lossy syntax",
       {{tags::LossyImageCompression, std::nullopt}},
       {},
       false,
       {"", "", true, "", ""},
       TransferSyntax::Jpeg2000},
      {"jpeg2000 lossy syntax, said lossless",
       {{tags::LossyImageCompression, "00"}},
       {},
       false,
       {},
       TransferSyntax::Jpeg2000},
      {"jpeg2000 lossless syntax", {}, {}, false, {}, TransferSyntax::Jpeg2000Lossless},
  };
  const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "facts.dcm";
  for (const FactsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TestImage written{.width = 16,
                            .height = 16,
                            .stored = std::vector<std::int32_t>(256, 7),
                            .overlayGarbage = false,
                            .syntax = c.syntax,
                            .elements = c.elements};
    dicom_test::WriteDicomFile(written, path);
    const imaging::DicomImage image = imaging::ReadDicomImage(path);
    EXPECT_EQ(image.facts().size(), 18u);
    // The writer gives every file a UID of its own.
    EXPECT_FALSE(FactValue(image, "sop_instance_uid").empty());
    for (const imaging::HeaderFact& fact : image.facts()) {
      if (fact.key == "sop_instance_uid") continue;
      const auto expected = c.expected.find(fact.key);
      EXPECT_EQ(fact.value, expected == c.expected.end() ? "" : expected->second) << fact.key;
    }
    for (const auto& [key, value] : c.expected) EXPECT_EQ(FactValue(image, key), value);
    EXPECT_EQ(image.window().has_value(), c.hasWindow);
    if (image.window()) {
      EXPECT_EQ(image.window()->center, 2047.5);
      EXPECT_EQ(image.window()->width, 4096);
    }
    imaging::ImageContext expected = c.context;
    if (expected.sopClassUid.empty()) expected.sopClassUid = SecondaryCapture;
    EXPECT_EQ(Fields(image.context()), Fields(expected));
  }
  std::filesystem::remove(path);
}

}  // namespace

namespace {

// A JPEG 2000 exposure shows a reduced first picture before the image: a quarter of each side
// for 4096 columns, with the image's header and values on the image's scale (the coarse wavelet
// band overshoots a sawtooth's edges a little); other syntaxes and small images come without one.
TEST(DicomReaderPreview, Jpeg2000ShowsAReducedFirstPictureBeforeTheImage) {
  for (const auto& [syntax, width, previewWidth] :
       {std::tuple{TransferSyntax::Jpeg2000Lossless, 4096, 1024},
        std::tuple{TransferSyntax::Jpeg2000Lossless, 1024, 0},
        std::tuple{TransferSyntax::ExplicitLittleEndian, 4096, 0}}) {
    SCOPED_TRACE(std::string(dicom_test::SyntaxName(syntax)) + " " + std::to_string(width));
    TestImage image;
    image.width = width;
    image.height = 32;
    image.bitsStored = 14;
    image.syntax = syntax;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) image.stored.push_back(4000 + x % 1000);
    }
    std::istringstream stream(dicom_test::WriteDicom(image));
    const std::filesystem::path file = std::filesystem::path(testing::TempDir()) / "preview.dcm";
    std::ofstream(file, std::ios::binary) << stream.rdbuf();
    std::vector<imaging::DicomImage> previews;
    const imaging::DicomImage read = imaging::ReadDicomImage(
        file, nullptr,
        [&](imaging::DicomImage preview) { previews.push_back(std::move(preview)); });
    std::filesystem::remove(file);
    EXPECT_EQ(read.width(), width);
    ASSERT_EQ(previews.size(), previewWidth == 0 ? 0u : 1u);
    if (previewWidth == 0) continue;
    EXPECT_EQ(previews[0].width(), previewWidth);
    EXPECT_EQ(previews[0].height(), 8);
    EXPECT_EQ(previews[0].facts().size(), read.facts().size());
    const auto [lowest, highest] =
        std::minmax_element(previews[0].pixels().values.begin(), previews[0].pixels().values.end());
    EXPECT_GE(*lowest, 3800);
    EXPECT_LE(*highest, 5200);
  }
}

}  // namespace
