// Colours the maker's windows share.
#pragma once

#include <QColor>

namespace toolkit {

// The warm background of the calculator and of the about window's lower edge and credits.
inline const QColor Cream(0xFF, 0xFB, 0xF0);

}  // namespace toolkit
