#include "stream_checks.h"

#include <cstdint>
#include <string>

#include "imaging/dicom_image.h"

namespace decoder {
namespace {

[[noreturn]] void damaged(const std::string& what) {
  throw imaging::ImageError("Die Bilddaten sind beschädigt: " + what + ".");
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  if (at > bytes.size() || size > bytes.size() - at) damaged("der Datenstrom ist zu kurz");
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint32_t littleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void checkShape(unsigned rows, unsigned columns, unsigned components, const DeclaredImage& image) {
  if (rows != image.rows || columns != image.columns) {
    damaged("ihre Größe (" + std::to_string(columns) + " × " + std::to_string(rows) +
            ") passt nicht zum Dateikopf (" + std::to_string(image.columns) + " × " +
            std::to_string(image.rows) + ")");
  }
  if (components != image.samplesPerPixel)
    damaged("die Zahl der Farbkanäle passt nicht zum Dateikopf");
}

// A JPEG 2000 code stream's main header: SOC, then SIZ with the image and tile sizes and a
// precision and sampling for each component.
void checkJpeg2000(std::string_view stream, const DeclaredImage& image) {
  if (bigEndian(stream, 0, 2) != 0xFF4F || bigEndian(stream, 2, 2) != 0xFF51) {
    damaged("kein JPEG-2000-Datenstrom");
  }
  const std::uint32_t length = bigEndian(stream, 4, 2);
  const std::uint32_t width = bigEndian(stream, 8, 4), height = bigEndian(stream, 12, 4);
  const std::uint32_t left = bigEndian(stream, 16, 4), top = bigEndian(stream, 20, 4);
  const std::uint32_t tileWidth = bigEndian(stream, 24, 4), tileHeight = bigEndian(stream, 28, 4);
  const std::uint32_t tileLeft = bigEndian(stream, 32, 4), tileTop = bigEndian(stream, 36, 4);
  const std::uint32_t components = bigEndian(stream, 40, 2);
  if (length != 38 + 3 * components || components == 0 || width <= left || height <= top ||
      tileWidth == 0 || tileHeight == 0 || tileLeft > left || tileTop > top ||
      tileLeft + std::uint64_t{tileWidth} <= left || tileTop + std::uint64_t{tileHeight} <= top) {
    damaged("der Kopf des JPEG-2000-Datenstroms ist ungültig");
  }
  for (std::uint32_t i = 0; i < components; ++i) {
    const std::uint32_t precision = (bigEndian(stream, 42 + 3 * i, 1) & 0x7F) + 1;
    if (precision > 16 || bigEndian(stream, 43 + 3 * i, 1) != 1 ||
        bigEndian(stream, 44 + 3 * i, 1) != 1) {
      damaged(
          "der JPEG-2000-Datenstrom hat eine Bittiefe oder Abtastung, die sich nicht lesen lässt");
    }
  }
  checkShape(height - top, width - left, components, image);
}

// A JPEG or JPEG-LS stream's header, walked marker by marker from SOI up to the first scan: the
// library's JPEG decoder ends the process on a warning while it reads the header, so nothing it
// would warn about passes (bytes between segments, a JFIF or Adobe segment it does not know),
// and the frame header must give the file's size, one component and a precision the codec
// decodes.
void checkJpegHeader(std::string_view stream, const DeclaredImage& image, bool jpegLs) {
  if (bigEndian(stream, 0, 2) != 0xFFD8) damaged("kein JPEG-Datenstrom");
  bool frameSeen = false;
  for (std::size_t at = 2;;) {
    if (bigEndian(stream, at, 1) != 0xFF)
      damaged("zwischen den Abschnitten des JPEG-Kopfs stehen fremde Bytes");
    while (bigEndian(stream, at + 1, 1) == 0xFF) ++at;  // fill bytes
    const std::uint32_t marker = 0xFF00 | bigEndian(stream, at + 1, 1);
    if (marker == 0xFFDA) {
      if (!frameSeen) damaged("der JPEG-Datenstrom hat keinen Bildkopf");
      return;
    }
    if (marker == 0xFF00 || marker == 0xFFD8 || marker == 0xFFD9 || marker == 0xFF01 ||
        (marker >= 0xFFD0 && marker <= 0xFFD7)) {
      damaged("der JPEG-Kopf ist unvollständig");
    }
    const std::uint32_t length = bigEndian(stream, at + 2, 2);
    if (length < 2 || at + 2 + length > stream.size()) {
      damaged("ein Abschnitt des JPEG-Datenstroms ist ungültig");
    }
    const std::string_view segment = stream.substr(at + 4, length - 2);
    if (marker == 0xFFE0 && segment.starts_with(std::string_view("JFIF\0", 5)) &&
        (segment.size() < 6 || bigEndian(segment, 5, 1) != 1)) {
      damaged("der JFIF-Abschnitt des JPEG-Datenstroms ist ungültig");
    }
    if (marker == 0xFFEE && segment.starts_with("Adobe") &&
        (segment.size() < 12 || bigEndian(segment, 11, 1) > 2)) {
      damaged("der Adobe-Abschnitt des JPEG-Datenstroms ist ungültig");
    }
    const bool frame = jpegLs ? marker == 0xFFF7
                              : (marker >= 0xFFC0 && marker <= 0xFFCF && marker != 0xFFC4 &&
                                 marker != 0xFFC8 && marker != 0xFFCC);
    if (frame) {
      if (frameSeen) damaged("der JPEG-Datenstrom hat mehr als einen Bildkopf");
      frameSeen = true;
      const std::uint32_t precision = bigEndian(stream, at + 4, 1);
      const std::uint32_t rows = bigEndian(stream, at + 5, 2);
      const std::uint32_t columns = bigEndian(stream, at + 7, 2);
      const std::uint32_t components = bigEndian(stream, at + 9, 1);
      const bool lossless =
          jpegLs || marker == 0xFFC3 || marker == 0xFFC7 || marker == 0xFFCB || marker == 0xFFCF;
      const bool precisionOk =
          lossless ? precision >= 2 && precision <= 16 : precision == 8 || precision == 12;
      if (!precisionOk || length != 8 + 3 * components) {
        damaged("der JPEG-Datenstrom hat eine Bittiefe von " + std::to_string(precision) +
                " Bits, die sich nicht lesen lässt");
      }
      checkShape(rows, columns, components, image);
    }
    at += 2 + length;
  }
}

// An RLE frame: a header of 16 little-endian numbers (the segment count, then where each segment
// starts), one segment per byte of a sample, each able to give a whole image plane.
void checkRle(std::string_view frame, const DeclaredImage& image) {
  if (frame.size() < 64) damaged("der RLE-Kopf fehlt");
  const std::uint32_t segments = littleEndian32(frame, 0);
  if (segments != image.samplesPerPixel * (image.bitsAllocated / 8)) {
    damaged("die Zahl der RLE-Segmente (" + std::to_string(segments) +
            ") passt nicht zum Dateikopf");
  }
  const std::uint64_t plane = std::uint64_t{image.rows} * image.columns;
  for (std::uint32_t i = 0; i < segments; ++i) {
    const std::uint32_t start = littleEndian32(frame, 4 + 4 * i);
    const std::uint32_t end = i + 1 < segments ? littleEndian32(frame, 8 + 4 * i) : frame.size();
    // Two bytes of a segment give at most 128 bytes of the plane.
    if (start < 64 || start >= end || end > frame.size() ||
        (end - start) * std::uint64_t{64} < plane) {
      damaged("ein RLE-Segment liegt außerhalb seines Fragments oder ist zu kurz");
    }
  }
}

}  // namespace

void CheckCodecStreams(std::string_view transferSyntax,
                       const std::vector<std::string_view>& pixelData, const DeclaredImage& image) {
  const bool jpeg2000 =
      transferSyntax == "1.2.840.10008.1.2.4.90" || transferSyntax == "1.2.840.10008.1.2.4.91" ||
      transferSyntax == "1.2.840.10008.1.2.4.92" || transferSyntax == "1.2.840.10008.1.2.4.93";
  const bool jpegLs =
      transferSyntax == "1.2.840.10008.1.2.4.80" || transferSyntax == "1.2.840.10008.1.2.4.81";
  // JPEG: 1.2.840.10008.1.2.4.50 to .70.
  constexpr std::string_view JpegFamily = "1.2.840.10008.1.2.4.";
  const std::string_view jpegNumber =
      transferSyntax.starts_with(JpegFamily) ? transferSyntax.substr(JpegFamily.size()) : "";
  const bool jpeg = jpegNumber.size() == 2 && jpegNumber >= "50" && jpegNumber <= "70";
  const bool rle = transferSyntax == "1.2.840.10008.1.2.5";
  if (!jpeg2000 && !jpegLs && !jpeg && !rle) return;
  if (pixelData.empty() || pixelData.front().empty()) damaged("es gibt keinen Datenstrom");
  // The first fragment starts the frame: the header all codecs read first.
  const std::string_view stream = pixelData.front();
  if (jpeg2000) checkJpeg2000(stream, image);
  if (jpegLs || jpeg) checkJpegHeader(stream, image, jpegLs);
  if (rle) checkRle(stream, image);
}

}  // namespace decoder
