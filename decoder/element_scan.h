// A walk over a file's data elements as they are encoded, before the DICOM library reads it:
// the library takes declared lengths at their word (allocating them, reading past what holds
// them) and ends the process on structures it does not expect, so a file whose structure does
// not hold together is refused here first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace decoder {

// An element of the image pixel description (group 0028) as the file encodes it.
struct PixelDescriptionElement {
  std::uint16_t element = 0;
  std::string vr;     // as written; empty in implicit encoding
  std::string value;  // the value's bytes, little endian
};

// What the walk saw that later checks need.
struct ScannedFile {
  std::string transferSyntax;  // without padding; empty without file meta information
  std::vector<PixelDescriptionElement> pixelDescription;  // the data set's group 0028
  // The pixel data as the codec will get it: the fragments after the offset table when it is
  // encapsulated, else its whole value; views into the file (none for a deflated data set).
  std::vector<std::string_view> pixelData;
};

// Walks the file meta information and the data set (inflated, where it is deflated): every
// element, item and fragment within what holds it, sequences and items closed, explicit value
// representations known. Raises ImageError: "not a DICOM file" for a file without the DICM mark
// after its preamble, else "damaged or incomplete".
ScannedFile ScanElements(std::string_view file);

}  // namespace decoder
