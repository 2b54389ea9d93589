// Whatever the bytes, the reader answers with an image or an ImageError carrying a message; the
// listed kinds of damage must be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "dicom_test_writer.h"
#include "imaging/dicom_image.h"
#include "imaging/roi_statistics.h"

namespace {

using dicom_test::Element;
using dicom_test::TestImage;
using dicom_test::TransferSyntax;
namespace tags = dicom_test::tags;

enum class Expect {
  Refused,
  Read,
  Either,  // changed bytes inside pixel data, which a decoder need not notice
};

struct DamagedCase {
  std::string name;
  std::string bytes;
  Expect expect;
  std::string message = {};  // what the refusal must say, where it is not simply damage
};

// The refusal of a complete file without any image, which damage must never earn.
constexpr std::string_view NoImage = "Die DICOM-Datei enthält kein Bild";
// The refusal of a file whose structure does not hold together.
const std::string Damaged = "Die Datei ist beschädigt oder unvollständig.";

TestImage ValidImage(TransferSyntax syntax = TransferSyntax::ExplicitLittleEndian,
                     std::vector<Element> elements = {}) {
  TestImage image;
  image.width = 64;
  image.height = 48;
  image.syntax = syntax;
  image.elements = std::move(elements);
  std::mt19937 random(5);
  for (int i = 0; i < image.width * image.height; ++i) image.stored.push_back(random() % 4096);
  return image;
}

std::string Valid(TransferSyntax syntax = TransferSyntax::ExplicitLittleEndian,
                  std::vector<Element> elements = {}) {
  return dicom_test::WriteDicom(ValidImage(syntax, std::move(elements)));
}

std::string Replaced(std::string bytes, const std::string& from, const std::string& to) {
  const std::size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

// Where the file meta information ends, by its group length (the first element after "DICM").
std::size_t MetaEnd(const std::string& file) {
  std::uint32_t groupLength = 0;
  std::memcpy(&groupLength, file.data() + 140, 4);
  return 144 + groupLength;
}

// Where the first fragment's bytes start in an encapsulated file: after the pixel data element's
// header and the offset table's item.
std::size_t FirstFragment(const std::string& file) {
  const std::size_t table = file.rfind(std::string("\xE0\x7F\x10\x00OB\0\0", 8)) + 12;
  std::uint32_t tableLength = 0;
  std::memcpy(&tableLength, file.data() + table + 4, 4);
  return table + 8 + tableLength + 8;
}

void AddTruncations(std::vector<DamagedCase>& cases, TransferSyntax syntax) {
  const std::string file = Valid(syntax);
  const std::string name = std::string(dicom_test::SyntaxName(syntax)) + " cut at ";
  // Every length through the header of one file; a spread through the pixel data of each. The
  // last 8 bytes are spared: in encapsulated data they are the delimiter after the last
  // fragment, which a reader may do without.
  const std::size_t pixelStart = file.rfind(std::string("\xE0\x7F\x10\x00", 4));
  const std::size_t end = file.size() - 8;
  std::size_t length = 0;
  if (syntax == TransferSyntax::ExplicitLittleEndian) {
    for (; length < pixelStart + 16; ++length) {
      cases.push_back({name + std::to_string(length), file.substr(0, length), Expect::Refused});
    }
  }
  for (std::size_t step = (end - length) / 40 + 1; length < end; length += step) {
    cases.push_back({name + std::to_string(length), file.substr(0, length), Expect::Refused});
  }
  cases.push_back({name + "its end", file, Expect::Read});
}

std::vector<DamagedCase> DamagedCases() {
  std::vector<DamagedCase> cases;
  for (const TransferSyntax syntax : dicom_test::AllTransferSyntaxes) {
    AddTruncations(cases, syntax);
    // A few bytes of the pixel data (or of the deflated data set) changed.
    std::string flipped = Valid(syntax);
    std::mt19937 random(static_cast<unsigned>(syntax));
    for (int i = 0; i < 12; ++i) {
      flipped[flipped.size() / 2 + random() % (flipped.size() / 2 - 8)] ^= 0x5A;
    }
    cases.push_back(
        {"flipped " + std::string(dicom_test::SyntaxName(syntax)), flipped, Expect::Either});
  }

  std::mt19937 random(17);
  for (int i = 0; i < 30; ++i) {
    std::string bytes(random() % 3000, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    if (i % 2 != 0 && bytes.size() > 132) bytes.replace(128, 4, "DICM");
    cases.push_back({"random " + std::to_string(i), bytes, Expect::Refused});
  }
  for (const char* text : {"", "Hallo Welt\n", "mAl;sAl;mBG;sBG\n1000;10;1500;20\n",
                           "<?xml version=\"1.0\"?><dicom/>\n", "\x89PNG\r\n\x1a\n"}) {
    cases.push_back({"text " + std::string(text), text, Expect::Refused});
  }
  cases.push_back({"preamble and mark only", std::string(128, ' ') + "DICM", Expect::Refused});
  // A data set without the file header, as older exports write it: read, in the syntax its
  // first element shows.
  for (const TransferSyntax syntax :
       {TransferSyntax::ImplicitLittleEndian, TransferSyntax::ExplicitLittleEndian}) {
    const std::string file = Valid(syntax);
    cases.push_back({"no file header, " + std::string(dicom_test::SyntaxName(syntax)),
                     file.substr(MetaEnd(file)), Expect::Read});
  }

  const std::vector<std::pair<std::string, std::vector<Element>>> wrongTags = {
      {"rows missing", {{tags::Rows, std::nullopt}}},
      {"columns missing", {{tags::Columns, std::nullopt}}},
      {"rows 0", {{tags::Rows, "0"}}},
      {"columns 0", {{tags::Columns, "0"}}},
      {"bits allocated 12", {{tags::BitsAllocated, "12"}}},
      {"bits allocated 32", {{tags::BitsAllocated, "32"}}},
      {"bits stored 17", {{tags::BitsStored, "17"}}},
      {"bits stored 0", {{tags::BitsStored, "0"}}},
      {"pixel representation 32769", {{tags::PixelRepresentation, "32769"}}},
      {"samples per pixel 3", {{tags::SamplesPerPixel, "3"}}},
      {"number of frames 2", {{tags::NumberOfFrames, "2"}}},
      {"no pixel data", {{tags::PixelData, std::nullopt}}},
      {"columns 40000", {{tags::Columns, "40000"}}},
      {"huge with little data", {{tags::Rows, "30000"}, {tags::Columns, "30000"}}},
      {"slope not a number", {{tags::RescaleSlope, "abc"}}},
  };
  for (const auto& [name, elements] : wrongTags) {
    cases.push_back({name, Valid(TransferSyntax::ExplicitLittleEndian, elements), Expect::Refused});
  }
  for (const TransferSyntax syntax : {TransferSyntax::Jpeg2000Lossless, TransferSyntax::Rle}) {
    cases.push_back({"huge with little " + std::string(dicom_test::SyntaxName(syntax)) + " data",
                     Valid(syntax, {{tags::Rows, "30000"}, {tags::Columns, "30000"}}),
                     Expect::Refused});
  }

  TestImage colour = ValidImage();
  colour.samplesPerPixel = 3;
  colour.photometric = "RGB";
  colour.bitsAllocated = colour.bitsStored = 8;
  colour.stored.assign(colour.stored.size() * 3, 200);
  cases.push_back({"colour", dicom_test::WriteDicom(colour), Expect::Refused});
  TestImage frames = ValidImage();
  frames.frames = 2;
  frames.stored.insert(frames.stored.end(), frames.stored.begin(), frames.stored.end());
  cases.push_back({"two frames", dicom_test::WriteDicom(frames), Expect::Refused});
  for (const int width : {imaging::MaxImageSide, imaging::MaxImageSide + 1}) {
    TestImage wide;
    wide.width = width;
    wide.height = 2;
    wide.stored.resize(static_cast<std::size_t>(width) * 2);
    cases.push_back({"width " + std::to_string(width), dicom_test::WriteDicom(wide),
                     width > imaging::MaxImageSide ? Expect::Refused : Expect::Read});
  }

  // The pixel budget, by headers that claim more than the file holds: just within it the file is
  // incomplete, just beyond it too big, before anything is allocated for it.
  cases.push_back({"16384 x 16384 with little data",
                   Valid(TransferSyntax::ExplicitLittleEndian,
                         {{tags::Rows, "16384"}, {tags::Columns, "16384"}}),
                   Expect::Refused,
                   "Die Bilddaten sind unvollständig: 6144 Bytes, Rows × Columns × Bits "
                   "Allocated / 8 verlangen 536870912."});
  // Within the budget, and small: a flat 16384 × 16384 image in RLE, 8 MiB of file for 512 MiB
  // of pixels, which the helper must grant once the header has declared them.
  {
    const std::string small =
        Valid(TransferSyntax::Rle, {{tags::Rows, "16384"}, {tags::Columns, "16384"}});
    const std::size_t at = FirstFragment(small);
    std::uint32_t oldLength = 0;
    std::memcpy(&oldLength, small.data() + at - 4, 4);
    const std::uint32_t plane = 16384u * 16384u;
    std::string frame(64, '\0');
    const std::uint32_t header[3] = {2, 64, 64 + plane / 64};
    std::memcpy(frame.data(), header, sizeof header);
    for (const char byte : {'\x07', '\xD0'})  // every pixel 2000: runs of 128 (control -127)
      for (std::uint32_t run = 0; run < plane / 128; ++run) frame += std::string{'\x81', byte};
    const auto length = static_cast<std::uint32_t>(frame.size());
    cases.push_back({"16384 x 16384 RLE, flat",
                     small.substr(0, at - 4) +
                         std::string(reinterpret_cast<const char*>(&length), 4) + frame +
                         small.substr(at + oldLength),
                     Expect::Read});
  }
  cases.push_back({"16385 x 16384 with little data",
                   Valid(TransferSyntax::ExplicitLittleEndian,
                         {{tags::Rows, "16385"}, {tags::Columns, "16384"}}),
                   Expect::Refused, "Das Bild ist zu groß: höchstens 268435456 Pixel"});

  // Transfer syntaxes the reader cannot decode: an unknown one, and a JPEG-LS stream declared
  // as baseline JPEG (same length, so the file stays well-formed).
  cases.push_back({"unknown transfer syntax",
                   Replaced(Valid(TransferSyntax::Rle), std::string("1.2.840.10008.1.2.5\0", 20),
                            std::string("1.2.840.10008.1.2.6\0", 20)),
                   Expect::Refused});
  cases.push_back({"JPEG-LS declared as baseline JPEG",
                   Replaced(Valid(TransferSyntax::JpegLsLossless), "1.2.840.10008.1.2.4.80",
                            "1.2.840.10008.1.2.4.50"),
                   Expect::Refused});

  // Lengths that lie, which the library would take at their word: a pixel data element far
  // beyond the file, a sequence delimiter that declares a value, a deflated data set whose
  // pixel data claims more than the inflated set holds.
  const std::string explicitFile = Valid();
  const std::string pixelHeader("\xE0\x7F\x10\x00OW\0\0", 8);
  const std::size_t pixelAt = explicitFile.rfind(pixelHeader);
  std::string lyingLength = explicitFile;
  lyingLength.replace(pixelAt + 8, 4, "\xFE\xFF\xFF\xFF");
  cases.push_back({"pixel data length 0xFFFFFFFE", lyingLength, Expect::Refused, Damaged});
  std::string delimiterWithLength = Valid(TransferSyntax::Rle);
  delimiterWithLength.replace(delimiterWithLength.size() - 4, 4, "\x00\x00\x00\x7B");
  cases.push_back(
      {"sequence delimiter with a length", delimiterWithLength, Expect::Refused, Damaged});
  const std::string deflatedFile = Valid(TransferSyntax::Deflated);
  const std::string dataSet = lyingLength.substr(MetaEnd(lyingLength));
  cases.push_back({"deflated with a lying length",
                   deflatedFile.substr(0, MetaEnd(deflatedFile)) + dicom_test::Deflated(dataSet),
                   Expect::Refused, Damaged});

  // A JPEG frame header that claims twice the rows its coded data holds, as the file does: the
  // decoder would fill the missing rows and only warn.
  std::string moreRows = Valid(TransferSyntax::JpegLossless, {{tags::Rows, "96"}});
  const std::size_t frameAt = moreRows.find("\xFF\xC3");
  moreRows.replace(frameAt + 5, 2, std::string("\x00\x60", 2));
  cases.push_back({"JPEG claiming more rows than it holds", moreRows, Expect::Refused,
                   "Die Bilddaten sind unvollständig: der JPEG-Datenstrom endet nach 48 von 96 "
                   "Zeilen."});

  // What once reached memory faults in the codecs: RLE segment counts of 0 and 0xFFFFFFFF, JPEG
  // frame precisions of 17, 32 and 255 bits, and a JPEG 2000 code stream smaller than the
  // declared image, encapsulated or not.
  const std::string rle = Valid(TransferSyntax::Rle);
  const std::size_t rleHeader = FirstFragment(rle);
  for (const char* count : {"\x00\x00\x00\x00", "\xFF\xFF\xFF\xFF"}) {
    std::string damaged = rle;
    damaged.replace(rleHeader, 4, count, 4);
    cases.push_back({"RLE segment count " + std::to_string(static_cast<unsigned char>(count[0])),
                     damaged, Expect::Refused,
                     "Die Bilddaten sind beschädigt: die Zahl der RLE-Segmente"});
  }
  const std::string jpeg = Valid(TransferSyntax::JpegLossless);
  for (const int precision : {17, 32, 255}) {
    std::string damaged = jpeg;
    damaged[damaged.find("\xFF\xC3") + 4] = static_cast<char>(precision);
    cases.push_back({"JPEG precision " + std::to_string(precision), damaged, Expect::Refused,
                     "Die Bilddaten sind beschädigt: der JPEG-Datenstrom hat eine Bittiefe von " +
                         std::to_string(precision)});
  }
  const std::string jpeg2000 = Valid(TransferSyntax::Jpeg2000Lossless, {{tags::Rows, "96"}});
  cases.push_back(
      {"JPEG 2000 smaller than declared", jpeg2000, Expect::Refused,
       "Die Bilddaten sind beschädigt: ihre Größe (64 × 48) passt nicht zum Dateikopf"});
  const std::size_t streamAt = FirstFragment(jpeg2000);
  std::uint32_t streamLength = 0;
  std::memcpy(&streamLength, jpeg2000.data() + streamAt - 4, 4);
  const std::size_t pixelElement = jpeg2000.rfind(std::string("\xE0\x7F\x10\x00OB\0\0", 8));
  cases.push_back({"JPEG 2000 smaller than declared, not encapsulated",
                   jpeg2000.substr(0, pixelElement + 8) +
                       std::string(reinterpret_cast<const char*>(&streamLength), 4) +
                       jpeg2000.substr(streamAt, streamLength),
                   Expect::Refused, "Die Bilddaten sind beschädigt"});

  // A JPEG 2000 code stream wrapped in a JP2 file's boxes (signature, file type, the code
  // stream box), as some writers do against the standard: the code stream inside is read.
  {
    const std::string whole = Valid(TransferSyntax::Jpeg2000Lossless);
    const std::size_t at = FirstFragment(whole);
    std::uint32_t length = 0;
    std::memcpy(&length, whole.data() + at - 4, 4);
    const auto bigEndian = [](std::uint32_t value) {
      return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    std::string boxes = std::string("\x00\x00\x00\x0CjP  \r\n\x87\n", 12) + bigEndian(20) +
                        "ftypjp2 " + std::string(4, '\0') + "jp2 " + bigEndian(length + 8) +
                        "jp2c" + whole.substr(at, length);
    if (boxes.size() % 2 != 0) boxes += '\0';
    const auto wrappedLength = static_cast<std::uint32_t>(boxes.size());
    cases.push_back({"JPEG 2000 in JP2 boxes",
                     whole.substr(0, at - 4) +
                         std::string(reinterpret_cast<const char*>(&wrappedLength), 4) + boxes +
                         whole.substr(at + length),
                     Expect::Read});
  }

  // A code stream cut to half inside an otherwise intact file: refused, never an image finished
  // from what came before.
  for (const TransferSyntax syntax : {TransferSyntax::JpegLossless, TransferSyntax::JpegLsLossless,
                                      TransferSyntax::Jpeg2000Lossless}) {
    const std::string whole = Valid(syntax);
    const std::size_t at = FirstFragment(whole);
    std::uint32_t length = 0;
    std::memcpy(&length, whole.data() + at - 4, 4);
    const std::uint32_t half = length / 4 * 2;
    cases.push_back({std::string(dicom_test::SyntaxName(syntax)) + " stream cut to half",
                     whole.substr(0, at - 4) +
                         std::string(reinterpret_cast<const char*>(&half), 4) +
                         whole.substr(at, half) + whole.substr(at + length),
                     Expect::Refused, "Die Bilddaten sind"});
  }

  // A geometry that lies by less than the data hold: one column short would be measured sheared,
  // half the rows on the top half. Refused in every syntax that is not a codec's own stream.
  for (const TransferSyntax syntax :
       {TransferSyntax::ImplicitLittleEndian, TransferSyntax::ExplicitLittleEndian,
        TransferSyntax::ExplicitBigEndian, TransferSyntax::Deflated, TransferSyntax::Rle}) {
    const std::string says = syntax == TransferSyntax::Rle
                                 ? "Die Bilddaten sind beschädigt: ein RLE-Segment gibt mehr als"
                                 : "Die Datei ist beschädigt: die Bilddaten haben";
    for (const auto& [what, element] :
         {std::pair{"one column short", std::pair{tags::Columns, "63"}},
          std::pair{"half the rows", std::pair{tags::Rows, "24"}}}) {
      cases.push_back({std::string(dicom_test::SyntaxName(syntax)) + " " + what,
                       Valid(syntax, {{element.first, element.second}}), Expect::Refused, says});
    }
  }

  // Values the measurement reads: refused with the value named, never measured as NaN or as a
  // number the standard does not allow.
  const std::vector<std::tuple<std::string, std::vector<Element>, std::string>> readValues = {
      {"intercept of 18 characters",
       {{tags::RescaleIntercept, "-1024.000000000001"}},
       "Rescale Intercept der Datei ist keine gültige Zahl („-1024.000000000001“)."},
      {"intercept 1e400",
       {{tags::RescaleIntercept, "1e400"}},
       "Rescale Intercept der Datei ist keine gültige Zahl („1e400“)."},
      {"slope 0",
       {{tags::RescaleSlope, "0"}},
       "Rescale Slope der Datei ist keine gültige Zahl („0“)."},
      {"slope 1e308",
       {{tags::RescaleSlope, "1e308"}},
       "Rescale Slope und Rescale Intercept der Datei ergeben Werte außerhalb"},
      {"frames 0",
       {{tags::NumberOfFrames, "0"}},
       "Die Datei ist beschädigt: Number of Frames ist keine positive ganze Zahl („0“)."},
      {"frames -1",
       {{tags::NumberOfFrames, "-1"}},
       "Die Datei ist beschädigt: Number of Frames ist keine positive ganze Zahl („-1“)."},
      {"frames abc",
       {{tags::NumberOfFrames, "abc"}},
       "Die Datei ist beschädigt: Number of Frames ist keine positive ganze Zahl („abc“)."},
      {"photometric empty",
       {{tags::PhotometricInterpretation, ""}},
       "Die Datei ist beschädigt: Photometric Interpretation fehlt."},
      {"MONOCHROME3",
       {{tags::PhotometricInterpretation, "MONOCHROME3"}},
       "Die Photometric Interpretation („MONOCHROME3“) wird nicht unterstützt"},
  };
  for (const auto& [name, elements, says] : readValues)
    cases.push_back(
        {name, Valid(TransferSyntax::ExplicitLittleEndian, elements), Expect::Refused, says});
  // An element the reader never reads, with another value representation than the dictionary's
  // (a real MR file's (0028,0303) as SH): read.
  const Element modified{dicom_test::Tag{0x0028, 0x0303}, "MODIFIED"};
  const auto asShortString = [](const std::string& file, bool bigEndian) {
    const std::string tag =
        bigEndian ? std::string("\x00\x28\x03\x03", 4) : std::string("\x28\x00\x03\x03", 4);
    return Replaced(file, tag + "CS", tag + "SH");
  };
  for (const TransferSyntax syntax :
       {TransferSyntax::ExplicitLittleEndian, TransferSyntax::ExplicitBigEndian}) {
    cases.push_back(
        {"(0028,0303) as SH, " + std::string(dicom_test::SyntaxName(syntax)),
         asShortString(Valid(syntax, {modified}), syntax == TransferSyntax::ExplicitBigEndian),
         Expect::Read});
  }
  const std::string plain =
      asShortString(Valid(TransferSyntax::ExplicitLittleEndian, {modified}), false);
  const std::string deflated = Valid(TransferSyntax::Deflated);
  cases.push_back(
      {"(0028,0303) as SH, deflated",
       deflated.substr(0, MetaEnd(deflated)) + dicom_test::Deflated(plain.substr(MetaEnd(plain))),
       Expect::Read});

  cases.push_back({"RLE with twice the rows its segments give",
                   Valid(TransferSyntax::Rle, {{tags::Rows, "96"}}), Expect::Refused,
                   "Die Bilddaten sind unvollständig: ein RLE-Segment gibt 3072 von 6144 Bytes."});

  // Valid files that are not what Quantelo measures: said so, not called damaged.
  const std::string unsupported = "Die Pixeldarstellung wird nicht unterstützt: die Datei hat ";
  for (const auto& [bits, says] : {std::pair{32, unsupported + "32 Bits je Pixel;"},
                                   std::pair{1, unsupported + "1 Bit je Pixel;"}}) {
    TestImage image = ValidImage();
    image.bitsAllocated = image.bitsStored = bits;
    for (std::int32_t& value : image.stored) value %= 2;
    cases.push_back(
        {std::to_string(bits) + " bits", dicom_test::WriteDicom(image), Expect::Refused, says});
  }
  const std::vector<std::pair<std::vector<Element>, std::string>> withoutImage = {
      {{{tags::SopClassUid, "1.2.840.10008.5.1.4.1.1.481.3"}, {tags::Modality, "RTSTRUCT"}},
       std::string(NoImage) + " (Modalität RTSTRUCT)."},
      {{{tags::SopClassUid, "1.2.840.10008.5.1.4.1.1.481.5"}, {tags::Modality, "RTPLAN"}},
       std::string(NoImage) + " (Modalität RTPLAN)."},
      {{{tags::SopClassUid, "1.2.840.10008.5.1.4.1.1.88.11"}}, std::string(NoImage) + "."},
  };
  for (const auto& [elements, says] : withoutImage) {
    std::vector<Element> dataSet = elements;
    dataSet.push_back({tags::SopInstanceUid, "1.2.826.0.1.3680043.2.1125.1"});
    cases.push_back(
        {"no image: " + says, dicom_test::WriteDicomDataSet(dataSet), Expect::Refused, says});
  }
  return cases;
}

// Reads one input; a successful read must give a consistent image whose pixels can be measured,
// a refusal the message expected (as its start), and no damaged file the no-image message.
void CheckOutcome(const std::string& name, Expect expect,
                  const std::function<imaging::DicomImage()>& read,
                  const std::string& message = {}) {
  SCOPED_TRACE(name);
  try {
    const imaging::DicomImage image = read();
    EXPECT_NE(expect, Expect::Refused) << "read as " << image.width() << "x" << image.height();
    ASSERT_EQ(image.pixels().values.size(),
              static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()));
    imaging::MeasureRoi(image.pixels(), image.rescale(), {0, 0, image.width(), image.height()});
  } catch (const imaging::ImageError& error) {
    const std::string_view said = error.what();
    EXPECT_NE(expect, Expect::Read) << said;
    EXPECT_NE(said, "");
    if (!message.empty()) {
      EXPECT_EQ(said.substr(0, message.size()), message);
    }
    if (message.find(NoImage) == std::string::npos) {
      EXPECT_EQ(said.find(NoImage), said.npos) << said;
    }
  }
}

TEST(DamagedFileTable, RefusedWithAMessageNeverACrash) {
  for (const DamagedCase& c : DamagedCases()) {
    CheckOutcome(
        c.name, c.expect,
        [&] {
          std::istringstream stream(c.bytes);
          return imaging::ReadDicomImage(stream);
        },
        c.message);
  }
}

// A file rewritten while it is read (cut to half, written whole again) is read whole or refused,
// never measured over what was there for a moment.
TEST(DamagedFileTable, AFileChangingWhileReadIsReadWholeOrRefused) {
  const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "changing.dcm";
  const std::string file = Valid();
  std::ofstream(path, std::ios::binary) << file;
  const imaging::DicomImage whole = imaging::ReadDicomImage(path);
  const std::vector<std::uint16_t> expected(whole.pixels().values.begin(),
                                            whole.pixels().values.end());
  std::atomic<bool> reading{true};
  std::thread writer([&] {
    for (bool half = true; reading; half = !half) {
      std::ofstream(path, std::ios::binary) << (half ? file.substr(0, file.size() / 2) : file);
    }
  });
  int read = 0, refused = 0;
  for (int i = 0; i < 40; ++i) {
    try {
      const imaging::DicomImage image = imaging::ReadDicomImage(path);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.pixels().values.begin(),
                             image.pixels().values.end()));
      ++read;
    } catch (const imaging::ImageError&) {
      ++refused;
    }
  }
  reading = false;
  writer.join();
  std::filesystem::remove(path);
  EXPECT_GT(refused, 0) << read << " read whole";
}

TEST(DamagedFileTable, FilesThatAreNotThere) {
  const std::filesystem::path folder = testing::TempDir();
  const std::filesystem::path empty = folder / "empty.dcm";
  std::ofstream{empty};
  for (const std::filesystem::path& path : {empty, folder / "missing.dcm", folder}) {
    CheckOutcome(path.string(), Expect::Refused, [&] { return imaging::ReadDicomImage(path); });
  }
  std::filesystem::remove(empty);
}

}  // namespace
