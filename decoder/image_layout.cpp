#include "image_layout.h"

#include <gdcmAttribute.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <string>

#include "element_text.h"

namespace decoder {
namespace {

using imaging::ImageError;

// "16 Bits", "1 Bit".
std::string bitsText(unsigned bits) {
  return std::to_string(bits) + (bits == 1 ? " Bit" : " Bits");
}

// Why a pixel layout is refused, in the file's own numbers: another Bits Allocated is a choice
// the reader does not follow, contradictions within 8 or 16 bits are damage.
std::string layoutRefusal(unsigned allocated, unsigned stored) {
  if (allocated == 8 || allocated == 16) {
    return "Die Datei ist beschädigt: Bits Stored oder High Bit passt nicht zu Bits Allocated.";
  }
  const std::string layout = stored >= 1 && stored < allocated
                                 ? bitsText(stored) + " in " + bitsText(allocated)
                                 : bitsText(allocated);
  return "Die Pixeldarstellung wird nicht unterstützt: die Datei hat " + layout +
         " je Pixel; unterstützt sind 1 bis 16 Bits in 8 oder 16 Bits je Pixel.";
}

// Photometric Interpretation must be one of the standard's terms: colour is refused as colour,
// anything else (MONOCHROME3, a misspelling) as not supported, an empty one as damage.
void checkPhotometric(const std::string& photometric, unsigned samplesPerPixel) {
  static constexpr std::string_view Colour[] = {"PALETTE COLOR",
                                                "RGB",
                                                "HSV",
                                                "ARGB",
                                                "CMYK",
                                                "YBR_FULL",
                                                "YBR_FULL_422",
                                                "YBR_PARTIAL_422",
                                                "YBR_PARTIAL_420",
                                                "YBR_ICT",
                                                "YBR_RCT"};
  if (photometric.empty())
    throw ImageError("Die Datei ist beschädigt: Photometric Interpretation fehlt.");
  const bool grey = photometric == "MONOCHROME1" || photometric == "MONOCHROME2";
  if (samplesPerPixel != 1 ||
      std::find(std::begin(Colour), std::end(Colour), photometric) != std::end(Colour)) {
    throw ImageError(
        "Farbbilder lassen sich nicht messen: nur Graustufenbilder (MONOCHROME1 "
        "oder MONOCHROME2).");
  }
  if (!grey) {
    throw ImageError("Die Photometric Interpretation" + QuotedValue(photometric) +
                     " wird nicht unterstützt: nur MONOCHROME1 und MONOCHROME2 lassen sich "
                     "messen.");
  }
}

template <std::uint16_t Element>
unsigned usValue(const gdcm::DataSet& dataSet, unsigned absent) {
  if (!dataSet.FindDataElement(gdcm::Tag(0x0028, Element)) ||
      dataSet.GetDataElement(gdcm::Tag(0x0028, Element)).IsEmpty()) {
    return absent;
  }
  gdcm::Attribute<0x0028, Element> attribute{};
  attribute.SetFromDataSet(dataSet);
  return attribute.GetValue();
}

}  // namespace

ImageLayout DescribedImage(const gdcm::DataSet& dataSet) {
  const std::string photometric = TrimmedText(dataSet, 0x0028, 0x0004);
  checkPhotometric(photometric, usValue<0x0002>(dataSet, 1));
  const std::string frameElement = ElementText(dataSet, 0x0028, 0x0008);
  const std::string_view frameText = FirstValue(frameElement);
  long frames = 1;
  if (!frameText.empty()) {
    const auto [end, error] =
        std::from_chars(frameText.data(), frameText.data() + frameText.size(), frames);
    if (end != frameText.data() + frameText.size() || error != std::errc() || frames < 1) {
      throw ImageError("Die Datei ist beschädigt: Number of Frames ist keine positive ganze Zahl" +
                       QuotedValue(frameText) + ".");
    }
  }
  if (frames > 1) {
    throw ImageError(
        "Die Datei enthält mehrere Bilder (etwa eine Tomosynthese); nur Einzelbilder "
        "lassen sich messen.");
  }

  ImageLayout layout;
  layout.photometric = photometric == "MONOCHROME1" ? imaging::Photometric::Monochrome1
                                                    : imaging::Photometric::Monochrome2;
  layout.width = usValue<0x0011>(dataSet, 0);
  layout.height = usValue<0x0010>(dataSet, 0);
  if (layout.width == 0 || layout.height == 0) {
    throw ImageError("Die Datei ist beschädigt: das Bild hat keine Größe.");
  }
  if (layout.width > imaging::MaxImageSide || layout.height > imaging::MaxImageSide) {
    throw ImageError("Das Bild ist zu groß: höchstens 32768 Pixel je Seite.");
  }
  if (layout.pixelCount() > imaging::MaxImagePixels) {
    throw ImageError("Das Bild ist zu groß: höchstens " + std::to_string(imaging::MaxImagePixels) +
                     " Pixel (" + std::to_string(imaging::MaxImagePixels * 2 >> 20) +
                     " MiB Pixeldaten).");
  }

  layout.bitsAllocated = usValue<0x0100>(dataSet, 0);
  if (layout.bitsAllocated == 0)
    throw ImageError("Die Datei ist beschädigt: Bits Allocated fehlt.");
  layout.bitsStored = usValue<0x0101>(dataSet, layout.bitsAllocated);
  layout.highBit = usValue<0x0102>(dataSet, layout.bitsStored - 1);
  const unsigned representation = usValue<0x0103>(dataSet, 0);
  // Any other value would be taken for signed, and the image measured as what it is not.
  if (representation > 1) {
    throw ImageError("Die Datei ist beschädigt: Pixel Representation ist " +
                     std::to_string(representation) + ", erlaubt sind 0 und 1.");
  }
  layout.isSigned = representation == 1;
  if ((layout.bitsAllocated != 8 && layout.bitsAllocated != 16) || layout.bitsStored < 1 ||
      layout.bitsStored > layout.bitsAllocated || layout.highBit + 1 < layout.bitsStored ||
      layout.highBit >= layout.bitsAllocated) {
    throw ImageError(layoutRefusal(layout.bitsAllocated, layout.bitsStored));
  }
  return layout;
}

}  // namespace decoder
