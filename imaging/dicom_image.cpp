#include "dicom_image.h"

#include <utility>

#include "calc/extended_ops.h"
#include "calc/fpu.h"

namespace imaging {

PixelStorage::PixelStorage(std::vector<std::uint16_t> values) {
  auto owned = std::make_shared<const std::vector<std::uint16_t>>(std::move(values));
  this->values = *owned;
  owner = std::move(owned);
}

DicomImage::DicomImage(PixelView shape, PixelStorage values, Photometric photometric,
                       int bitsStored, Rescale rescale, std::optional<DisplayWindow> window,
                       std::vector<HeaderFact> facts, ImageContext context)
    : width_(shape.width),
      height_(shape.height),
      offset_(shape.offset),
      values_(std::move(values)),
      photometric_(photometric),
      bitsStored_(bitsStored),
      rescale_(rescale),
      window_(window),
      facts_(std::move(facts)),
      context_(std::move(context)) {
  calc::Fpu fpu(calc::ParseFpuControlWord);
  slope_ = calc::toDouble(fpu, rescale_.slope);
  intercept_ = calc::toDouble(fpu, rescale_.intercept);
}

double DicomImage::displayValue(std::uint16_t value) const {
  return (static_cast<double>(value) - offset_) * slope_ + intercept_;
}

}  // namespace imaging
