// Decoding a DICOM file with the DICOM library: the only code that knows it. Its own checks may
// end the process on a damaged file, so the program runs this in the decoding helper
// (quantelo-decode); the sanitizer and fuzz builds link it in, so that they see it.
#pragma once

#include <string_view>

#include "imaging/decoded_header.h"

namespace decoder {

// The largest file read: twice the pixel budget, room for the largest image with whatever else
// a file carries.
inline constexpr std::uint64_t MaxFileBytes = imaging::MaxImagePixels * 4;

// Checks the bytes of a file and decodes its pixels as offset-binary values into the memory
// pixelsFor gives; a JPEG 2000 image shows a reduced first picture to preview before. Raises
// ImageError with the user's message.
imaging::detail::DecodedHeader DecodeDicom(std::string_view file,
                                           const imaging::detail::PixelMemory& pixelsFor,
                                           const imaging::detail::PreviewSink& preview = {});

// How a file's bytes are held while decoding: read once into memory of our own, or mapped,
// which copies nothing but ends the process (SIGBUS) when the file is cut meanwhile, so only
// the decoding helper maps, whose reader tells that as a change.
enum class FileAccess { Read, Mapped };

// Decodes the open file descriptor's file with DecodeDicom, refusing it when it changes
// meanwhile.
imaging::detail::DecodedHeader DecodeFile(int file, FileAccess access,
                                          const imaging::detail::PixelMemory& pixelsFor,
                                          const imaging::detail::PreviewSink& preview = {});

}  // namespace decoder
