// A greyscale DICOM image as Quantelo measures it: stored values, rescale, display window and
// the header facts of the exposure. Nothing of the DICOM library shows outside this unit.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calc/extended.h"
#include "pixel_view.h"

namespace imaging {

// Images larger than this per side are refused.
inline constexpr int MaxImageSide = 32768;
// And images of more pixels than this: 512 MiB of 16-bit values, about 16 times the largest
// mammography detector, so that a lying header cannot make the reader take the machine's memory.
inline constexpr std::uint64_t MaxImagePixels = std::uint64_t{1} << 28;

enum class Photometric : std::uint8_t {
  Monochrome1,  // the smallest value is shown white
  Monochrome2,  // the smallest value is shown black
};

// One fact of the header, in the order they are shown and printed.
struct HeaderFact {
  std::string_view key;    // the command line's column name, e.g. "manufacturer"
  std::string_view label;  // the window's German label, e.g. "Hersteller"
  std::string value;       // UTF-8, on one line; empty when the file does not say
  bool listed = true;      // shown and printed; the others are kept for the QA record only
};

// The Modality LUT: modality value = stored value * slope + intercept, in extended.
struct Rescale {
  calc::Extended slope;
  calc::Extended intercept;
};

// Window centre and width in modality values, as the file suggests for display.
struct DisplayWindow {
  double center = 0;
  double width = 0;
};

// What the file says about how the image was made, as far as the checks of a measurement ask.
// Texts as in the file without padding; empty when the file does not say.
struct ImageContext {
  std::string modality;            // (0008,0060), e.g. "MG", "CT"
  std::string presentationIntent;  // (0008,0068): "FOR PROCESSING", "FOR PRESENTATION"
  bool lossyCompressed = false;    // (0028,2110) Lossy Image Compression is "01", or the
                                   // transfer syntax is a lossy one (JPEG baseline/extended
                                   // 1.2.840.10008.1.2.4.50/.51, JPEG-LS near-lossless .81,
                                   // JPEG 2000 .91 and .93 when (0028,2110) is not "00", ...),
                                   // or a Lossy Image Compression Ratio (0028,2112) above 1 or
                                   // a Method (0028,2114) is given: a copy whose flag was reset
                                   // still carries them
  std::string laterality;          // (0020,0062) Image Laterality, else (0020,0060)
                                   // Laterality: "L", "R", "B"...
  std::string patientOrientation;  // (0020,0020) as written, e.g. "A\\R"
  // Defaulted, so that a context given by its first five members only is complete.
  std::string sopClassUid = {};  // (0008,0016), e.g. "1.2.840.10008.5.1.4.1.1.1.2.1"
  double pixelSpacingMm = 0;     // (0018,1164) Imager Pixel Spacing, else (0028,0030) Pixel
                                 // Spacing, the first value of the first that is a number
                                 // above 0 and below 10; 0 when neither is
  bool codeStreamInJp2 = false;  // the JPEG 2000 code stream came wrapped in a JP2 file's
                                 // boxes, which the standard does not allow
};

// A file that cannot be measured; what() is a German message for the user, in UTF-8.
class ImageError : public std::runtime_error {
 public:
  explicit ImageError(const std::string& message, std::string cause = {})
      : std::runtime_error(message), cause_(std::move(cause)) {}
  // What went wrong in technical terms, for a log or a report (a signal, the decoding helper's
  // error output); empty where the message says it all.
  const std::string& cause() const { return cause_; }

 private:
  std::string cause_;
};

// Opening a file stopped by the user (ReadCancellation::cancel).
class ReadCancelled : public ImageError {
 public:
  ReadCancelled() : ImageError("Das Öffnen wurde abgebrochen.") {}
};

// The memory that holds an image's values, and who owns it.
struct PixelStorage {
  PixelStorage(std::vector<std::uint16_t> values);  // NOLINT: a vector is storage as it is
  PixelStorage(std::shared_ptr<const void> owner, std::span<const std::uint16_t> values)
      : owner(std::move(owner)), values(values) {}

  std::shared_ptr<const void> owner;
  std::span<const std::uint16_t> values;
};

class DicomImage {
 public:
  DicomImage(PixelView shape, PixelStorage values, Photometric photometric, int bitsStored,
             Rescale rescale, std::optional<DisplayWindow> window, std::vector<HeaderFact> facts,
             ImageContext context = {});

  int width() const { return width_; }
  int height() const { return height_; }
  PixelView pixels() const { return {width_, height_, values_.values, offset_}; }
  Photometric photometric() const { return photometric_; }
  int bitsStored() const { return bitsStored_; }
  const Rescale& rescale() const { return rescale_; }
  const std::optional<DisplayWindow>& window() const { return window_; }
  const std::vector<HeaderFact>& facts() const { return facts_; }
  const ImageContext& context() const { return context_; }

  // The modality value of an offset-binary stored value, for display only (double, not exact).
  double displayValue(std::uint16_t value) const;

 private:
  int width_;
  int height_;
  std::int32_t offset_;
  PixelStorage values_;
  Photometric photometric_;
  int bitsStored_;
  Rescale rescale_;
  double slope_;  // the rescale as doubles, for display
  double intercept_;
  std::optional<DisplayWindow> window_;
  std::vector<HeaderFact> facts_;
  ImageContext context_;
};

// The longest the decoding of a file may take; a decoder that takes longer is stopped.
inline constexpr std::chrono::seconds DecodeTimeLimit{60};

class ReadCancellation;

// What a reduced first picture of the exposure is handed to while the image is still being
// decoded (JPEG 2000); called on the reading thread.
using PreviewHandler = std::function<void(DicomImage preview)>;

// Reads a single-frame greyscale image (MONOCHROME1 or MONOCHROME2, 1 to 16 bits stored in 8 or
// 16 bits allocated, signed or unsigned) in any transfer syntax the DICOM library decodes. Bits
// above Bits Stored are ignored. The file is opened for reading only and read once. Raises
// ImageError with a German message for anything else: not a DICOM file (the "DICM" mark after a
// 128-byte preamble is required), a DICOM file of a kind
// without any image (a structure set, a plan, a report), damaged or truncated data, no pixel
// data, colour, several frames, another pixel layout (such as 1 or 32 bits allocated), an
// encoding that cannot be decoded, more than MaxImageSide pixels on a side or MaxImagePixels in
// all, a file that changes while it is read, a decoding that takes longer than DecodeTimeLimit;
// ReadCancelled when cancellation is cancelled meanwhile. The library runs in a helper process
// where the system has them, so that a file that makes it fail cannot end the program.
DicomImage ReadDicomImage(const std::filesystem::path& file,
                          const ReadCancellation* cancellation = nullptr,
                          const PreviewHandler& onPreview = {});
DicomImage ReadDicomImage(std::istream& stream);

}  // namespace imaging
