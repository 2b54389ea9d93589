// What the decoding helper answers the reader: the header of a decoded image, or the refusal
// with its message. A plain length-prefixed form, taken apart with every length and value checked,
// as it comes from a process that read a hostile file.
#pragma once

#include <string>
#include <string_view>

#include "decoded_header.h"

namespace imaging::detail {

// The image's header, or a reduced first picture's, sent before the image.
std::string EncodeAnswer(const DecodedHeader& header, bool preview = false);
std::string EncodeRefusal(const ImageError& refusal);

// Whether the answer is a first picture's, with the image still to come.
bool IsPreviewAnswer(std::string_view answer);

// The header of an image answer or a first picture's; raises the ImageError of a refusal, or one
// saying the answer does not hold together.
DecodedHeader DecodeAnswer(std::string_view answer);

}  // namespace imaging::detail
