// A hint beside the controls: set apart by italics, not by a faint colour, so that it reads at
// full contrast under any palette.
#pragma once

#include <QLabel>

namespace measure {

QLabel* NewHintLabel(const QString& text);

}  // namespace measure
