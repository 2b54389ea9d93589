#include "decode_answer.h"

#include <cstdint>
#include <cstring>

#include "utf8_text.h"

namespace imaging::detail {
namespace {

enum class AnswerKind : std::uint8_t { Image = 1, Refusal = 2, Preview = 3 };

// Header facts are short; a damaged file's are cut (between characters), so that an answer
// stays small.
constexpr std::size_t MaxTextBytes = 1024;

class AnswerWriter {
 public:
  template <typename T>
  void put(const T& value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void put(std::string_view text) {
    text = Utf8Prefix(text, MaxTextBytes);
    put(static_cast<std::uint32_t>(text.size()));
    bytes_.append(text);
  }
  std::string bytes() && { return std::move(bytes_); }

 private:
  std::string bytes_;
};

class AnswerReader {
 public:
  explicit AnswerReader(std::string_view bytes) : bytes_(bytes) {}
  template <typename T>
  T get() {
    T value;
    std::memcpy(&value, take(sizeof value).data(), sizeof value);
    return value;
  }
  bool flag() {
    const auto value = get<std::uint8_t>();
    if (value > 1) fail();
    return value != 0;
  }
  std::string text() { return std::string(take(get<std::uint32_t>())); }
  bool atEnd() const { return bytes_.empty(); }
  [[noreturn]] static void fail() {
    throw ImageError("Die Datei ließ sich nicht lesen: die Antwort des DICOM-Lesers ist ungültig.");
  }

 private:
  std::string_view take(std::size_t size) {
    if (size > bytes_.size()) fail();
    const std::string_view taken = bytes_.substr(0, size);
    bytes_.remove_prefix(size);
    return taken;
  }
  std::string_view bytes_;
};

std::string* contextTexts(ImageContext& context, std::size_t i) {
  std::string* const texts[] = {&context.modality, &context.presentationIntent,
                                &context.sopClassUid, &context.laterality,
                                &context.patientOrientation};
  return texts[i];
}
constexpr std::size_t ContextTextCount = 5;

}  // namespace

std::string EncodeAnswer(const DecodedHeader& header, bool preview) {
  AnswerWriter answer;
  answer.put(preview ? AnswerKind::Preview : AnswerKind::Image);
  answer.put(header.width);
  answer.put(header.height);
  answer.put(header.offset);
  answer.put(header.photometric);
  answer.put(header.bitsStored);
  answer.put(header.rescale);
  answer.put(static_cast<std::uint8_t>(header.window.has_value()));
  answer.put(header.window.value_or(DisplayWindow{}));
  answer.put(static_cast<std::uint32_t>(header.factValues.size()));
  for (const std::string& value : header.factValues) answer.put(std::string_view(value));
  ImageContext context = header.context;
  for (std::size_t i = 0; i < ContextTextCount; ++i)
    answer.put(std::string_view(*contextTexts(context, i)));
  answer.put(static_cast<std::uint8_t>(context.lossyCompressed));
  answer.put(context.pixelSpacingMm);
  answer.put(static_cast<std::uint8_t>(context.codeStreamInJp2));
  return std::move(answer).bytes();
}

std::string EncodeRefusal(const ImageError& refusal) {
  AnswerWriter answer;
  answer.put(AnswerKind::Refusal);
  answer.put(std::string_view(refusal.what()));
  answer.put(std::string_view(refusal.cause()));
  return std::move(answer).bytes();
}

bool IsPreviewAnswer(std::string_view answer) {
  return !answer.empty() && static_cast<AnswerKind>(answer.front()) == AnswerKind::Preview;
}

DecodedHeader DecodeAnswer(std::string_view bytes) {
  AnswerReader answer(bytes);
  const auto kind = answer.get<AnswerKind>();
  if (kind == AnswerKind::Refusal) {
    std::string message = answer.text();
    std::string cause = answer.text();
    if (message.empty()) AnswerReader::fail();
    throw ImageError(message, std::move(cause));
  }
  if (kind != AnswerKind::Image && kind != AnswerKind::Preview) AnswerReader::fail();
  DecodedHeader header;
  header.width = answer.get<int>();
  header.height = answer.get<int>();
  header.offset = answer.get<std::int32_t>();
  header.photometric = answer.get<Photometric>();
  header.bitsStored = answer.get<int>();
  header.rescale = answer.get<Rescale>();
  const bool hasWindow = answer.flag();
  const auto window = answer.get<DisplayWindow>();
  if (hasWindow) header.window = window;
  const auto factCount = answer.get<std::uint32_t>();
  if (factCount > 64) AnswerReader::fail();
  for (std::uint32_t i = 0; i < factCount; ++i) header.factValues.push_back(answer.text());
  for (std::size_t i = 0; i < ContextTextCount; ++i)
    *contextTexts(header.context, i) = answer.text();
  header.context.lossyCompressed = answer.flag();
  header.context.pixelSpacingMm = answer.get<double>();
  header.context.codeStreamInJp2 = answer.flag();
  const bool shapeOk = header.width >= 1 && header.height >= 1 && header.width <= MaxImageSide &&
                       header.height <= MaxImageSide &&
                       std::uint64_t(header.width) * std::uint64_t(header.height) <= MaxImagePixels;
  const bool valuesOk = header.bitsStored >= 1 && header.bitsStored <= 16 &&
                        (header.offset == 0 || header.offset == 1 << (header.bitsStored - 1)) &&
                        (header.photometric == Photometric::Monochrome1 ||
                         header.photometric == Photometric::Monochrome2) &&
                        header.context.pixelSpacingMm >= 0 && header.context.pixelSpacingMm < 10;
  if (!shapeOk || !valuesOk || !answer.atEnd()) AnswerReader::fail();
  return header;
}

}  // namespace imaging::detail
