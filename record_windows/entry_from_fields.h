// What the main window's fields hold, as the record keeps it.
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "record/session_saving.h"

namespace record_windows {

// The measurement taken over from an image when the four fields (mAl, sAl, mBG, sBG) hold exactly
// its four texts; else values typed by hand: the four texts and the result as the SDNR, without
// ROIs, file or facts (the save window asks for those).
record::MeasuredImage EntryFromFields(const std::optional<record::MeasuredImage>& taken,
                                      const std::array<QString, 4>& fields, const QString& sdnr);

}  // namespace record_windows
