// Opening a DICOM image without holding up the window's thread: the file is read on a thread of
// its own while the windows stay usable; after a moment, or at once with a first picture of the
// exposure where the file gives one early (JPEG 2000), a small window says so and offers
// "Abbrechen", which stops the reading at once.
#pragma once

#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "imaging/dicom_image.h"
#include "imaging/exposure_survey.h"
#include "imaging/read_cancellation.h"

class QWidget;

namespace measure {

// How long opening may take before the busy window shows.
inline constexpr std::chrono::milliseconds BusyIndicatorDelay{300};

// What reads the file: imaging::ReadDicomImage, unless a test stands in for it.
using ImageReader = std::function<imaging::DicomImage(
    const std::filesystem::path& file, const imaging::ReadCancellation* cancellation,
    const imaging::PreviewHandler& onPreview)>;

// An image read and surveyed: what the measuring window opens with.
struct OpenedImage {
  imaging::DicomImage image;
  imaging::ExposureSurvey survey;
};

// The image in the file at path with its survey (made on the reading thread too), or nullopt
// when the user cancelled or the program is ending meanwhile; raises ImageError for a file that
// cannot be measured. Returns only when the reading has ended, handling the program's events
// meanwhile; parent owns the busy window.
std::optional<OpenedImage> OpenImage(
    const QString& path, QWidget* parent,
    const ImageReader& read = [](const std::filesystem::path& file,
                                 const imaging::ReadCancellation* cancellation,
                                 const imaging::PreviewHandler& onPreview) {
      return imaging::ReadDicomImage(file, cancellation, onPreview);
    });

}  // namespace measure
