#include "jpeg_decoding.h"

#include <charls/charls.h>
#include <gdcmJPEG12Codec.h>
#include <gdcmJPEG16Codec.h>
#include <gdcmJPEG8Codec.h>

#include "imaging/dicom_image.h"
#include "jpeg_stream.h"
#include "memory_streams.h"
#include "pixel_decoding.h"

namespace decoder {
namespace {

using imaging::ImageError;

[[noreturn]] void undecodable() {
  throw ImageError("Die Bilddaten sind beschädigt und lassen sich nicht dekodieren.");
}

// The library's decoder of one sample precision, writing its rows straight into samples.
template <typename Codec>
void decodeJpegWith(std::string_view codeStream, const ImageLayout& layout, void* samples,
                    std::size_t size) {
  Codec codec;
  const unsigned dimensions[3] = {layout.width, layout.height, 1};
  codec.SetNumberOfDimensions(2);
  codec.SetDimensions(dimensions);
  codec.SetPhotometricInterpretation(layout.photometric == imaging::Photometric::Monochrome1
                                         ? gdcm::PhotometricInterpretation::MONOCHROME1
                                         : gdcm::PhotometricInterpretation::MONOCHROME2);
  MemoryInput input(codeStream);
  MemoryOutput output(samples, size);
  if (!codec.DecodeByStreams(input, output) || !output) undecodable();
  // Never padded: a codec that gives less than the image has not decoded it.
  if (output.written() != size) {
    throw ImageError(
        "Die Bilddaten sind unvollständig: der Decoder lieferte weniger, als das Bild hat.");
  }
}

}  // namespace

void DecodeJpegPixels(std::string_view codeStream, const ImageLayout& layout,
                      std::uint16_t* words) {
  // Each decoder is built for one sample size; the stream's precision chooses, as it would
  // otherwise choose after a failed attempt with the file's Bits Stored.
  const unsigned precision = ReadJpegHeader(codeStream, false).precision;
  DecodeSamplesIntoWords(layout, precision > 8 ? 2 : 1, words,
                         [&](void* samples, std::size_t size) {
                           if (precision <= 8) {
                             decodeJpegWith<gdcm::JPEG8Codec>(codeStream, layout, samples, size);
                           } else if (precision <= 12) {
                             decodeJpegWith<gdcm::JPEG12Codec>(codeStream, layout, samples, size);
                           } else {
                             decodeJpegWith<gdcm::JPEG16Codec>(codeStream, layout, samples, size);
                           }
                         });
}

void DecodeJpegLsPixels(std::string_view codeStream, const ImageLayout& layout,
                        std::uint16_t* words) {
  try {
    charls::jpegls_decoder decoder(codeStream.data(), codeStream.size(), true);
    const charls::frame_info& frame = decoder.frame_info();
    if (frame.width != layout.width || frame.height != layout.height ||
        frame.component_count != 1) {
      undecodable();
    }
    DecodeSamplesIntoWords(layout, frame.bits_per_sample > 8 ? 2 : 1, words,
                           [&](void* samples, std::size_t size) { decoder.decode(samples, size); });
  } catch (const charls::jpegls_error& error) {
    throw ImageError("Die Bilddaten sind beschädigt und lassen sich nicht dekodieren.",
                     error.what());
  }
}

}  // namespace decoder
