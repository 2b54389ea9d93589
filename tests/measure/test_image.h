// Images built in memory for the measuring window's tests: no files needed.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "calc/extended_ops.h"
#include "imaging/dicom_image.h"

struct TestImage {
  TestImage(int width, int height, std::vector<std::uint16_t> values = {})
      : width(width), height(height), values(std::move(values)) {}

  int width;
  int height;
  std::vector<std::uint16_t> values;  // offset binary, row by row
  imaging::Photometric photometric = imaging::Photometric::Monochrome2;
  std::optional<imaging::DisplayWindow> window;
  std::int64_t slope = 1;
  std::int64_t intercept = 0;
  std::int32_t offset = 0;
  std::vector<imaging::HeaderFact> facts;

  imaging::DicomImage make() const {
    return {{width, height, {}, offset},
            values,
            photometric,
            16,
            {calc::fromInt64(slope), calc::fromInt64(intercept)},
            window,
            facts};
  }
};
