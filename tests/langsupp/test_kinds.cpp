// The panel kind shows its caption.
#include <gtest/gtest.h>

#include <QImage>

#include "langsupp/kinds.h"

namespace langsupp {
namespace {

TEST(Panel, ShowsItsCaption) {
  TPanel panel;
  panel.resize(120, 40);
  const QImage plain = panel.grab().toImage();
  panel.setCaption("Ten");
  const QImage captioned = panel.grab().toImage();
  EXPECT_NE(plain, captioned);
}

}  // namespace
}  // namespace langsupp
