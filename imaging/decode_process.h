// Decoding in the helper program quantelo-decode: started without forking the program, watched
// with a time limit and the user's cancellation, its answer and every way it can fail turned
// into an image or an ImageError.
#pragma once

#include <chrono>
#include <filesystem>

#include "dicom_image.h"
#include "read_cancellation.h"

namespace imaging::detail {

// The helper's file name, found by the module locator.
inline constexpr const char* DecodingHelperName = "quantelo-decode";

struct HelperRun {
  std::filesystem::path program;
  std::chrono::milliseconds timeLimit = DecodeTimeLimit;
  const ReadCancellation* cancellation = nullptr;
  PreviewHandler onPreview = {};
};

// Decodes the file open as the descriptor file (read-only) in the helper program.
DicomImage DecodeInHelper(int file, const HelperRun& run);

}  // namespace imaging::detail
