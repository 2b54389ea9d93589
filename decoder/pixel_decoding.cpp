#include "pixel_decoding.h"

#include <gdcmJPEG2000Codec.h>
#include <gdcmJPEGCodec.h>
#include <gdcmJPEGLSCodec.h>

#include <bit>
#include <cstring>
#include <string>

#include "imaging/dicom_image.h"
#include "stream_bytes.h"

namespace decoder {
namespace {

using imaging::ImageError;

// One pass, which the compiler vectorises for each kind of sample.
void toWords(const unsigned char* bytes, bool bigEndian, const ImageLayout& layout,
             std::uint16_t* words) {
  const StoredToWord toWord(layout);
  const std::size_t count = layout.pixelCount();
  const auto convert = [&](auto value) {
    for (std::size_t i = 0; i < count; ++i) {
      words[i] = toWord(value(i));
    }
  };
  if (layout.bitsAllocated == 8) {
    convert([bytes](std::size_t i) { return unsigned{bytes[i]}; });
  } else if (bigEndian) {
    convert([bytes](std::size_t i) { return unsigned{bytes[2 * i]} << 8 | bytes[2 * i + 1]; });
  } else if constexpr (std::endian::native == std::endian::little) {
    convert([bytes](std::size_t i) {
      std::uint16_t value;
      std::memcpy(&value, bytes + 2 * i, 2);
      return unsigned{value};
    });
  } else {
    convert([bytes](std::size_t i) { return unsigned{bytes[2 * i + 1]} << 8 | bytes[2 * i]; });
  }
}

std::size_t imageBytes(const ImageLayout& layout) {
  return layout.pixelCount() * (layout.bitsAllocated / 8);
}

template <typename Codec>
bool decodeWith(Codec& codec, const gdcm::DataElement& pixelData, const ImageLayout& layout,
                gdcm::DataElement& decoded) {
  // The codec hands the samples over as they are coded: the 8-bit decoders with all eight bits,
  // the others with Bits Stored; which bits count (and the library's own clean-up of the bits
  // above, whose checks end the process on a high bit it does not expect) is left to toWords.
  const bool bytes = layout.bitsAllocated == 8;
  const auto stored = static_cast<unsigned short>(bytes ? 8 : layout.bitsStored);
  const gdcm::PixelFormat format(1, static_cast<unsigned short>(layout.bitsAllocated), stored,
                                 static_cast<unsigned short>(stored - 1), layout.isSigned ? 1 : 0);
  const unsigned dimensions[3] = {layout.width, layout.height, 1};
  codec.SetNumberOfDimensions(2);
  codec.SetDimensions(dimensions);
  codec.SetPlanarConfiguration(0);
  codec.SetPhotometricInterpretation(layout.photometric == imaging::Photometric::Monochrome1
                                         ? gdcm::PhotometricInterpretation::MONOCHROME1
                                         : gdcm::PhotometricInterpretation::MONOCHROME2);
  codec.SetPixelFormat(format);
  codec.SetNeedOverlayCleanup(false);
  return codec.Decode(pixelData, decoded);
}

bool decodeEncapsulated(const gdcm::DataElement& pixelData, const gdcm::TransferSyntax& syntax,
                        const ImageLayout& layout, gdcm::DataElement& decoded) {
  if (gdcm::JPEGCodec jpeg; jpeg.CanDecode(syntax))
    return decodeWith(jpeg, pixelData, layout, decoded);
  if (gdcm::JPEGLSCodec jpegLs; jpegLs.CanDecode(syntax)) {
    jpegLs.SetBufferLength(imageBytes(layout));
    return decodeWith(jpegLs, pixelData, layout, decoded);
  }
  if (gdcm::JPEG2000Codec jpeg2000; jpeg2000.CanDecode(syntax)) {
    return decodeWith(jpeg2000, pixelData, layout, decoded);
  }
  throw ImageError("Die Kodierung der Bilddaten (Transfer Syntax " +
                   std::string(syntax.GetString()) + ") wird nicht unterstützt.");
}

}  // namespace

void ConvertNativePixels(std::string_view bytes, bool bigEndian, const ImageLayout& layout,
                         std::uint16_t* words) {
  toWords(reinterpret_cast<const unsigned char*>(bytes.data()), bigEndian, layout, words);
}

void DecodeRlePixels(std::string_view frame, const ImageLayout& layout, std::uint16_t* words) {
  const std::size_t count = layout.pixelCount();
  const unsigned segments = layout.bitsAllocated / 8;
  for (unsigned segment = 0; segment < segments; ++segment) {
    const std::size_t end =
        segment + 1 < segments ? LittleEndian32(frame, 8 + 4 * segment) : frame.size();
    const unsigned shift = 8 * (segments - 1 - segment);
    const auto put = [&](std::size_t at, unsigned char byte) {
      const auto part = static_cast<std::uint16_t>(byte << shift);
      words[at] = segment == 0 ? part : static_cast<std::uint16_t>(words[at] | part);
    };
    std::size_t done = 0;
    for (std::size_t at = LittleEndian32(frame, 4 + 4 * segment); at < end && done < count;) {
      const auto control = static_cast<signed char>(frame[at++]);
      if (control >= 0) {
        const std::size_t literal = std::size_t(control) + 1;
        if (end - at < literal) DamagedStream("ein RLE-Segment ist abgeschnitten");
        for (std::size_t i = 0; i < literal && done < count; ++i) put(done++, frame[at + i]);
        at += literal;
      } else if (control != -128) {
        if (at == end) DamagedStream("ein RLE-Segment ist abgeschnitten");
        const auto byte = static_cast<unsigned char>(frame[at++]);
        for (int i = 0; i < 1 - control && done < count; ++i) put(done++, byte);
      }
    }
    if (done < count) throw ImageError("Die Bilddaten sind unvollständig.");
  }
  const StoredToWord toWord(layout);
  for (std::size_t i = 0; i < count; ++i) words[i] = toWord(words[i]);
}

void DecodeEncapsulatedPixels(const gdcm::DataElement& pixelData,
                              const gdcm::TransferSyntax& syntax, const ImageLayout& layout,
                              std::uint16_t* words) {
  gdcm::DataElement decoded;
  if (pixelData.GetSequenceOfFragments() == nullptr ||
      !decodeEncapsulated(pixelData, syntax, layout, decoded)) {
    throw ImageError("Die Bilddaten sind beschädigt und lassen sich nicht dekodieren.");
  }
  const gdcm::ByteValue* values = decoded.GetByteValue();
  // Never padded: a codec that gives less than the image has not decoded it.
  if (values == nullptr || values->GetLength() < imageBytes(layout)) {
    throw ImageError(
        "Die Bilddaten sind unvollständig: der Decoder lieferte weniger, als das Bild hat.");
  }
  toWords(reinterpret_cast<const unsigned char*>(values->GetPointer()), false, layout, words);
}

}  // namespace decoder
