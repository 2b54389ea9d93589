// The protocol's fonts and units on its page.
#pragma once

#include <QFont>
#include <QPaintDevice>

namespace protocol {

struct Typeset {
  QPaintDevice* device = nullptr;
  double mm = 0;     // device units per millimetre
  double width = 0;  // the content area's width, device units
  QFont title, section, body, bold, table, tableBold, note, small;
};

// Liberation Sans where installed (its files allow embedding, which PDF/A needs), else the
// system's sans serif.
Typeset MakeTypeset(QPaintDevice* device, double contentWidthMm);

}  // namespace protocol
