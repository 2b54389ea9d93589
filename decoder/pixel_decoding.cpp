#include "pixel_decoding.h"

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/dicom_image.h"
#include "jpeg2000_decoding.h"
#include "jpeg_decoding.h"
#include "stream_bytes.h"
#include "stream_checks.h"

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

void DecodeSamplesIntoWords(const ImageLayout& layout, unsigned sampleBytes, std::uint16_t* words,
                            const std::function<void(void*, std::size_t)>& decode) {
  const std::size_t count = layout.pixelCount();
  const StoredToWord toWord(layout);
  if (sampleBytes == 2) {
    decode(words, 2 * count);
    for (std::size_t i = 0; i < count; ++i) words[i] = toWord(words[i]);
  } else {
    std::vector<std::uint8_t> samples(count);
    decode(samples.data(), count);
    for (std::size_t i = 0; i < count; ++i) words[i] = toWord(samples[i]);
  }
}

void DecodeEncapsulatedPixels(std::string_view transferSyntax, std::string_view codeStream,
                              const ImageLayout& layout, std::uint16_t* words) {
  switch (CodecOf(transferSyntax)) {
    case Codec::Jpeg:
      return DecodeJpegPixels(codeStream, layout, words);
    case Codec::JpegLs:
      return DecodeJpegLsPixels(codeStream, layout, words);
    case Codec::Jpeg2000:
      return DecodeJpeg2000Pixels(codeStream, layout, words);
    default:
      throw ImageError("Die Kodierung der Bilddaten (Transfer Syntax " +
                       std::string(transferSyntax) + ") wird nicht unterstützt.");
  }
}

}  // namespace decoder
