#include "exposure_survey.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "robust_statistics.h"
#include "roi_placement.h"

namespace imaging {

namespace {

constexpr double HeelStripShare = 0.1;  // of the exposed field, at each end, for the heel
constexpr double StructureBeyondBlockNoise = 5;
constexpr double LargestStepInNoise = 0.25;
constexpr int BlockLag = 2;

// The stored values that may stand for no dose, the likelier first: the unexposed border's;
// where there is none, the ends of the value range that bitsStored spans, the end that the
// photometric interpretation makes likelier first (MONOCHROME1 raw data falls with dose).
std::vector<double> ZeroLevels(const ExposureSurvey& survey, Photometric photometric) {
  if (survey.field.borderLevel) return {*survey.field.borderLevel};
  const double bottom = 0;
  const double top = HighestStoredValue(survey.bitsStored);
  if (photometric == Photometric::Monochrome1) return {top, bottom};
  return {bottom, top};
}

// The fitted background's relative change across the exposed field (the grid) along each axis,
// from the mean of a strip at each end.
HeelSlope MeasureHeel(const ExposureSurvey& survey) {
  const BlockMeans& blocks = survey.blocks;
  if (survey.background.residuals.empty()) return {};
  const int columns = blocks.columns;
  const int rows = blocks.rows;
  if (columns < 3 || rows < 3) return {};
  const auto surface = [&](int column, int row) {
    const std::size_t i = blocks.index(column, row);
    return blocks.means[i] - survey.background.residuals[i];
  };
  const auto meanOver = [&](int columnFrom, int columnTo, int rowFrom, int rowTo) {
    double sum = 0;
    for (int row = rowFrom; row < rowTo; ++row)
      for (int column = columnFrom; column < columnTo; ++column) sum += surface(column, row);
    return sum / ((columnTo - columnFrom) * (rowTo - rowFrom));
  };
  const int stripColumns = std::max(1, static_cast<int>(columns * HeelStripShare));
  const int stripRows = std::max(1, static_cast<int>(rows * HeelStripShare));
  const double signal = meanOver(0, columns, 0, rows) - survey.zeroLevel;
  if (signal == 0) return {};
  return {
      (meanOver(columns - stripColumns, columns, 0, rows) - meanOver(0, stripColumns, 0, rows)) /
          signal,
      (meanOver(0, columns, rows - stripRows, rows) - meanOver(0, columns, 0, stripRows)) / signal};
}

// The noise of one block's mean within [left, right) × [top, bottom) of the grid: the spread of
// the differences between blocks two apart across and down, about their median, so that neither
// a slope nor an edge or a step through the blocks, which moves few of them, counts. Blocks two
// apart share no noise through a detector's blur, neighbours would.
double BlockNoise(const BlockMeans& blocks, int left, int top, int right, int bottom) {
  std::vector<double> differences;
  for (int row = top; row < bottom; ++row)
    for (int column = left; column + BlockLag < right; ++column)
      differences.push_back(blocks.means[blocks.index(column + BlockLag, row)] -
                            blocks.means[blocks.index(column, row)]);
  const std::size_t across = differences.size();
  for (int row = top; row + BlockLag < bottom; ++row)
    for (int column = left; column < right; ++column)
      differences.push_back(blocks.means[blocks.index(column, row + BlockLag)] -
                            blocks.means[blocks.index(column, row)]);
  if (differences.size() < 2) return 0;
  // Each direction about its own median: the slopes differ.
  const auto centre = [&](std::size_t from, std::size_t to) {
    if (from == to) return;
    const double median =
        Median(std::vector<double>(differences.begin() + from, differences.begin() + to));
    for (std::size_t i = from; i < to; ++i) differences[i] = std::abs(differences[i] - median);
  };
  centre(0, across);
  centre(across, differences.size());
  return MadToDeviation * Median(std::move(differences)) / std::sqrt(2.0);
}

}  // namespace

bool ExposureSurvey::overlapsObject(const Roi& roi) const {
  return std::any_of(objects.begin(), objects.end(),
                     [&](const FoundObject& object) { return roi.overlaps(object.reach); });
}

bool ExposureSurvey::showsStructure(const Roi& roi, double pixelNoise) const {
  const int size = blocks.blockSize;
  if (size == 0 || roi.count() == 0) return false;
  const auto [left, right] = blocks.columnsOver(roi.x - size, roi.right() + size, false);
  const auto [top, bottom] = blocks.rowsOver(roi.y - size, roi.bottom() + size, false);
  const int columns = right - left;
  const int rows = bottom - top;
  if (columns < 2 || rows < 2) return false;
  // The plane in coordinates centred on the grid, where its three terms do not interact.
  std::vector<double> columnSums(static_cast<std::size_t>(columns), 0);
  std::vector<double> rowSums(static_cast<std::size_t>(rows), 0);
  for (int row = top; row < bottom; ++row) {
    for (int column = left; column < right; ++column) {
      const double mean = blocks.means[blocks.index(column, row)];
      columnSums[static_cast<std::size_t>(column - left)] += mean;
      rowSums[static_cast<std::size_t>(row - top)] += mean;
    }
  }
  const double level = std::accumulate(columnSums.begin(), columnSums.end(), 0.0) /
                       (static_cast<double>(columns) * rows);
  const double slopeColumns = SlopeAlong(columnSums, rows);
  const double slopeRows = SlopeAlong(rowSums, columns);
  const double centreColumn = left + (columns - 1) / 2.0;
  const double centreRow = top + (rows - 1) / 2.0;
  const double noise = std::max(pixelNoise, 1.0);
  // A detector's blur makes a block's noise larger than that of independent pixels; measured
  // here, it is never taken below theirs.
  const double blockNoise = std::max(BlockNoise(blocks, left, top, right, bottom), noise / size);
  const double blockLimit = StructureBeyondBlockNoise * blockNoise;
  std::vector<double> columnOffsets(static_cast<std::size_t>(columns), 0);
  std::vector<double> rowOffsets(static_cast<std::size_t>(rows), 0);
  for (int row = top; row < bottom; ++row) {
    for (int column = left; column < right; ++column) {
      const double offset =
          blocks.means[blocks.index(column, row)] -
          (level + slopeColumns * (column - centreColumn) + slopeRows * (row - centreRow));
      if (std::abs(offset) > blockLimit) return true;
      columnOffsets[static_cast<std::size_t>(column - left)] += offset / rows;
      rowOffsets[static_cast<std::size_t>(row - top)] += offset / columns;
    }
  }
  const auto lineLimit = [&](int blocksAlong) {
    return std::max(LargestStepInNoise * noise,
                    StructureBeyondBlockNoise * blockNoise / std::sqrt(blocksAlong));
  };
  const auto strays = [](const std::vector<double>& offsets, double limit) {
    return std::any_of(offsets.begin(), offsets.end(),
                       [&](double offset) { return std::abs(offset) > limit; });
  };
  return strays(columnOffsets, lineLimit(rows)) || strays(rowOffsets, lineLimit(columns));
}

ExposureSurvey SurveyExposure(const PixelView& image, int bitsStored, Photometric photometric,
                              const ImageContext& context) {
  ExposureSurvey survey;
  survey.pixels = image;
  survey.bitsStored = bitsStored;
  survey.field = FindExposedField(image, bitsStored);
  // The search reads the exposed field alone: an unexposed strip is no background, and a small
  // field's background would be lost beside it.
  survey.blocks =
      ComputeBlockMeans(image, ChooseBlockSize(image.width, image.height), survey.field.field);
  if (auto background = FitBackground(survey.blocks)) {
    survey.background = std::move(*background);
    survey.objects = FindObjects(survey.blocks, survey.background, MarkBlocks(survey.background));
  }
  const std::vector<double> zeroLevels = ZeroLevels(survey, photometric);
  AluminiumChoice choice = ChooseAluminium(survey.objects, zeroLevels, context.pixelSpacingMm);
  survey.aluminium = std::move(choice.aluminium);
  survey.zeroLevel = choice.zeroLevel;
  survey.chestWall =
      FindChestWall(MeasureHeel(survey), survey.field.border, context, image.width, image.height);
  // What the size check compares with, made once here rather than at each step of a ROI drag.
  if (survey.aluminium) survey.placedRoiSide = PlaceRois(survey).aluminium.width;
  return survey;
}

ExposureSurvey SurveyExposure(const DicomImage& image) {
  return SurveyExposure(image.pixels(), image.bitsStored(), image.photometric(), image.context());
}

}  // namespace imaging
