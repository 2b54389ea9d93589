// The exposure as a mammography system writes its raw image: the header a reader needs to know
// what it holds and where the chest wall is.
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>

#include "exposure_dicom.h"
#include "exposure_model.h"

namespace exposure_test {
namespace {

namespace tags {
using dicom_test::Tag;
inline constexpr Tag SopClassUid{0x0008, 0x0016};
inline constexpr Tag Modality{0x0008, 0x0060};
inline constexpr Tag PresentationIntentType{0x0008, 0x0068};
inline constexpr Tag PatientOrientation{0x0020, 0x0020};
inline constexpr Tag ImageLaterality{0x0020, 0x0062};
}  // namespace tags

// Digital Mammography X-Ray Image Storage - For Processing; a UID is padded with a zero byte.
const std::string MammographyForProcessing("1.2.840.10008.5.1.4.1.1.1.2.1\0", 30);

struct Orientation {
  const char* patientOrientation;
  const char* laterality;
};

// Indexed by Edge: towards the chest wall is posterior (P), away from it anterior (A); at the left
// or right edge, a cranio-caudal view of the left or right breast as it is usually hung.
constexpr std::array<Orientation, 4> Orientations = {{
    {"A\\R", "L"},  // Left
    {"R\\A", "R"},  // Top
    {"P\\L", "R"},  // Right
    {"L\\P", "L"},  // Bottom
}};

std::string Decimal(double value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
  return std::string(text.data(), end);
}

}  // namespace

dicom_test::TestImage AsDicom(const Exposure& exposure, std::vector<dicom_test::Element> extra) {
  const ExposurePlan& plan = exposure.plan;
  dicom_test::TestImage image;
  image.width = plan.width;
  image.height = plan.height;
  image.bitsAllocated = 16;
  image.bitsStored = plan.bitsStored;
  image.photometric = plan.monochrome1 ? "MONOCHROME1" : "MONOCHROME2";
  image.stored.assign(exposure.stored.begin(), exposure.stored.end());
  const Orientation& orientation = Orientations[static_cast<std::size_t>(plan.chestWall)];
  const std::string spacing = Decimal(plan.pixelSpacingMm);
  const double centre = ExpectedValue(plan, plan.width / 2, plan.height / 2);
  const double window = 40 * plan.noise + plan.signal * plan.heel;
  image.elements = {
      {tags::SopClassUid, MammographyForProcessing},
      {tags::Modality, "MG"},
      {tags::PresentationIntentType, "FOR PROCESSING"},
      {tags::PatientOrientation, orientation.patientOrientation},
      {tags::ImageLaterality, orientation.laterality},
      {dicom_test::tags::ImagerPixelSpacing, spacing + "\\" + spacing},
      {dicom_test::tags::Manufacturer, "Quantelo"},
      {dicom_test::tags::ModelName, "Realistic exposure"},
      {dicom_test::tags::Kvp, "28"},
      {dicom_test::tags::AnodeTargetMaterial, "TUNGSTEN"},
      {dicom_test::tags::FilterMaterial, "RHODIUM"},
      {dicom_test::tags::BodyPartThickness, "45"},
      {dicom_test::tags::Exposure, "63"},
      {dicom_test::tags::WindowCenter, std::to_string(std::lround(centre))},
      {dicom_test::tags::WindowWidth, std::to_string(std::lround(window))},
  };
  for (dicom_test::Element& element : extra) image.elements.push_back(std::move(element));
  return image;
}

}  // namespace exposure_test
