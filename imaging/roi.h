// A region of interest: a rectangle of whole pixels.
#pragma once

namespace imaging {

// The smallest ROI side either front end accepts: a standard deviation needs values to spread.
inline constexpr int SmallestRoiSide = 2;

// Left column x and top row y (0-based), width and height in pixels.
struct Roi {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  friend constexpr bool operator==(const Roi&, const Roi&) = default;

  constexpr long long count() const { return static_cast<long long>(width) * height; }
  constexpr int right() const { return x + width; }    // one past the last column
  constexpr int bottom() const { return y + height; }  // one past the last row

  // Whether the ROI is not empty and lies entirely inside an image of this size.
  constexpr bool fitsIn(int imageWidth, int imageHeight) const {
    return width > 0 && height > 0 && x >= 0 && y >= 0 && x <= imageWidth - width &&
           y <= imageHeight - height;
  }
  constexpr bool contains(const Roi& inner) const {
    return inner.x >= x && inner.y >= y && inner.right() <= right() && inner.bottom() <= bottom();
  }
  constexpr bool overlaps(const Roi& other) const {
    return x < other.right() && other.x < right() && y < other.bottom() && other.y < bottom();
  }
};

}  // namespace imaging
