// Feeds arbitrary bytes to the DICOM reader: it must give an ImageError with a message or an
// image that keeps its contract, whose pixels are then measured.
// The seeds are small exposures in every transfer syntax, written by write_test_dicom, e.g.
//   write_test_dicom tests/fuzz/dicom_seeds/rle_16bit.dcm --size 32x24 --syntax rle --bits 16
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "imaging/dicom_image.h"
#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_placement.h"
#include "imaging/roi_statistics.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void checkImage(const imaging::DicomImage& image) {
  const int width = image.width();
  const int height = image.height();
  require(width >= 1 && height >= 1 && width <= imaging::MaxImageSide &&
          height <= imaging::MaxImageSide &&
          std::uint64_t(width) * std::uint64_t(height) <= imaging::MaxImagePixels);
  require(image.bitsStored() >= 1 && image.bitsStored() <= 16);
  const imaging::PixelView pixels = image.pixels();
  require(pixels.values.size() ==
          static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  require(pixels.offset == 0 || pixels.offset == 1 << (image.bitsStored() - 1));
  const std::uint32_t limit = std::uint32_t{1} << image.bitsStored();
  for (const std::uint16_t value : pixels.values) require(value < limit);
  require(!image.facts().empty());

  const imaging::Roi whole{0, 0, width, height};
  const imaging::Roi corner{width - 1, height - 1, 1, 1};
  const imaging::Measurement measurement = imaging::Measure(image, whole, corner);
  require(!measurement.aluminium.mean.empty() && !measurement.sdnr.empty());
  require(measurement.background.standardDeviation == "NAN");

  // Whatever the pixels hold, the survey, the placement and the checks come back with ROIs in
  // the image.
  const imaging::ExposureSurvey survey = imaging::SurveyExposure(image);
  const imaging::RoiPlacement placement = imaging::PlaceRois(survey);
  require(placement.aluminium.fitsIn(width, height) && placement.background.fitsIn(width, height));
  imaging::CheckMeasurement(survey, image.context(), placement.aluminium, placement.background);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
  try {
    checkImage(imaging::ReadDicomImage(stream));
  } catch (const imaging::ImageError& error) {
    require(error.what()[0] != '\0');
  }
  return 0;
}
