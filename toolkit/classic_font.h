// The windows' classic face by pixel height.
#pragma once

#include <QFont>

namespace toolkit {

// "MS Sans Serif" where the system has it; elsewhere "Arial", whose metric-compatible stand-ins
// are widely installed, so that texts take the room the layouts were made for.
QFont ClassicSansSerif(int pixelSize);

}  // namespace toolkit
