// Element values of a data set as texts.
#pragma once

#include <gdcmDataSet.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace decoder {

// The element's raw value; empty when it is absent or has no value.
std::string ElementText(const gdcm::DataSet& dataSet, std::uint16_t group, std::uint16_t element);

// Without leading and trailing spaces and NULs.
std::string_view WithoutPadding(std::string_view text);

std::string TrimmedText(const gdcm::DataSet& dataSet, std::uint16_t group, std::uint16_t element);

// The first value of a multi-valued text, without padding.
std::string_view FirstValue(std::string_view text);

// " („value“)" for a message where the value is plain text of at most 32 characters, else
// nothing: a hostile file chooses what it holds.
std::string QuotedValue(std::string_view value);

}  // namespace decoder
