// The one place that knows GDCM: everything it gives is checked and turned into our types.
#include "dicom_decoder.h"

#include <gdcmAttribute.h>
#include <gdcmDicts.h>
#include <gdcmExplicitDataElement.h>
#include <gdcmFileMetaInformation.h>
#include <gdcmGlobal.h>
#include <gdcmImage.h>
#include <gdcmImageReader.h>
#include <gdcmImplicitDataElement.h>
#include <gdcmJPEG2000Codec.h>
#include <gdcmJPEGCodec.h>
#include <gdcmJPEGLSCodec.h>
#include <gdcmMediaStorage.h>
#include <gdcmRAWCodec.h>
#include <gdcmRLECodec.h>
#include <gdcmReader.h>
#include <gdcmTrace.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <span>
#include <streambuf>

#include "calc/extended_ops.h"
#include "calc/number_text.h"
#include "element_scan.h"
#include "imaging/header_facts.h"
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

namespace {

// The file's bytes as the stream the library reads, without a copy.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string_view bytes) {
    char* const start = const_cast<char*>(bytes.data());
    setg(start, start, start + bytes.size());
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode) override {
    const off_type base = direction == std::ios_base::beg   ? 0
                          : direction == std::ios_base::cur ? gptr() - eback()
                                                            : egptr() - eback();
    return seekpos(pos_type(base + offset), std::ios_base::in);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode) override {
    if (position < 0 || position > egptr() - eback()) return pos_type(off_type(-1));
    setg(eback(), eback() + position, egptr());
    return position;
  }
};

class MemoryStream : public std::istream {
 public:
  explicit MemoryStream(std::string_view bytes) : std::istream(nullptr), buffer_(bytes) {
    rdbuf(&buffer_);
  }

 private:
  MemoryBuffer buffer_;
};

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

// The library's image reading takes the pixel description through typed attributes, which end
// the process on a value representation other than the dictionary's, a binary value of another
// size, or a Samples per Pixel it does not know: such a file is refused before.
void checkPixelDescription(const std::vector<PixelDescriptionElement>& elements) {
  const gdcm::Dicts& dicts = gdcm::Global::GetInstance().GetDicts();
  for (const PixelDescriptionElement& element : elements) {
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
    if (element.element == 0x0002) {
      const auto samples = static_cast<unsigned>(static_cast<unsigned char>(element.value[0]) |
                                                 static_cast<unsigned char>(element.value[1]) << 8);
      if (samples != 1 && samples != 3 && samples != 4) {
        throw ImageError("Die Datei ist beschädigt: Samples per Pixel ist " +
                         std::to_string(samples) + ".");
      }
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

// A file with the "DICM" mark after its 128-byte preamble; files without it may still be
// DICOM data sets, which the library reads too.
bool hasDicomMark(std::string_view file) {
  return file.size() >= 132 && file.substr(128, 4) == "DICM";
}

// The size the file must have by the lengths its header and elements declare. The library
// takes a cut-off element's declared length at its word and fills what is missing, so a file
// shorter than this is incomplete.
std::uint64_t declaredFileSize(const gdcm::File& file) {
  const gdcm::FileMetaInformation& meta = file.GetHeader();
  const bool implicit =
      meta.GetDataSetTransferSyntax().GetNegociatedType() == gdcm::TransferSyntax::Implicit;
  const gdcm::DataSet& dataSet = file.GetDataSet();
  return std::uint64_t{meta.GetFullLength()} +
         (implicit ? dataSet.GetLength<gdcm::ImplicitDataElement>()
                   : dataSet.GetLength<gdcm::ExplicitDataElement>());
}

std::string elementText(const gdcm::DataSet& dataSet, std::uint16_t group, std::uint16_t element) {
  const gdcm::Tag tag(group, element);
  if (!dataSet.FindDataElement(tag)) return {};
  const gdcm::ByteValue* bytes = dataSet.GetDataElement(tag).GetByteValue();
  if (bytes == nullptr) return {};
  return std::string(bytes->GetPointer(), bytes->GetLength());
}

std::string_view withoutPadding(std::string_view text) {
  const auto first = text.find_first_not_of(" \0", 0, 2);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \0", std::string_view::npos, 2) - first + 1);
}

std::string trimmedText(const gdcm::DataSet& dataSet, std::uint16_t group, std::uint16_t element) {
  return std::string(withoutPadding(elementText(dataSet, group, element)));
}

// The first value of a multi-valued decimal text, without padding.
std::string_view firstValue(std::string_view text) {
  return withoutPadding(text.substr(0, text.find('\\')));
}

calc::Extended rescaleValue(const gdcm::DataSet& dataSet, std::uint16_t element, int absent) {
  const std::string text = elementText(dataSet, 0x0028, element);
  const std::string_view value = firstValue(text);
  if (value.empty()) return calc::fromInt64(absent);
  calc::Fpu fpu;
  const calc::ParsedNumber parsed = calc::ParseNumberText(fpu, value);
  if (!parsed.ok) {
    throw ImageError("Rescale Slope oder Rescale Intercept der Datei ist keine gültige Zahl.");
  }
  return parsed.value;
}

std::optional<double> decimalValue(const gdcm::DataSet& dataSet, std::uint16_t element) {
  const std::string text = elementText(dataSet, 0x0028, element);
  const std::string_view value = firstValue(text);
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

bool canDecode(const gdcm::TransferSyntax& syntax) {
  return gdcm::RAWCodec().CanDecode(syntax) || gdcm::JPEGCodec().CanDecode(syntax) ||
         gdcm::JPEGLSCodec().CanDecode(syntax) || gdcm::JPEG2000Codec().CanDecode(syntax) ||
         gdcm::RLECodec().CanDecode(syntax) ||
         syntax == gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian;
}

// Bits Stored, High Bit and Pixel Representation as the file gives them: the library takes
// them from a JPEG 2000 code stream instead, which need not agree. Raises ImageError for a Pixel
// Representation other than 0 (unsigned) and 1 (signed).
gdcm::PixelFormat fileFormat(const gdcm::Image& image, const gdcm::DataSet& dataSet) {
  gdcm::PixelFormat format = image.GetPixelFormat();
  gdcm::Attribute<0x0028, 0x0101> stored{format.GetBitsStored()};
  gdcm::Attribute<0x0028, 0x0102> highBit{format.GetHighBit()};
  gdcm::Attribute<0x0028, 0x0103> representation{format.GetPixelRepresentation()};
  stored.SetFromDataSet(dataSet);
  highBit.SetFromDataSet(dataSet);
  representation.SetFromDataSet(dataSet);
  format.SetBitsStored(stored.GetValue());
  format.SetHighBit(highBit.GetValue());
  // Any other value would be taken for signed, and the image measured as what it is not.
  if (representation.GetValue() > 1) {
    throw ImageError("Die Datei ist beschädigt: Pixel Representation ist " +
                     std::to_string(representation.GetValue()) + ", erlaubt sind 0 und 1.");
  }
  format.SetPixelRepresentation(representation.GetValue());
  return format;
}

// "16 Bits", "1 Bit".
std::string bitsText(unsigned bits) {
  return std::to_string(bits) + (bits == 1 ? " Bit" : " Bits");
}

// Why a pixel layout is refused, in the file's own numbers (the library's pixel format quietly
// keeps its own Bits Stored where the file's makes no sense): another Bits Allocated is a
// choice the reader does not follow, contradictions within 8 or 16 bits are damage.
std::string layoutRefusal(const gdcm::DataSet& dataSet, const gdcm::PixelFormat& format) {
  gdcm::Attribute<0x0028, 0x0100> allocatedElement{format.GetBitsAllocated()};
  gdcm::Attribute<0x0028, 0x0101> storedElement{format.GetBitsStored()};
  allocatedElement.SetFromDataSet(dataSet);
  storedElement.SetFromDataSet(dataSet);
  const unsigned allocated = allocatedElement.GetValue(), stored = storedElement.GetValue();
  if (allocated == 8 || allocated == 16) {
    return "Die Datei ist beschädigt: Bits Stored oder High Bit passt nicht zu Bits Allocated.";
  }
  const std::string layout = stored >= 1 && stored < allocated
                                 ? bitsText(stored) + " in " + bitsText(allocated)
                                 : bitsText(allocated);
  return "Die Pixeldarstellung wird nicht unterstützt: die Datei hat " + layout +
         " je Pixel; unterstützt sind 1 bis 16 Bits in 8 oder 16 Bits je Pixel.";
}

gdcm::Image& checkedImage(gdcm::ImageReader& reader, bool readOk, bool marked) {
  const gdcm::DataSet& dataSet = reader.GetFile().GetDataSet();
  if (!readOk && !marked && dataSet.IsEmpty()) throw ImageError("Die Datei ist keine DICOM-Datei.");
  if (!dataSet.FindDataElement(gdcm::Tag(0x7FE0, 0x0010))) {
    if (!readOk && !marked) throw ImageError("Die Datei ist keine DICOM-Datei.");
    throw ImageError(readOk || dataSet.FindDataElement(gdcm::Tag(0x0028, 0x0010))
                         ? "Die Datei enthält keine Bilddaten."
                         : "Die Datei ist beschädigt oder unvollständig.");
  }
  if (!readOk) throw ImageError("Die Datei ist beschädigt oder unvollständig.");

  gdcm::Image& image = reader.GetImage();
  const gdcm::PixelFormat format = fileFormat(image, dataSet);
  const gdcm::PhotometricInterpretation::PIType photometric =
      image.GetPhotometricInterpretation().GetType();
  // The library mends some contradictions of the header; the file's own word counts here.
  gdcm::Attribute<0x0028, 0x0002> samples{1};
  samples.SetFromDataSet(dataSet);
  if (format.GetSamplesPerPixel() != 1 || samples.GetValue() != 1 ||
      (photometric != gdcm::PhotometricInterpretation::MONOCHROME1 &&
       photometric != gdcm::PhotometricInterpretation::MONOCHROME2)) {
    throw ImageError(
        "Farbbilder lassen sich nicht messen: nur Graustufenbilder (MONOCHROME1 "
        "oder MONOCHROME2).");
  }
  if (image.GetNumberOfDimensions() > 2 && image.GetDimension(2) > 1) {
    throw ImageError(
        "Die Datei enthält mehrere Bilder (etwa eine Tomosynthese); nur Einzelbilder "
        "lassen sich messen.");
  }
  const unsigned width = image.GetDimension(0), height = image.GetDimension(1);
  if (width == 0 || height == 0)
    throw ImageError("Die Datei ist beschädigt: das Bild hat keine Größe.");
  if (width > MaxImageSide || height > MaxImageSide) {
    throw ImageError("Das Bild ist zu groß: höchstens 32768 Pixel je Seite.");
  }
  if (std::uint64_t{width} * height > MaxImagePixels) {
    throw ImageError("Das Bild ist zu groß: höchstens " + std::to_string(MaxImagePixels) +
                     " Pixel (" + std::to_string(MaxImagePixels * 2 >> 20) + " MiB Pixeldaten).");
  }
  const unsigned allocated = format.GetBitsAllocated(), stored = format.GetBitsStored();
  if ((allocated != 8 && allocated != 16) || stored < 1 || stored > allocated ||
      format.GetHighBit() + 1u < stored || format.GetHighBit() >= allocated) {
    throw ImageError(layoutRefusal(dataSet, format));
  }
  return image;
}

// A complete data set of a kind that holds no image (a structure set, a plan, a report), which
// the image reader refuses as it would a damaged file. Read again as a plain data set, it is
// told apart by its SOP class: a file of an image class, or that names none, stays damaged.
void refuseWithoutImage(std::istream& stream) {
  stream.clear();
  stream.seekg(0);
  gdcm::Reader reader;
  reader.SetStream(stream);
  if (!reader.Read()) return;
  const gdcm::DataSet& dataSet = reader.GetFile().GetDataSet();
  std::string sopClass = trimmedText(reader.GetFile().GetHeader(), 0x0002, 0x0002);
  if (sopClass.empty()) sopClass = trimmedText(dataSet, 0x0008, 0x0016);
  const bool imageParts = dataSet.FindDataElement(gdcm::Tag(0x7FE0, 0x0010)) ||
                          dataSet.FindDataElement(gdcm::Tag(0x0028, 0x0010)) ||
                          dataSet.FindDataElement(gdcm::Tag(0x0028, 0x0011));
  if (sopClass.empty() || imageParts ||
      gdcm::MediaStorage::IsImage(gdcm::MediaStorage::GetMSType(sopClass.c_str()))) {
    return;
  }
  // A code string of at most 16 letters, digits, spaces and underscores; anything else is not
  // worth repeating.
  const std::string modality = trimmedText(dataSet, 0x0008, 0x0060);
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

ImageContext imageContext(const gdcm::DataSet& dataSet, gdcm::TransferSyntax::TSType syntax) {
  ImageContext context;
  context.modality = trimmedText(dataSet, 0x0008, 0x0060);
  context.presentationIntent = trimmedText(dataSet, 0x0008, 0x0068);
  context.laterality = trimmedText(dataSet, 0x0020, 0x0062);
  if (context.laterality.empty()) context.laterality = trimmedText(dataSet, 0x0020, 0x0060);
  context.patientOrientation = trimmedText(dataSet, 0x0020, 0x0020);
  const std::string lossyCompression = trimmedText(dataSet, 0x0028, 0x2110);
  const Coding coding = codingOf(syntax);
  context.lossyCompressed = lossyCompression == "01" || coding == Coding::Lossy ||
                            (coding == Coding::MaybeLossy && lossyCompression != "00");
  return context;
}

// The decoder is asked only for a complete image (deflated files are checked by zlib).
void checkPixelDataComplete(const gdcm::ImageReader& reader, std::size_t count,
                            std::uint64_t fileSize) {
  const gdcm::Image& image = reader.GetImage();
  const gdcm::ByteValue* raw = image.GetDataElement().GetByteValue();
  const std::size_t bytes = count * (image.GetPixelFormat().GetBitsAllocated() / 8);
  const bool deflated =
      image.GetTransferSyntax() == gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian;
  if (image.GetBufferLength() != bytes || (raw != nullptr && raw->GetLength() < bytes) ||
      (!deflated && declaredFileSize(reader.GetFile()) > fileSize)) {
    throw ImageError("Die Bilddaten sind unvollständig.");
  }
}

// Decodes into 16-bit words, whatever the file allocates.
void decodeWords(gdcm::Image& image, std::size_t count, std::uint16_t* words) {
  const unsigned bytesPerValue = image.GetPixelFormat().GetBitsAllocated() / 8;
  if (!canDecode(image.GetTransferSyntax())) {
    throw ImageError("Die Kodierung der Bilddaten (Transfer Syntax " +
                     std::string(image.GetTransferSyntax().GetString()) +
                     ") wird nicht unterstützt.");
  }
  if (bytesPerValue == 2) {
    if (!image.GetBuffer(reinterpret_cast<char*>(words))) {
      throw ImageError("Die Bilddaten sind beschädigt und lassen sich nicht dekodieren.");
    }
    return;
  }
  // The library's 8-bit decoders take all eight bits; Bits Stored is applied afterwards.
  gdcm::PixelFormat wholeBytes = image.GetPixelFormat();
  wholeBytes.SetBitsStored(8);
  wholeBytes.SetHighBit(7);
  image.SetPixelFormat(wholeBytes);
  std::vector<char> bytes(count);
  if (!image.GetBuffer(bytes.data())) {
    throw ImageError("Die Bilddaten sind beschädigt und lassen sich nicht dekodieren.");
  }
  for (std::size_t i = 0; i < count; ++i) words[i] = static_cast<unsigned char>(bytes[i]);
}

// Keeps Bits Stored from the high bit down (overlays may use the bits above) and turns signed
// values into offset binary, so that every later sum is of unsigned integers.
void toOffsetBinary(std::span<std::uint16_t> words, const gdcm::PixelFormat& format) {
  const unsigned stored = format.GetBitsStored();
  const unsigned shift = format.GetHighBit() + 1u - stored;
  const std::uint16_t mask = static_cast<std::uint16_t>((1u << stored) - 1);
  const std::uint16_t flip =
      format.GetPixelRepresentation() != 0 ? static_cast<std::uint16_t>(1u << (stored - 1)) : 0;
  if (shift == 0 && mask == 0xFFFF && flip == 0) return;
  for (std::uint16_t& word : words) {
    word = static_cast<std::uint16_t>(((word >> shift) & mask) ^ flip);
  }
}

DecodedHeader decode(std::string_view file, const PixelMemory& pixelsFor) {
  if (file.size() > MaxFileBytes) {
    throw ImageError("Die Datei ist zu groß: höchstens " + std::to_string(MaxFileBytes >> 20) +
                     " MiB.");
  }
  const ScannedFile scanned = ScanElements(file);
  checkPixelDescription(scanned.pixelDescription);
  CheckCodecStreams(scanned.transferSyntax, scanned.pixelData,
                    declaredImage(scanned.pixelDescription));
  const bool marked = hasDicomMark(file);
  const std::uint64_t fileSize = file.size();
  MemoryStream stream(file);
  gdcm::ImageReader reader;
  reader.SetStream(stream);
  const bool readOk = reader.Read();
  if (!readOk) refuseWithoutImage(stream);
  gdcm::Image& image = checkedImage(reader, readOk, marked);
  const gdcm::DataSet& dataSet = reader.GetFile().GetDataSet();
  const gdcm::PixelFormat format = fileFormat(image, dataSet);

  DecodedHeader header;
  header.width = static_cast<int>(image.GetDimension(0));
  header.height = static_cast<int>(image.GetDimension(1));
  const std::size_t count =
      static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height);
  checkPixelDataComplete(reader, count, fileSize);
  const std::span<std::uint16_t> words(pixelsFor(count), count);
  decodeWords(image, count, words.data());
  toOffsetBinary(words, format);

  header.bitsStored = format.GetBitsStored();
  header.offset = format.GetPixelRepresentation() != 0 ? 1 << (header.bitsStored - 1) : 0;
  header.photometric =
      image.GetPhotometricInterpretation() == gdcm::PhotometricInterpretation::MONOCHROME1
          ? Photometric::Monochrome1
          : Photometric::Monochrome2;
  header.rescale = {rescaleValue(dataSet, 0x1053, 1), rescaleValue(dataSet, 0x1052, 0)};
  header.window = displayWindow(dataSet);
  header.context = imageContext(dataSet, image.GetTransferSyntax());
  for (HeaderFact& fact : HeaderFacts([&](std::uint16_t group, std::uint16_t element) {
         return elementText(dataSet, group, element);
       })) {
    header.factValues.push_back(std::move(fact.value));
  }
  return header;
}

}  // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// The library leaks on some damaged streams: the JPEG-LS decoder its buffer, the JPEG 2000 header
// reading the codec's decompressor (allocated inside OpenJPEG, which only the library calls).
// Theirs, once per damaged file; the sanitizer builds are not to report them as ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:gdcm::JPEGLSCodec::Decode\n"
         "leak:libopenjp2.so\n";
}
#endif
#endif

DecodedHeader DecodeDicom(std::string_view file, const PixelMemory& pixelsFor) {
  silenceLibrary();
  try {
    return decode(file, pixelsFor);
  } catch (const ImageError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw ImageError("Die Datei ist beschädigt oder zu groß für den Arbeitsspeicher.");
  } catch (const std::exception& error) {
    throw ImageError("Die Datei ist beschädigt oder unvollständig.", error.what());
  }
}

}  // namespace decoder
