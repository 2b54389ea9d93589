#include "dicom_test_writer.h"

#include <gdcmDataSet.h>
#include <gdcmDictEntry.h>
#include <gdcmDicts.h>
#include <gdcmGlobal.h>
#include <gdcmImage.h>
#include <gdcmImageChangeTransferSyntax.h>
#include <gdcmImageWriter.h>
#include <gdcmTrace.h>
#include <gdcmWriter.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <streambuf>

namespace dicom_test {
namespace {

struct SyntaxEntry {
  TransferSyntax syntax;
  std::string_view name;
  gdcm::TransferSyntax::TSType gdcmSyntax;
};

constexpr std::array<SyntaxEntry, AllTransferSyntaxes.size() + 1> Syntaxes = {{
    {TransferSyntax::ImplicitLittleEndian, "implicit",
     gdcm::TransferSyntax::ImplicitVRLittleEndian},
    {TransferSyntax::ExplicitLittleEndian, "explicit",
     gdcm::TransferSyntax::ExplicitVRLittleEndian},
    {TransferSyntax::ExplicitBigEndian, "bigendian", gdcm::TransferSyntax::ExplicitVRBigEndian},
    {TransferSyntax::Deflated, "deflated", gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian},
    {TransferSyntax::JpegLossless, "jpeg", gdcm::TransferSyntax::JPEGLosslessProcess14_1},
    {TransferSyntax::JpegLsLossless, "jpegls", gdcm::TransferSyntax::JPEGLSLossless},
    {TransferSyntax::Jpeg2000Lossless, "jpeg2000", gdcm::TransferSyntax::JPEG2000Lossless},
    {TransferSyntax::Rle, "rle", gdcm::TransferSyntax::RLELossless},
    {TransferSyntax::Jpeg2000, "jpeg2000lossy", gdcm::TransferSyntax::JPEG2000},
}};

static_assert([] {
  for (std::size_t i = 0; i < Syntaxes.size(); ++i) {
    if (static_cast<std::size_t>(Syntaxes[i].syntax) != i) return false;
  }
  return true;
}());

// Elements the library's image writer adds of its own accord (besides Modality "OT").
constexpr Tag RescaleType{0x0028, 0x1054};
constexpr Tag NominalScannedPixelSpacing{0x0018, 0x2010};

const SyntaxEntry& entryOf(TransferSyntax syntax) {
  return Syntaxes[static_cast<std::size_t>(syntax)];
}

// The library reports odd but valid inputs on the console; the tests make plenty of those.
void silenceLibrary() {
  gdcm::Trace::SetWarning(false);
  gdcm::Trace::SetDebug(false);
  gdcm::Trace::SetError(false);
}

// Combinations on which the library's encoders stop the process with a failed assertion, and
// bit depths that only the uncompressed little-endian syntaxes are asked to carry.
void checkEncodable(const TestImage& image) {
  if ((image.bitsAllocated == 1 || image.bitsAllocated == 32) &&
      image.syntax != TransferSyntax::ExplicitLittleEndian &&
      image.syntax != TransferSyntax::ImplicitLittleEndian) {
    throw std::runtime_error("1 or 32 bits allocated are written uncompressed only");
  }
  const std::size_t pixelBytes =
      image.stored.size() * static_cast<std::size_t>(image.bitsAllocated / 8);
  if (image.syntax == TransferSyntax::Deflated && pixelBytes > (std::size_t{8} << 20)) {
    throw std::runtime_error("the DICOM library cannot deflate more than 8 MiB of pixel data");
  }
  // Its JPEG 2000 encoder writes past the end of its buffer when the code stream's headers
  // outgrow the pixel data.
  if ((image.syntax == TransferSyntax::Jpeg2000Lossless ||
       image.syntax == TransferSyntax::Jpeg2000) &&
      pixelBytes < 256) {
    throw std::runtime_error("the DICOM library cannot encode so small an image in JPEG 2000");
  }
  if (image.bitsAllocated != 8) return;
  const bool fewBits = image.bitsStored < 8;
  const bool codecFails =
      image.stored.size() % 2 != 0 || (fewBits && image.syntax == TransferSyntax::JpegLsLossless) ||
      (fewBits && image.overlayGarbage && image.syntax == TransferSyntax::JpegLossless);
  if (codecFails) throw std::runtime_error("the DICOM library cannot encode this test image");
}

// The stored values as the file holds them: two's complement in bits allocated, the bits above
// bits stored either the sign extension or garbage; with 1 bit allocated eight pixels a byte,
// the first in the lowest bit, padded to an even length.
std::vector<char> packPixels(const TestImage& image) {
  const std::int64_t low = image.isSigned ? -(std::int64_t{1} << (image.bitsStored - 1)) : 0;
  const std::int64_t high = image.isSigned ? (std::int64_t{1} << (image.bitsStored - 1)) - 1
                                           : (std::int64_t{1} << image.bitsStored) - 1;
  const std::uint64_t storedMask = (std::uint64_t{1} << image.bitsStored) - 1;
  const std::uint64_t allocatedMask = (std::uint64_t{1} << image.bitsAllocated) - 1;
  std::mt19937 random(12345);
  const int bytes = image.bitsAllocated / 8;
  std::vector<char> packed;
  packed.reserve(image.stored.size() * static_cast<std::size_t>(std::max(bytes, 1)));
  for (std::size_t i = 0; i < image.stored.size(); ++i) {
    const std::int32_t value = image.stored[i];
    if (value < low || value > high) throw std::runtime_error("stored value out of range");
    std::uint64_t raw = static_cast<std::uint64_t>(value) & allocatedMask;
    if (image.overlayGarbage) raw = (raw & storedMask) | (random() & allocatedMask & ~storedMask);
    if (bytes == 0) {
      if (i % 8 == 0) packed.push_back(0);
      packed.back() = static_cast<char>(packed.back() | (raw << (i % 8)));
    }
    for (int byte = 0; byte < bytes; ++byte) packed.push_back(static_cast<char>(raw >> 8 * byte));
  }
  if (packed.size() % 2 != 0) packed.push_back(0);
  return packed;
}

gdcm::SmartPointer<gdcm::Image> makeImage(const TestImage& image) {
  const std::size_t count =
      static_cast<std::size_t>(image.width) * image.height * image.frames * image.samplesPerPixel;
  if (image.stored.size() != count) throw std::runtime_error("pixel count does not match");
  gdcm::SmartPointer<gdcm::Image> result = new gdcm::Image;
  result->SetNumberOfDimensions(image.frames > 1 ? 3 : 2);
  result->SetDimension(0, static_cast<unsigned>(image.width));
  result->SetDimension(1, static_cast<unsigned>(image.height));
  if (image.frames > 1) result->SetDimension(2, static_cast<unsigned>(image.frames));
  result->SetPixelFormat(gdcm::PixelFormat(static_cast<unsigned short>(image.samplesPerPixel),
                                           static_cast<unsigned short>(image.bitsAllocated),
                                           static_cast<unsigned short>(image.bitsStored),
                                           static_cast<unsigned short>(image.bitsStored - 1),
                                           image.isSigned ? 1 : 0));
  result->SetPhotometricInterpretation(
      gdcm::PhotometricInterpretation::GetPIType(image.photometric.c_str()));
  result->SetPlanarConfiguration(0);
  result->SetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
  const std::vector<char> packed = packPixels(image);
  gdcm::DataElement pixels(gdcm::Tag(tags::PixelData.group, tags::PixelData.element));
  pixels.SetVR(image.bitsAllocated <= 8 ? gdcm::VR::OB : gdcm::VR::OW);
  pixels.SetByteValue(packed.data(), static_cast<std::uint32_t>(packed.size()));
  result->SetDataElement(pixels);
  return result;
}

// The library keeps binary values little-endian in memory and swaps them for a big-endian file.
gdcm::DataElement makeElement(const Element& element) {
  const gdcm::Tag tag(element.tag.group, element.tag.element);
  const gdcm::VR vr = gdcm::Global::GetInstance().GetDicts().GetDictEntry(tag).GetVR();
  gdcm::DataElement result(tag);
  result.SetVR(vr);
  std::string bytes = *element.value;
  if (vr == gdcm::VR::US) {
    const auto number = static_cast<std::uint16_t>(std::stoul(bytes));
    bytes = {static_cast<char>(number & 0xFF), static_cast<char>(number >> 8)};
  } else if (vr == gdcm::VR::FD) {
    const double number = std::stod(bytes);
    bytes.assign(reinterpret_cast<const char*>(&number), sizeof number);
  } else if (bytes.size() % 2 != 0) {
    bytes += vr == gdcm::VR::UI ? '\0' : ' ';
  }
  result.SetByteValue(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  return result;
}

// A stream that forgets what it is given: the library's image writer adds elements of its own
// choosing (rescale, spacing) only while it writes, so it writes once into nothing and the data
// set it leaves behind is corrected and written for real.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

std::string_view SyntaxName(TransferSyntax syntax) {
  return entryOf(syntax).name;
}

std::optional<TransferSyntax> SyntaxFromName(std::string_view name) {
  for (const SyntaxEntry& entry : Syntaxes) {
    if (entry.name == name) return entry.syntax;
  }
  return std::nullopt;
}

std::string WriteDicom(const TestImage& image) {
  silenceLibrary();
  checkEncodable(image);
  const gdcm::SmartPointer<gdcm::Image> raw = makeImage(image);
  gdcm::ImageChangeTransferSyntax change;
  change.SetTransferSyntax(entryOf(image.syntax).gdcmSyntax);
  change.SetInput(*raw);
  if (!change.Change()) throw std::runtime_error("cannot encode the test image");

  gdcm::ImageWriter imageWriter;
  imageWriter.SetImage(change.GetOutput());
  NullBuffer nothing;
  std::ostream nowhere(&nothing);
  imageWriter.SetStream(nowhere);
  if (!imageWriter.Write()) throw std::runtime_error("cannot assemble the test file");

  gdcm::DataSet& dataSet = imageWriter.GetFile().GetDataSet();
  for (const Tag tag : {tags::RescaleIntercept, tags::RescaleSlope, RescaleType, tags::PixelSpacing,
                        tags::ImagerPixelSpacing, NominalScannedPixelSpacing, tags::Modality}) {
    dataSet.Remove(gdcm::Tag(tag.group, tag.element));
  }
  for (const Element& element : image.elements) {
    if (element.value) {
      dataSet.Replace(makeElement(element));
    } else {
      dataSet.Remove(gdcm::Tag(element.tag.group, element.tag.element));
    }
  }

  std::ostringstream out;
  gdcm::Writer writer;
  writer.SetFile(imageWriter.GetFile());
  writer.SetStream(out);
  if (!writer.Write()) throw std::runtime_error("cannot write the test file");
  return std::move(out).str();
}

std::string WriteDicomDataSet(const std::vector<Element>& elements) {
  silenceLibrary();
  gdcm::Writer writer;
  gdcm::File& file = writer.GetFile();
  file.GetHeader().SetDataSetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
  for (const Element& element : elements) {
    if (element.value) file.GetDataSet().Insert(makeElement(element));
  }
  std::ostringstream out;
  writer.SetStream(out);
  if (!writer.Write()) throw std::runtime_error("cannot write the test data set");
  return std::move(out).str();
}

void WriteDicomFile(const TestImage& image, const std::filesystem::path& file) {
  const std::string bytes = WriteDicom(image);
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

std::string Deflated(std::string_view bytes) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

TestImage NoisyObjectImage(int width, int height, int objectX, int objectY, int objectWidth,
                           int objectHeight, unsigned seed) {
  TestImage image;
  image.width = width;
  image.height = height;
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inObject =
          x >= objectX && x < objectX + objectWidth && y >= objectY && y < objectY + objectHeight;
      image.stored.push_back((inObject ? 1400 : 1000) + static_cast<int>(rng() % 41) - 20);
    }
  }
  return image;
}

}  // namespace dicom_test
