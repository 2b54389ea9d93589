// The one place that knows GDCM: everything it gives is checked and turned into our types.
#include "dicom_decoder.h"

#include <gdcmDicts.h>
#include <gdcmGlobal.h>
#include <gdcmMediaStorage.h>
#include <gdcmReader.h>
#include <gdcmTrace.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <future>
#include <iterator>
#include <limits>
#include <set>

#include "calc/extended_ops.h"
#include "calc/number_text.h"
#include "element_scan.h"
#include "element_text.h"
#include "file_header.h"
#include "image_layout.h"
#include "imaging/header_facts.h"
#include "jpeg2000_decoding.h"
#include "memory_streams.h"
#include "pixel_decoding.h"
#include "stream_checks.h"

namespace decoder {

using imaging::DisplayWindow;
using imaging::HeaderFact;
using imaging::HeaderFacts;
using imaging::ImageContext;
using imaging::ImageError;
using imaging::MaxImagePixels;
using imaging::MaxImageSide;
using imaging::Photometric;
using imaging::detail::DecodedHeader;
using imaging::detail::PixelMemory;
using imaging::detail::PreviewSink;

namespace {

constexpr std::size_t MaxDecimalStringLength = 16;  // a DS value, by the standard

// The library reports on the standard error stream; the command line's errors go there too.
void silenceLibrary() {
  static const bool silenced = [] {
    gdcm::Trace::SetDebug(false);
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetError(false);
    return true;
  }();
  (void)silenced;
}

std::string hex4(std::uint16_t value) {
  char text[5];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

// The elements of group 0028 that the reader reads: the pixel description, Number of Frames,
// Pixel Spacing, the display window, the rescale and the lossy compression's traces.
constexpr std::uint16_t ReadDescription[] = {0x0002, 0x0004, 0x0008, 0x0010, 0x0011, 0x0030,
                                             0x0100, 0x0101, 0x0102, 0x0103, 0x1050, 0x1051,
                                             0x1052, 0x1053, 0x2110, 0x2112, 0x2114};

// The library's image reading takes the pixel description through typed attributes, which end
// the process on a value representation other than the dictionary's or a binary value of another
// size: such a file is refused before. Elements the reader never reads are left alone, as the
// standard's parsers leave them (a real file writes (0028,0303) as SH instead of CS).
void checkPixelDescription(const std::vector<PixelDescriptionElement>& elements) {
  const gdcm::Dicts& dicts = gdcm::Global::GetInstance().GetDicts();
  for (const PixelDescriptionElement& element : elements) {
    if (std::find(std::begin(ReadDescription), std::end(ReadDescription), element.element) ==
        std::end(ReadDescription))
      continue;
    const gdcm::DictEntry& entry = dicts.GetDictEntry(gdcm::Tag(0x0028, element.element));
    const gdcm::VR expected = entry.GetVR();
    const gdcm::VR written = element.vr.empty() || element.vr == "UN"
                                 ? expected
                                 : gdcm::VR(gdcm::VR::GetVRTypeFromFile(element.vr.c_str()));
    const bool binary = expected == gdcm::VR::US || expected == gdcm::VR::SS ||
                        expected == gdcm::VR::UL || expected == gdcm::VR::SL;
    if (!expected.Compatible(written) || (binary && entry.GetVM() == gdcm::VM::VM1 &&
                                          element.value.size() != expected.GetSizeof())) {
      throw ImageError("Die Datei ist beschädigt: das Element (0028," + hex4(element.element) +
                       ") hat nicht die Form, die es haben muss.");
    }
  }
}

// Rows, Columns, Samples per Pixel and Bits Allocated as the checked description gives them.
DeclaredImage declaredImage(const std::vector<PixelDescriptionElement>& elements) {
  DeclaredImage image;
  for (const PixelDescriptionElement& element : elements) {
    if (element.value.size() != 2) continue;
    const unsigned value = static_cast<unsigned char>(element.value[0]) |
                           static_cast<unsigned char>(element.value[1]) << 8;
    switch (element.element) {
      case 0x0002:
        image.samplesPerPixel = value;
        break;
      case 0x0010:
        image.rows = value;
        break;
      case 0x0011:
        image.columns = value;
        break;
      case 0x0100:
        image.bitsAllocated = value;
        break;
      default:
        break;
    }
  }
  return image;
}

// A decimal string (DS) of a single value, padded or not; nothing for anything else a damaged
// or hostile file may hold there, infinity and NaN included.
std::optional<double> decimalString(std::string_view value) {
  value = WithoutPadding(value);
  if (value.size() > 1 && value[0] == '+' && value[1] != '-') value.remove_prefix(1);
  double number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || stop != end || error != std::errc() || !std::isfinite(number)) {
    return std::nullopt;
  }
  return number;
}

// Rescale Slope (0028,1053) or Intercept (0028,1052): a decimal string of at most 16 characters
// that is a finite number, the slope not 0; the default where the element is absent or empty.
calc::Extended rescaleValue(const gdcm::DataSet& dataSet, std::uint16_t element, int absent) {
  const std::string text = ElementText(dataSet, 0x0028, element);
  const std::string_view value = FirstValue(text);
  if (value.empty()) return calc::fromInt64(absent);
  const bool slope = element == 0x1053;
  calc::Fpu fpu;
  const calc::ParsedNumber parsed = calc::ParseNumberText(fpu, value);
  const std::optional<double> number = decimalString(value);
  if (value.size() > MaxDecimalStringLength || !parsed.ok || !number || (slope && *number == 0)) {
    throw ImageError(std::string(slope ? "Rescale Slope" : "Rescale Intercept") +
                     " der Datei ist keine gültige Zahl" + QuotedValue(value) + ".");
  }
  return parsed.value;
}

// The rescaled values must stay small enough that the sums of their squares over the largest
// image are finite numbers: a slope of 1e308 would turn every statistic into infinity or NaN.
void checkRescaledRange(const imaging::Rescale& rescale, unsigned bitsStored) {
  calc::Fpu fpu;
  const double largest =
      std::abs(calc::toDouble(fpu, rescale.slope)) * std::ldexp(1.0, static_cast<int>(bitsStored)) +
      std::abs(calc::toDouble(fpu, rescale.intercept));
  if (!(largest <= std::sqrt(std::numeric_limits<double>::max() / MaxImagePixels))) {
    throw ImageError(
        "Rescale Slope und Rescale Intercept der Datei ergeben Werte außerhalb des "
        "Zahlenbereichs, in dem sich messen lässt.");
  }
}

std::optional<double> decimalValue(const gdcm::DataSet& dataSet, std::uint16_t element) {
  const std::string text = ElementText(dataSet, 0x0028, element);
  const std::string_view value = FirstValue(text);
  double number = 0;
  const char* end = value.data() + value.size();
  if (value.empty() || std::from_chars(value.data(), end, number).ptr != end) return std::nullopt;
  return number;
}

std::optional<DisplayWindow> displayWindow(const gdcm::DataSet& dataSet) {
  const std::optional<double> center = decimalValue(dataSet, 0x1050);
  const std::optional<double> width = decimalValue(dataSet, 0x1051);
  if (!center || !width || !(*width >= 1)) return std::nullopt;
  return DisplayWindow{*center, *width};
}

// A complete data set of a kind that holds no image (a structure set, a plan, a report): told
// apart from a damaged image by its SOP class. A file of an image class, or that names none,
// or that has any part of an image, is not one.
void refuseWithoutImage(const gdcm::File& file) {
  const gdcm::DataSet& dataSet = file.GetDataSet();
  std::string sopClass = TrimmedText(file.GetHeader(), 0x0002, 0x0002);
  if (sopClass.empty()) sopClass = TrimmedText(dataSet, 0x0008, 0x0016);
  const bool imageParts = dataSet.FindDataElement(gdcm::Tag(0x7FE0, 0x0010)) ||
                          dataSet.FindDataElement(gdcm::Tag(0x0028, 0x0010)) ||
                          dataSet.FindDataElement(gdcm::Tag(0x0028, 0x0011));
  if (sopClass.empty() || imageParts ||
      gdcm::MediaStorage::IsImage(gdcm::MediaStorage::GetMSType(sopClass.c_str()))) {
    return;
  }
  // A code string of at most 16 letters, digits, spaces and underscores; anything else is not
  // worth repeating.
  const std::string modality = TrimmedText(dataSet, 0x0008, 0x0060);
  const bool named =
      !modality.empty() && modality.size() <= 16 &&
      std::all_of(modality.begin(), modality.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '_';
      });
  throw ImageError(named ? "Die DICOM-Datei enthält kein Bild (Modalität " + modality + ")."
                         : "Die DICOM-Datei enthält kein Bild.");
}

enum class Coding : std::uint8_t { Lossless, MaybeLossy, Lossy };

// JPEG 2000 (Part 1 and 2) may carry a reversible code stream as well as an irreversible one,
// and only decoding would tell: it counts as lossy unless Lossy Image Compression says "00".
// JPEG-LS near-lossless counts as lossy even with a zero tolerance: a lossless stream would
// have been written as JPEG-LS lossless.
Coding codingOf(gdcm::TransferSyntax::TSType syntax) {
  switch (syntax) {
    case gdcm::TransferSyntax::JPEGBaselineProcess1:
    case gdcm::TransferSyntax::JPEGExtendedProcess2_4:
    case gdcm::TransferSyntax::JPEGExtendedProcess3_5:
    case gdcm::TransferSyntax::JPEGSpectralSelectionProcess6_8:
    case gdcm::TransferSyntax::JPEGFullProgressionProcess10_12:
    case gdcm::TransferSyntax::JPEGLSNearLossless:
      return Coding::Lossy;
    case gdcm::TransferSyntax::JPEG2000:
    case gdcm::TransferSyntax::JPEG2000Part2:
      return Coding::MaybeLossy;
    default:
      return Coding::Lossless;
  }
}

// The detector's own spacing, which a DX or MG image must carry, before the one the modality may
// have calibrated to another plane. A mammography detector's pixel is well below a millimetre:
// 10 mm or more is a damaged value, not a spacing.
double pixelSpacing(const gdcm::DataSet& dataSet) {
  for (const gdcm::Tag& tag : {gdcm::Tag(0x0018, 0x1164), gdcm::Tag(0x0028, 0x0030)}) {
    const std::string text = ElementText(dataSet, tag.GetGroup(), tag.GetElement());
    const std::optional<double> spacing = decimalString(FirstValue(text));
    if (spacing && *spacing > 0 && *spacing < 10) return *spacing;
  }
  return 0;
}

// What a lossy coding leaves behind when a copy resets or drops Lossy Image Compression: a
// Lossy Image Compression Ratio (0028,2112) above 1 in any of its values, or a Lossy Image
// Compression Method (0028,2114).
bool lossyTraces(const gdcm::DataSet& dataSet) {
  const std::string ratios = ElementText(dataSet, 0x0028, 0x2112);
  for (std::size_t start = 0; start < ratios.size();) {
    const std::size_t end = std::min(ratios.find('\\', start), ratios.size());
    const std::optional<double> ratio =
        decimalString(std::string_view(ratios).substr(start, end - start));
    if (ratio && *ratio > 1) return true;
    start = end + 1;
  }
  const std::string methods = ElementText(dataSet, 0x0028, 0x2114);
  return methods.find_first_not_of(std::string_view(" \0\\", 3)) != std::string::npos;
}

ImageContext imageContext(const gdcm::DataSet& dataSet, gdcm::TransferSyntax::TSType syntax) {
  ImageContext context;
  context.modality = TrimmedText(dataSet, 0x0008, 0x0060);
  context.presentationIntent = TrimmedText(dataSet, 0x0008, 0x0068);
  context.sopClassUid = TrimmedText(dataSet, 0x0008, 0x0016);
  context.pixelSpacingMm = pixelSpacing(dataSet);
  context.laterality = TrimmedText(dataSet, 0x0020, 0x0062);
  if (context.laterality.empty()) context.laterality = TrimmedText(dataSet, 0x0020, 0x0060);
  context.patientOrientation = TrimmedText(dataSet, 0x0020, 0x0020);
  const std::string lossyCompression = TrimmedText(dataSet, 0x0028, 0x2110);
  const Coding coding = codingOf(syntax);
  context.lossyCompressed = lossyCompression == "01" || coding == Coding::Lossy ||
                            (coding == Coding::MaybeLossy && lossyCompression != "00") ||
                            lossyTraces(dataSet);
  return context;
}

// Native pixel data holds exactly Rows × Columns × Bits Allocated / 8 bytes, padded to an even
// length: more would be measured as a sheared or cut image where Rows or Columns lies. Checked
// before the memory for the image is asked for.
void checkNativeLength(std::size_t bytes, std::size_t needed) {
  const std::string numbers = std::to_string(bytes) +
                              " Bytes, Rows × Columns × Bits Allocated / 8 " + "verlangen " +
                              std::to_string(needed) + ".";
  if (bytes < needed) throw ImageError("Die Bilddaten sind unvollständig: " + numbers);
  if (bytes > needed + needed % 2) {
    throw ImageError("Die Datei ist beschädigt: die Bilddaten haben " + numbers +
                     " Die Angaben zur Bildgröße stimmen nicht.");
  }
}

// A reduced first picture of a JPEG 2000 image, handed over before the full decoding.
void showPreview(std::string_view codeStream, const ImageLayout& layout,
                 const DecodedHeader& header, const PreviewSink& preview) {
  const std::optional<Preview> reduced = DecodeJpeg2000Preview(codeStream, layout);
  if (!reduced) return;
  DecodedHeader reducedHeader = header;
  reducedHeader.width = static_cast<int>(reduced->width);
  reducedHeader.height = static_cast<int>(reduced->height);
  preview(reducedHeader, reduced->words);
}

DecodedHeader decode(std::string_view file, const PixelMemory& pixelsFor,
                     const PreviewSink& preview) {
  if (file.size() > MaxFileBytes) {
    throw ImageError("Die Datei ist zu groß: höchstens " + std::to_string(MaxFileBytes >> 20) +
                     " MiB.");
  }
  const ScannedFile scanned = ScanElements(file);
  checkPixelDescription(scanned.pixelDescription);
  const DeclaredImage declared = declaredImage(scanned.pixelDescription);
  // Any other Samples per Pixel ends the process in the library's pixel format.
  if (declared.samplesPerPixel != 1 && declared.samplesPerPixel != 3 &&
      declared.samplesPerPixel != 4) {
    throw ImageError("Die Datei ist beschädigt: Samples per Pixel ist " +
                     std::to_string(declared.samplesPerPixel) + ".");
  }
  // The code stream joined once, for the checks and the codec alike.
  const Codec codec = CodecOf(scanned.transferSyntax);
  std::string joined;
  std::string_view codeStream =
      codec == Codec::None ? std::string_view() : CodeStream(codec, scanned.pixelData, joined);
  const std::optional<std::string_view> unwrapped =
      codec == Codec::Jpeg2000 ? CodeStreamInJp2(codeStream) : std::nullopt;
  if (unwrapped) codeStream = *unwrapped;
  CheckCodecStreams(codec, codeStream, declared);

  // Pixel data is taken from the file as it lies (all but a deflated data set's), so the library
  // reads up to it only.
  const gdcm::TransferSyntax syntax =
      gdcm::TransferSyntax::GetTSType(scanned.transferSyntax.c_str());
  if (!syntax.IsValid()) {
    throw ImageError("Die Kodierung der Bilddaten (Transfer Syntax " + scanned.transferSyntax +
                     ") wird nicht unterstützt.");
  }
  const bool pixelsInFile =
      !scanned.pixelData.empty() && syntax != gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian;
  const gdcm::Tag pixelTag(0x7FE0, 0x0010);
  MemoryInput stream(file);
  gdcm::Reader reader;
  reader.SetStream(stream);
  // The library reads the value of the tag it reads up to, unless told to skip it.
  const bool readOk =
      pixelsInFile ? reader.ReadUpToTag(pixelTag, std::set<gdcm::Tag>{pixelTag}) : reader.Read();
  const gdcm::DataSet& dataSet = reader.GetFile().GetDataSet();
  if (!pixelsInFile && !dataSet.FindDataElement(pixelTag)) {
    if (readOk) refuseWithoutImage(reader.GetFile());
    throw ImageError(readOk || dataSet.FindDataElement(gdcm::Tag(0x0028, 0x0010))
                         ? "Die Datei enthält keine Bilddaten."
                         : "Die Datei ist beschädigt oder unvollständig.");
  }
  if (!readOk) throw ImageError("Die Datei ist beschädigt oder unvollständig.");

  const ImageLayout layout = DescribedImage(dataSet);
  DecodedHeader header;
  header.width = static_cast<int>(layout.width);
  header.height = static_cast<int>(layout.height);
  header.bitsStored = static_cast<int>(layout.bitsStored);
  header.offset = layout.isSigned ? 1 << (header.bitsStored - 1) : 0;
  header.photometric = layout.photometric;
  header.rescale = {rescaleValue(dataSet, 0x1053, 1), rescaleValue(dataSet, 0x1052, 0)};
  checkRescaledRange(header.rescale, layout.bitsStored);
  header.window = displayWindow(dataSet);
  header.context = imageContext(dataSet, syntax);
  header.context.codeStreamInJp2 = unwrapped.has_value();
  for (HeaderFact& fact : HeaderFacts([&](std::uint16_t group, std::uint16_t element) {
         return ElementText(dataSet, group, element);
       })) {
    header.factValues.push_back(std::move(fact.value));
  }
  const std::size_t count = layout.pixelCount();
  if (codec == Codec::Rle) {
    DecodeRlePixels(codeStream, layout, pixelsFor(count));
  } else if (syntax.IsEncapsulated()) {
    // The walk through the coded data runs on a thread of its own while the codec decodes.
    std::future<void> complete =
        std::async(std::launch::async, [&] { CheckCodedDataComplete(codec, codeStream); });
    if (preview && codec == Codec::Jpeg2000) showPreview(codeStream, layout, header, preview);
    DecodeEncapsulatedPixels(scanned.transferSyntax, codeStream, layout, pixelsFor(count));
    complete.get();
  } else {
    const gdcm::ByteValue* read =
        pixelsInFile ? nullptr : dataSet.GetDataElement(pixelTag).GetByteValue();
    const std::string_view bytes = pixelsInFile ? scanned.pixelData.front()
                                   : read != nullptr
                                       ? std::string_view(read->GetPointer(), read->GetLength())
                                       : std::string_view();
    checkNativeLength(bytes.size(), count * (layout.bitsAllocated / 8));
    ConvertNativePixels(bytes, syntax == gdcm::TransferSyntax::ExplicitVRBigEndian, layout,
                        pixelsFor(count));
  }

  return header;
}

}  // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// The library's JPEG decoders leak their memory manager on some damaged streams (allocated inside
// its IJG libraries, once per damaged file); the sanitizer builds are not to report it as ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgdcmjpeg\n";
}
#endif
#endif

DecodedHeader DecodeDicom(std::string_view file, const PixelMemory& pixelsFor,
                          const PreviewSink& preview) {
  silenceLibrary();
  try {
    if (const std::optional<std::string> headed = WithFileHeader(file))
      return decode(*headed, pixelsFor, preview);
    return decode(file, pixelsFor, preview);
  } catch (const ImageError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw ImageError("Die Datei ist beschädigt oder zu groß für den Arbeitsspeicher.");
  } catch (const std::exception& error) {
    throw ImageError("Die Datei ist beschädigt oder unvollständig.", error.what());
  }
}

}  // namespace decoder
