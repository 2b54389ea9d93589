// The header facts of an exposure: which elements, their names, and how their texts are shown.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dicom_image.h"

namespace imaging {

struct HeaderFactSource {
  std::string_view key;
  std::string_view label;
  std::uint16_t group;
  std::uint16_t element;
  std::uint16_t fallbackGroup = 0;  // read where the element is missing, when not 0
  std::uint16_t fallbackElement = 0;
  bool listed = true;  // shown and printed; the others are kept for the QA record only
};

// The listed facts first, in the order they are shown and printed, then the record's own.
std::span<const HeaderFactSource> HeaderFactSources();

// The facts from an element's raw text (empty when absent): control characters become spaces,
// padding goes, ISO 8859-1 or UTF-8 (by Specific Character Set) turned into UTF-8, dates and times
// as YYYY-MM-DD and HH:MM:SS.
using ElementText = std::function<std::string(std::uint16_t group, std::uint16_t element)>;
std::vector<HeaderFact> HeaderFacts(const ElementText& elementText);

}  // namespace imaging
