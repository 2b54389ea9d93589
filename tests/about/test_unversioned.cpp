// An executable without version information shows the version 0.0.0.0.
#include <QLabel>

#include "about_test.h"

namespace about {
namespace {

using UnversionedTest = AboutTest;

TEST_F(UnversionedTest, BuildTextShowsZeros) {
  EXPECT_EQ(Open(SampleInfo())->Label2->text(), "Build: 0.0.0.0");
}

}  // namespace
}  // namespace about
