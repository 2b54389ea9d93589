#include "header_facts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace imaging {
namespace {

constexpr std::array<HeaderFactSource, 18> Sources{{
    {"manufacturer", "Hersteller", 0x0008, 0x0070},
    {"model", "Modell", 0x0008, 0x1090},
    {"station", "Stationsname", 0x0008, 0x1010},
    {"serial_number", "Seriennummer", 0x0018, 0x1000},
    {"acquisition_date", "Aufnahmedatum", 0x0008, 0x0022},
    {"acquisition_time", "Aufnahmezeit", 0x0008, 0x0032},
    {"kvp", "Röhrenspannung (kV)", 0x0018, 0x0060},
    {"anode", "Anodenmaterial", 0x0018, 0x1191},
    {"filter", "Filtermaterial", 0x0018, 0x7050},
    {"thickness_mm", "Objektdicke (mm)", 0x0018, 0x11A0},
    {"exposure_mas", "Strom-Zeit-Produkt (mAs)", 0x0018, 0x1152},
    {"pixel_spacing_mm", "Pixelabstand", 0x0028, 0x0030, 0x0018, 0x1164},
    {"exposure_mas_source", "mAs aus", 0x0018, 0x1152, 0, 0, false},
    {"sop_instance_uid", "SOP Instance UID", 0x0008, 0x0018, 0, 0, false},
    {"timezone_offset", "Zeitzone (UTC-Abstand)", 0x0008, 0x0201, 0, 0, false},
    {"exposure_control_mode", "Belichtungsautomatik", 0x0018, 0x7060, 0, 0, false},
    {"detector_id", "Detektor", 0x0018, 0x700A, 0, 0, false},
    {"software_versions", "Softwareversionen", 0x0018, 0x1020, 0, 0, false},
}};

std::string latin1ToUtf8(std::string_view text) {
  std::string utf8;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

// One line without padding: control characters (tabs and line ends break the command line's
// columns) become spaces, trailing spaces and NULs go.
std::string oneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool allDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// YYYYMMDD as YYYY-MM-DD and HHMMSS(.frac) as HH:MM:SS; anything else as written.
std::string readableDate(const std::string& text) {
  if (text.size() != 8 || !allDigits(text)) return text;
  return text.substr(0, 4) + '-' + text.substr(4, 2) + '-' + text.substr(6, 2);
}
std::string readableTime(const std::string& text) {
  if (text.size() < 6 || !allDigits(std::string_view(text).substr(0, 6))) return text;
  return text.substr(0, 2) + ':' + text.substr(2, 2) + ':' + text.substr(4, 2);
}

// "0.085\\0.085" (rows, columns) as "0.085 × 0.085 mm"; anything else as written.
std::string readableSpacing(const std::string& text) {
  const auto separator = text.find('\\');
  if (separator == std::string::npos || text.find('\\', separator + 1) != std::string::npos) {
    return text;
  }
  const std::string rows = oneLine(text.substr(0, separator));
  const std::string columns = oneLine(text.substr(separator + 1));
  if (rows.empty() || columns.empty()) return text;
  return rows + " × " + columns + " mm";
}

// An integer count of µAs as mAs, digit by digit, so nothing is rounded: "63250" is "63.25".
std::string microToMilli(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  std::string digits = text.substr(!text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0);
  if (digits.empty() || !allDigits(digits)) return text + " µAs";
  digits.insert(0, std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0'));
  std::string whole = digits.substr(0, digits.size() - 3);
  std::string fraction = digits.substr(digits.size() - 3);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  const std::string value = fraction.empty() ? whole : whole + '.' + fraction;
  return negative && value != "0" ? '-' + value : value;
}

// The mAs, and the attribute they come from: Exposure, else Exposure in mAs (a binary double),
// else Exposure in µAs.
struct Exposure {
  std::string mas;
  std::string source;
};

template <typename Text>
Exposure exposureOf(const ElementText& elementText, const Text& text) {
  if (std::string mas = text(0x0018, 0x1152); !mas.empty()) return {std::move(mas), "Exposure"};
  const std::string inMas = elementText(0x0018, 0x9332);
  double mas = 0;
  if (inMas.size() == sizeof mas) {
    std::memcpy(&mas, inMas.data(), sizeof mas);
    char digits[32];
    if (std::isfinite(mas)) {
      return {std::string(digits, std::to_chars(digits, digits + 32, mas).ptr), "Exposure in mAs"};
    }
  }
  const std::string inMicroAs = text(0x0018, 0x1153);
  if (inMicroAs.empty()) return {};
  return {microToMilli(inMicroAs), "Exposure in µAs"};
}

}  // namespace

std::span<const HeaderFactSource> HeaderFactSources() {
  return Sources;
}

std::vector<HeaderFact> HeaderFacts(const ElementText& elementText) {
  const bool isUtf8 = elementText(0x0008, 0x0005).find("ISO_IR 192") != std::string::npos;
  const auto text = [&](std::uint16_t group, std::uint16_t element) {
    const std::string raw = elementText(group, element);
    return oneLine(isUtf8 ? raw : latin1ToUtf8(raw));
  };
  const Exposure exposure = exposureOf(elementText, text);
  std::vector<HeaderFact> facts;
  for (const HeaderFactSource& source : Sources) {
    std::string value = text(source.group, source.element);
    if (value.empty() && source.fallbackGroup != 0) {
      value = text(source.fallbackGroup, source.fallbackElement);
    }
    if (source.key == "acquisition_date") value = readableDate(value);
    if (source.key == "acquisition_time") value = readableTime(value);
    if (source.key == "exposure_mas") value = exposure.mas;
    if (source.key == "exposure_mas_source") value = exposure.source;
    if (source.key == "pixel_spacing_mm") value = readableSpacing(value);
    facts.push_back({source.key, source.label, std::move(value), source.listed});
  }
  return facts;
}

}  // namespace imaging
