// What the decoding helper answers the reader: the header of a decoded image, or the refusal
// with its message. A plain length-prefixed form, taken apart with every length and value checked,
// as it comes from a process that read a hostile file.
#pragma once

#include <string>
#include <string_view>

#include "decoded_header.h"

namespace imaging::detail {

std::string EncodeAnswer(const DecodedHeader& header);
std::string EncodeRefusal(const ImageError& refusal);

// The header of an image answer; raises the ImageError of a refusal, or one saying the answer
// does not hold together.
DecodedHeader DecodeAnswer(std::string_view answer);

}  // namespace imaging::detail
