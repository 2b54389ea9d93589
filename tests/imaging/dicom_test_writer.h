// Writes DICOM test files with a known pixel array through the DICOM library, in every transfer
// syntax the reader claims, so that tests never depend on sample files from elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dicom_test {

enum class TransferSyntax : std::uint8_t {
  ImplicitLittleEndian,
  ExplicitLittleEndian,
  ExplicitBigEndian,
  Deflated,
  JpegLossless,  // process 14, selection value 1
  JpegLsLossless,
  Jpeg2000Lossless,
  Rle,
  Jpeg2000,  // 1.2.840.10008.1.2.4.91, which allows lossy coding (the library codes reversibly)
};

// The syntaxes that allow lossless coding only.
inline constexpr std::array AllTransferSyntaxes = {
    TransferSyntax::ImplicitLittleEndian, TransferSyntax::ExplicitLittleEndian,
    TransferSyntax::ExplicitBigEndian,    TransferSyntax::Deflated,
    TransferSyntax::JpegLossless,         TransferSyntax::JpegLsLossless,
    TransferSyntax::Jpeg2000Lossless,     TransferSyntax::Rle,
};

// A short name without spaces ("explicit", "jpeg2000", ...), for test names and command lines.
std::string_view SyntaxName(TransferSyntax syntax);
std::optional<TransferSyntax> SyntaxFromName(std::string_view name);

struct Tag {
  std::uint16_t group = 0;
  std::uint16_t element = 0;
};

namespace tags {
inline constexpr Tag Manufacturer{0x0008, 0x0070};
inline constexpr Tag ModelName{0x0008, 0x1090};
inline constexpr Tag StationName{0x0008, 0x1010};
inline constexpr Tag DeviceSerialNumber{0x0018, 0x1000};
inline constexpr Tag AcquisitionDate{0x0008, 0x0022};
inline constexpr Tag AcquisitionTime{0x0008, 0x0032};
inline constexpr Tag Kvp{0x0018, 0x0060};
inline constexpr Tag AnodeTargetMaterial{0x0018, 0x1191};
inline constexpr Tag FilterMaterial{0x0018, 0x7050};
inline constexpr Tag BodyPartThickness{0x0018, 0x11A0};
inline constexpr Tag Exposure{0x0018, 0x1152};
inline constexpr Tag ExposureInMicroAs{0x0018, 0x1153};
inline constexpr Tag ExposureInMas{0x0018, 0x9332};
inline constexpr Tag DetectorId{0x0018, 0x700A};
inline constexpr Tag SoftwareVersions{0x0018, 0x1020};
inline constexpr Tag ExposureControlMode{0x0018, 0x7060};
inline constexpr Tag TimezoneOffsetFromUtc{0x0008, 0x0201};
inline constexpr Tag PixelSpacing{0x0028, 0x0030};
inline constexpr Tag ImagerPixelSpacing{0x0018, 0x1164};
inline constexpr Tag SpecificCharacterSet{0x0008, 0x0005};
inline constexpr Tag SopClassUid{0x0008, 0x0016};
inline constexpr Tag SopInstanceUid{0x0008, 0x0018};
inline constexpr Tag Modality{0x0008, 0x0060};
inline constexpr Tag PresentationIntentType{0x0008, 0x0068};
inline constexpr Tag PatientOrientation{0x0020, 0x0020};
inline constexpr Tag Laterality{0x0020, 0x0060};
inline constexpr Tag ImageLaterality{0x0020, 0x0062};
inline constexpr Tag LossyImageCompression{0x0028, 0x2110};
inline constexpr Tag LossyImageCompressionRatio{0x0028, 0x2112};
inline constexpr Tag LossyImageCompressionMethod{0x0028, 0x2114};
inline constexpr Tag RescaleIntercept{0x0028, 0x1052};
inline constexpr Tag RescaleSlope{0x0028, 0x1053};
inline constexpr Tag WindowCenter{0x0028, 0x1050};
inline constexpr Tag WindowWidth{0x0028, 0x1051};
inline constexpr Tag SamplesPerPixel{0x0028, 0x0002};
inline constexpr Tag PhotometricInterpretation{0x0028, 0x0004};
inline constexpr Tag NumberOfFrames{0x0028, 0x0008};
inline constexpr Tag Rows{0x0028, 0x0010};
inline constexpr Tag Columns{0x0028, 0x0011};
inline constexpr Tag BitsAllocated{0x0028, 0x0100};
inline constexpr Tag BitsStored{0x0028, 0x0101};
inline constexpr Tag PixelRepresentation{0x0028, 0x0103};
inline constexpr Tag PixelData{0x7FE0, 0x0010};
}  // namespace tags

// An element set last, over whatever the library wrote: a text value for string elements, a
// decimal number for binary ones (US); no value removes the element. This is how header facts,
// rescale and display window are given, and how a test damages an otherwise valid file.
struct Element {
  Tag tag;
  std::optional<std::string> value;
};

struct TestImage {
  int width = 0;
  int height = 0;
  int frames = 1;
  int samplesPerPixel = 1;
  int bitsAllocated = 16;  // 8 or 16; 1 or 32 only in the uncompressed little-endian syntaxes
  int bitsStored = 12;
  bool isSigned = false;
  std::string photometric = "MONOCHROME2";  // or "MONOCHROME1", "RGB", ...
  // Stored values, frame after frame, row-major, samples interleaved; each must fit bitsStored.
  std::vector<std::int32_t> stored;
  // Fills the bits above bitsStored with random bits instead of the sign extension, as overlay
  // planes do (the JPEG and JPEG-LS encoders may drop them).
  bool overlayGarbage = false;
  TransferSyntax syntax = TransferSyntax::ExplicitLittleEndian;
  std::vector<Element> elements;
};

// The whole file (preamble included). Throws std::runtime_error when the library refuses, and
// for what would make it abort: 8 bits allocated with an odd pixel count, or with fewer than 8
// bits stored in JPEG-LS, or in JPEG with overlay garbage; deflated with over 8 MiB of pixels;
// JPEG 2000 with under 256 bytes of them.
std::string WriteDicom(const TestImage& image);
void WriteDicomFile(const TestImage& image, const std::filesystem::path& file);

// A width × height exposure of 12 bits: a background of 1000 and an object of 1400 (left column,
// top row, width, height), each pixel with uniform noise of ±20 from the seed.
TestImage NoisyObjectImage(int width, int height, int objectX, int objectY, int objectWidth,
                           int objectHeight, unsigned seed);

// A file of just these elements in explicit little endian, such as a structure set or a report
// without any image; SOP Class and Instance UID must be among them for the file's header.
std::string WriteDicomDataSet(const std::vector<Element>& elements);

// The bytes deflated as a deflated data set is: raw deflate, without zlib's header.
std::string Deflated(std::string_view bytes);

}  // namespace dicom_test
