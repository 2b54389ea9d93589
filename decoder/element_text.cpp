#include "element_text.h"

#include <algorithm>

namespace decoder {

std::string ElementText(const gdcm::DataSet& dataSet, std::uint16_t group, std::uint16_t element) {
  const gdcm::Tag tag(group, element);
  if (!dataSet.FindDataElement(tag)) return {};
  const gdcm::ByteValue* bytes = dataSet.GetDataElement(tag).GetByteValue();
  if (bytes == nullptr) return {};
  return std::string(bytes->GetPointer(), bytes->GetLength());
}

std::string_view WithoutPadding(std::string_view text) {
  const auto first = text.find_first_not_of(" \0", 0, 2);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \0", std::string_view::npos, 2) - first + 1);
}

std::string TrimmedText(const gdcm::DataSet& dataSet, std::uint16_t group, std::uint16_t element) {
  return std::string(WithoutPadding(ElementText(dataSet, group, element)));
}

std::string_view FirstValue(std::string_view text) {
  return WithoutPadding(text.substr(0, text.find('\\')));
}

std::string QuotedValue(std::string_view value) {
  const bool plain = value.size() <= 32 && std::all_of(value.begin(), value.end(), [](char c) {
                       return c >= 0x20 && c <= 0x7E;
                     });
  return plain ? " („" + std::string(value) + "“)" : "";
}

}  // namespace decoder
