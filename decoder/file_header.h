// Files that hold a data set without the file header the standard asks for (the 128-byte
// preamble, "DICM" and the file meta information), as older exports write them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace decoder {

// The file with the header it lacks, where it is plainly DICOM without one: its first element
// is of group 0008 (little endian, as the common toolkits test), and the transfer syntax is the
// one that element shows, explicit VR little endian where a value representation follows its
// tag, else implicit. Nothing for a file that has the header, or that is not plainly DICOM.
// Example: bytes 08 00 16 00 55 49 … (a SOP Class UID, explicit "UI") come back after 128 zero
// bytes, "DICM" and a meta group naming 1.2.840.10008.1.2.1.
std::optional<std::string> WithFileHeader(std::string_view file);

}  // namespace decoder
