// A walk over a file's data elements as they are encoded, before the DICOM library reads it:
// the library takes declared lengths at their word (allocating them, reading past what holds
// them) and ends the process on structures it does not expect, so a file whose structure does
// not hold together is refused here first.
#pragma once

#include <string_view>

namespace decoder {

// Walks the file meta information and the data set (inflated, where it is deflated): every
// element, item and fragment within what holds it, sequences and items closed, explicit value
// representations known. Raises ImageError ("not a DICOM file" for a file without the DICM mark
// whose start does not read as data elements, else "damaged or incomplete").
void ScanElements(std::string_view file);

}  // namespace decoder
