// A realistic exposure written as a DICOM file, as a mammography system writes its raw image.
#pragma once

#include <vector>

#include "dicom_test_writer.h"
#include "realistic_exposure.h"

namespace exposure_test {

// The exposure as a DICOM file's contents: MG, FOR PROCESSING, the digital mammography
// for-processing SOP class, Imager Pixel Spacing, and Patient Orientation and Image Laterality
// that put the chest wall where the plan has it (left edge: "A\R", L; right: "P\L", R; top:
// "R\A", R; bottom: "L\P", L), acquisition facts and a display window; extra elements last, so
// they override.
dicom_test::TestImage AsDicom(const Exposure&, std::vector<dicom_test::Element> extra = {});

}  // namespace exposure_test
