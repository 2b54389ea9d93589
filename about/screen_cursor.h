// The application-wide pointer: one shape over all of the program's windows.
#pragma once

#include <Qt>

namespace about {

// Qt::ArrowCursor is the default, under which every control shows its own pointer again.
void SetScreenCursor(Qt::CursorShape shape);

}  // namespace about
