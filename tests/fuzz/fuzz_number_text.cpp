// Feeds arbitrary bytes to the number text operations and checks what must always hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/errors.h"
#include "calc/format_settings.h"
#include "calc/number_text.h"
#include "calc/sdnr.h"

namespace {

using namespace calc;

void require(bool condition) {
  if (!condition) std::abort();
}

// A formatted text is short, never ends in the separator and reads back as a number.
void checkFormatted(Fpu& fpu, Extended value) {
  const std::string text = FormatNumberGeneral(fpu, value);
  require(!text.empty() && text.size() <= 23);
  require(text.back() != decimalSeparator());
  if (text == "INF" || text == "-INF" || text == "NAN") return;
  require(ParseNumberText(fpu, text).ok);
}

void checkText(Fpu& fpu, std::string_view text) {
  const ParsedNumber parsed = ParseNumberText(fpu, text);
  require(fpu.controlWord() == DefaultFpuControlWord && fpu.statusFlags() == 0);
  if (parsed.ok) checkFormatted(fpu, parsed.value);

  try {
    const Extended strict = ParseNumberStrict(fpu, text);
    require(parsed.ok && strict == parsed.value);
  } catch (const EConvertError& e) {
    require(!parsed.ok &&
            e.message() == "'" + std::string(text) + "' is not a valid floating point value");
  }

  float single = 0;
  try {
    require(CheckNumberSingle(fpu, text, single) == parsed.ok);
  } catch (const EOverflow&) {
    require(parsed.ok);
    fpu.reset();
  }
}

void checkRawPattern(Fpu& fpu, const std::uint8_t* data) {
  Extended value;
  std::memcpy(&value.sig, data, 8);
  std::memcpy(&value.signExp, data + 8, 2);
  checkFormatted(fpu, value);
  try {
    RoundHalfEven(fpu, value);
  } catch (const EInvalidOp&) {
    fpu.reset();
  }
}

void checkSdnr(Fpu& fpu, std::string_view input) {
  std::string_view fields[4];
  for (std::string_view& field : fields) {
    const std::size_t tab = input.find('\t');
    field = input.substr(0, tab);
    input = tab == std::string_view::npos ? std::string_view{} : input.substr(tab + 1);
  }
  const std::string result = SdnrResultText(fpu, fields[0], fields[1], fields[2], fields[3]);
  require(result == "NaN" || ParseNumberText(fpu, result).ok);
  require(fpu.controlWord() == DefaultFpuControlWord);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fpu fpu;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkText(fpu, text);
  if (size >= 10) checkRawPattern(fpu, data);
  checkSdnr(fpu, text);
  return 0;
}
