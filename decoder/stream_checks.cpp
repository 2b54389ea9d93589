#include "stream_checks.h"

#include <cstdint>
#include <string>

#include "imaging/dicom_image.h"
#include "jpeg_stream.h"
#include "stream_bytes.h"

namespace decoder {
namespace {

void checkShape(unsigned rows, unsigned columns, unsigned components, const DeclaredImage& image) {
  if (rows != image.rows || columns != image.columns) {
    DamagedStream("ihre Größe (" + std::to_string(columns) + " × " + std::to_string(rows) +
                  ") passt nicht zum Dateikopf (" + std::to_string(image.columns) + " × " +
                  std::to_string(image.rows) + ")");
  }
  if (components != image.samplesPerPixel)
    DamagedStream("die Zahl der Farbkanäle passt nicht zum Dateikopf");
}

// A JPEG 2000 code stream's main header: SOC, then SIZ with the image and tile sizes and a
// precision and sampling for each component.
void checkJpeg2000(std::string_view stream, const DeclaredImage& image) {
  if (BigEndian(stream, 0, 2) != 0xFF4F || BigEndian(stream, 2, 2) != 0xFF51) {
    DamagedStream("kein JPEG-2000-Datenstrom");
  }
  const std::uint32_t length = BigEndian(stream, 4, 2);
  const std::uint32_t width = BigEndian(stream, 8, 4), height = BigEndian(stream, 12, 4);
  const std::uint32_t left = BigEndian(stream, 16, 4), top = BigEndian(stream, 20, 4);
  const std::uint32_t tileWidth = BigEndian(stream, 24, 4), tileHeight = BigEndian(stream, 28, 4);
  const std::uint32_t tileLeft = BigEndian(stream, 32, 4), tileTop = BigEndian(stream, 36, 4);
  const std::uint32_t components = BigEndian(stream, 40, 2);
  if (length != 38 + 3 * components || components == 0 || width <= left || height <= top ||
      tileWidth == 0 || tileHeight == 0 || tileLeft > left || tileTop > top ||
      tileLeft + std::uint64_t{tileWidth} <= left || tileTop + std::uint64_t{tileHeight} <= top) {
    DamagedStream("der Kopf des JPEG-2000-Datenstroms ist ungültig");
  }
  for (std::uint32_t i = 0; i < components; ++i) {
    const std::uint32_t precision = (BigEndian(stream, 42 + 3 * i, 1) & 0x7F) + 1;
    if (precision > 16 || BigEndian(stream, 43 + 3 * i, 1) != 1 ||
        BigEndian(stream, 44 + 3 * i, 1) != 1) {
      DamagedStream(
          "der JPEG-2000-Datenstrom hat eine Bittiefe oder Abtastung, die sich nicht lesen lässt");
    }
  }
  checkShape(height - top, width - left, components, image);
}

// How many bytes a PackBits segment gives, up to wanted: a control byte n of 0 to 127 is
// followed by n + 1 literal bytes, one of -1 to -127 by one byte given 1 - n times, -128 is
// nothing. After wanted at most one byte may follow, the padding to an even length; a run past
// wanted or more data beyond it is damage (an image plane larger than Rows × Columns).
std::uint64_t packBitsLength(std::string_view segment, std::uint64_t wanted) {
  std::uint64_t length = 0;
  std::size_t at = 0;
  while (at < segment.size() && length < wanted) {
    const auto control = static_cast<signed char>(segment[at++]);
    if (control >= 0) {
      if (segment.size() - at < std::size_t(control) + 1)
        DamagedStream("ein RLE-Segment ist abgeschnitten");
      at += std::size_t(control) + 1;
      length += std::uint64_t(control) + 1;
    } else if (control != -128) {
      if (at == segment.size()) DamagedStream("ein RLE-Segment ist abgeschnitten");
      ++at;
      length += std::uint64_t(1 - control);
    }
  }
  if (length > wanted || segment.size() - at > 1) {
    DamagedStream("ein RLE-Segment gibt mehr als die " + std::to_string(wanted) +
                  " Bytes, die Rows × Columns verlangen");
  }
  return length;
}

// An RLE frame: a header of 16 little-endian numbers (the segment count, then where each segment
// starts), one segment per byte of a sample, each giving exactly one image plane (the codec
// fills a shorter one in and drops what a longer one gives beyond it).
void checkRle(std::string_view frame, const DeclaredImage& image) {
  if (frame.size() < 64) DamagedStream("der RLE-Kopf fehlt");
  const std::uint32_t segments = LittleEndian32(frame, 0);
  if (segments != image.samplesPerPixel * (image.bitsAllocated / 8)) {
    DamagedStream("die Zahl der RLE-Segmente (" + std::to_string(segments) +
                  ") passt nicht zum Dateikopf");
  }
  const std::uint64_t plane = std::uint64_t{image.rows} * image.columns;
  for (std::uint32_t i = 0; i < segments; ++i) {
    const std::uint32_t start = LittleEndian32(frame, 4 + 4 * i);
    const std::uint32_t end = i + 1 < segments ? LittleEndian32(frame, 8 + 4 * i) : frame.size();
    if (start < 64 || start >= end || end > frame.size()) {
      DamagedStream("ein RLE-Segment liegt außerhalb seines Fragments");
    }
    const std::uint64_t length = packBitsLength(frame.substr(start, end - start), plane);
    if (length < plane) {
      throw imaging::ImageError("Die Bilddaten sind unvollständig: ein RLE-Segment gibt " +
                                std::to_string(length) + " von " + std::to_string(plane) +
                                " Bytes.");
    }
  }
}

// A JPEG-LS stream ends with its end-of-image marker, a padding byte of 0 after it at most: the
// codec would spend seconds on a cut one before it failed.
void checkEndOfImage(std::string_view stream) {
  if (stream.ends_with('\0')) stream.remove_suffix(1);
  if (!stream.ends_with("\xFF\xD9")) {
    throw imaging::ImageError(
        "Die Bilddaten sind unvollständig: der JPEG-LS-Datenstrom endet vor seinem Ende-Marker.");
  }
}

}  // namespace

Codec CodecOf(std::string_view transferSyntax) {
  if (transferSyntax == "1.2.840.10008.1.2.5") return Codec::Rle;
  constexpr std::string_view Family = "1.2.840.10008.1.2.4.";
  if (!transferSyntax.starts_with(Family)) return Codec::None;
  const std::string_view number = transferSyntax.substr(Family.size());
  if (number == "90" || number == "91" || number == "92" || number == "93") return Codec::Jpeg2000;
  if (number == "80" || number == "81") return Codec::JpegLs;
  // JPEG: .50 to .70.
  if (number.size() == 2 && number >= "50" && number <= "70") return Codec::Jpeg;
  return Codec::None;
}

std::string_view CodeStream(Codec codec, const std::vector<std::string_view>& pixelData,
                            std::string& joined) {
  if (pixelData.empty() || pixelData.front().empty()) DamagedStream("es gibt keinen Datenstrom");
  if (pixelData.size() == 1 || codec == Codec::Rle) return pixelData.front();
  for (const std::string_view fragment : pixelData) joined += fragment;
  return joined;
}

std::optional<std::string_view> CodeStreamInJp2(std::string_view stream) {
  constexpr std::string_view Signature("\x00\x00\x00\x0CjP  \r\n\x87\n", 12);
  if (!stream.starts_with(Signature)) return std::nullopt;
  // Boxes: a 4-byte length (1: an 8-byte one follows the type; 0: to the end), a 4-byte type.
  for (std::size_t at = 0; at < stream.size();) {
    std::uint64_t length = BigEndian(stream, at, 4);
    const std::string_view type = stream.substr(at + 4, 4);
    std::size_t header = 8;
    if (length == 1) {
      length = std::uint64_t{BigEndian(stream, at + 8, 4)} << 32 | BigEndian(stream, at + 12, 4);
      header = 16;
    } else if (length == 0) {
      length = stream.size() - at;
    }
    if (length < header || length > stream.size() - at) DamagedStream("eine JP2-Box ist abgeschnitten");
    if (type == "jp2c") return stream.substr(at + header, length - header);
    at += length;
  }
  DamagedStream("die JP2-Datei enthält keinen JPEG-2000-Datenstrom");
}

void CheckCodecStreams(Codec codec, std::string_view stream, const DeclaredImage& image) {
  switch (codec) {
    case Codec::Jpeg2000:
      checkJpeg2000(stream, image);
      break;
    case Codec::Jpeg:
    case Codec::JpegLs: {
      const JpegHeader header = ReadJpegHeader(stream, codec == Codec::JpegLs);
      checkShape(header.rows, header.columns, header.components, image);
      if (codec == Codec::JpegLs) checkEndOfImage(stream);
      break;
    }
    case Codec::Rle:
      checkRle(stream, image);
      break;
    case Codec::None:
      break;
  }
}

void CheckCodedDataComplete(Codec codec, std::string_view stream) {
  if (codec == Codec::Jpeg) CheckJpegScanComplete(stream, ReadJpegHeader(stream, false));
}

}  // namespace decoder
