// The picture: shown while the field changed last contains "9157".
#include <vector>

#include "toolkit/labeled_edit.h"
#include "window_test.h"

namespace {

using PictureTest = WindowTest;

TEST_F(PictureTest, FollowsTheChangedFieldOnly) {
  struct Step {
    int field;
    const char* text;
    bool shown;
  };
  const std::vector<Step> sequences[] = {
      {{1, "191578", true}, {0, "3", false}},
      {{0, "9157", true}, {2, "19157", true}},
      {{3, "9157", true}, {3, "915", false}},
      {{1, "9157", true}, {0, "5", false}, {1, "9157.0", true}},
  };
  for (const auto& steps : sequences) {
    for (const Step& step : steps) {
      SCOPED_TRACE(testing::Message() << "field " << step.field + 1 << ": " << step.text);
      retype(inputs()[step.field], step.text);
      EXPECT_EQ(main_.Image1->isVisible(), step.shown);
    }
  }
}

TEST_F(PictureTest, IsDrawnAtItsSizeInTheTopLeftOfItsBox) {
  EXPECT_EQ(main_.Image1->size(), QSize(89, 73));
  EXPECT_EQ(main_.Image1->pixmap().size(), QSize(73, 73));
  EXPECT_EQ(main_.Image1->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace
