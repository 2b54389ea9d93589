#include "roi_statistics.h"

#include <cstdlib>
#include <string>

#include "calc/extended_ops.h"
#include "calc/fpu.h"
#include "calc/number_text.h"
#include "calc/sdnr.h"
#include "calc/wide_int.h"

namespace imaging {

RoiSums SumRoi(const PixelView& image, const Roi& roi) {
  if (!roi.fitsIn(image.width, image.height)) {
    throw ImageError("Die ROI " + std::to_string(roi.x) + ',' + std::to_string(roi.y) + ',' +
                     std::to_string(roi.width) + ',' + std::to_string(roi.height) +
                     " liegt nicht ganz im Bild (" + std::to_string(image.width) + " × " +
                     std::to_string(image.height) + ").");
  }
  RoiSums sums;
  sums.count = static_cast<std::uint64_t>(roi.count());
  for (int y = roi.y; y < roi.bottom(); ++y) {
    // A row has at most 2^15 values below 2^16: its sum fits 32 bits, which vectorises well.
    std::uint32_t rowSum = 0;
    std::uint64_t rowSquares = 0;
    for (const std::uint16_t value : image.row(y).subspan(static_cast<std::size_t>(roi.x),
                                                          static_cast<std::size_t>(roi.width))) {
      rowSum += value;
      rowSquares += std::uint32_t{value} * value;
    }
    sums.sum += rowSum;
    sums.sumOfSquares += rowSquares;
  }
  return sums;
}

RoiMeasurement MeasureRoi(const PixelView& image, const Rescale& rescale, const Roi& roi) {
  const RoiSums sums = SumRoi(image, roi);
  const std::uint64_t n = sums.count;
  // Every condition masked: a ROI of one pixel or an absurd rescale gives NAN or INF, not an
  // error in the middle of a drag.
  calc::Fpu fpu(calc::ParseFpuControlWord);

  // The stored values are the offset-binary ones minus the offset; the variance does not
  // depend on the offset.
  const std::int64_t storedSum =
      static_cast<std::int64_t>(sums.sum) - static_cast<std::int64_t>(n) * image.offset;
  const std::uint64_t storedMagnitude =
      static_cast<std::uint64_t>(storedSum < 0 ? -storedSum : storedSum);
  const calc::Extended mean = calc::integerRatio(fpu, storedSum < 0, 0, storedMagnitude, n);

  // n * sum(u^2) - (sum u)^2 = n^2 times the mean squared deviation, at most 2^92.
  const calc::detail::U128 deviations = calc::detail::sub128(
      calc::detail::mul64To128(n, sums.sumOfSquares), calc::detail::mul64To128(sums.sum, sums.sum));
  const calc::Extended variance =
      calc::integerRatio(fpu, false, deviations.hi, deviations.lo, n * (n - 1));
  const calc::Extended deviation = calc::squareRoot(fpu, variance);

  const calc::Extended modalityMean =
      calc::add(fpu, calc::multiply(fpu, mean, rescale.slope), rescale.intercept);
  const calc::Extended modalityDeviation =
      calc::multiply(fpu, deviation, calc::absolute(rescale.slope));
  return {roi, n, calc::FormatNumberGeneral(fpu, modalityMean),
          calc::FormatNumberGeneral(fpu, modalityDeviation)};
}

Measurement Measure(const DicomImage& image, const Roi& aluminium, const Roi& background) {
  Measurement measurement{MeasureRoi(image.pixels(), image.rescale(), aluminium),
                          MeasureRoi(image.pixels(), image.rescale(), background),
                          {}};
  calc::Fpu fpu(calc::DefaultFpuControlWord);
  measurement.sdnr =
      calc::SdnrResultText(fpu, measurement.aluminium.mean, measurement.aluminium.standardDeviation,
                           measurement.background.mean, measurement.background.standardDeviation);
  return measurement;
}

}  // namespace imaging
