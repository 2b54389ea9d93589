// The gradient painting routine, taken at run time from an optional module with a plain white
// fill in its place where the module or its routine is missing.
#pragma once

#include <cstdint>

class QPainter;
class QString;

namespace toolkit {

// A corner of a gradient: position and 16-bit colour channels (0xFF00 is full intensity).
struct TRIVERTEX {
  std::int32_t x;
  std::int32_t y;
  std::uint16_t Red;
  std::uint16_t Green;
  std::uint16_t Blue;
  std::uint16_t Alpha;
};

// A rectangle given by the indices of its upper-left and lower-right vertices.
struct GRADIENT_RECT {
  std::uint32_t UpperLeft;
  std::uint32_t LowerRight;
};

inline constexpr std::uint32_t GRADIENT_FILL_RECT_H = 0;
inline constexpr std::uint32_t GRADIENT_FILL_RECT_V = 1;

// The painter stands for the device context.
using TGradientFillProc = bool (*)(QPainter* dc, const TRIVERTEX* vertices,
                                   std::uint32_t vertexCount, const void* mesh,
                                   std::uint32_t meshCount, std::uint32_t mode);

// Fills the rectangle from the first vertex to the second with white, ignoring colours, mesh and
// mode; true when there was something to paint on.
bool GradientFillFallback(QPainter* dc, const TRIVERTEX* vertices, std::uint32_t vertexCount,
                          const void* mesh, std::uint32_t meshCount, std::uint32_t mode);

// The routine in use: the module's, or the fallback. Chosen once, at start-up.
extern TGradientFillProc GradientFillProc;

// Loads the module at modulePath (file name without prefix or suffix, as the loader expects)
// and takes its "GradientFill"; otherwise, or if the module lacks it, the fallback. True when
// the module's routine was taken.
bool ChooseGradientFill(const QString& modulePath);
// Releases the module, if one was loaded, and returns to the fallback.
void ReleaseGradientModule();

}  // namespace toolkit
