// Opening and closing the window many times leaves nothing behind.
#include <unistd.h>

#include <QTest>
#include <fstream>

#include "about_test.h"

namespace about {
namespace {

// Resident memory in bytes, from /proc/self/statm.
long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool MeasuresMemory =
    false;  // the sanitizer holds freed memory back; it finds leaks itself
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool MeasuresMemory = false;
#else
constexpr bool MeasuresMemory = true;
#endif
#else
constexpr bool MeasuresMemory = true;
#endif

using ManyTest = AboutTest;

TEST_F(ManyTest, FiveHundredOpenAndCloseLeaveNoWindowAndNoMemory) {
  const auto openAndClose = [this] {
    TTMyAbout* closed = nullptr;
    EXPECT_TRUE(ShowAboutAnd(SampleInfo(), [&](TTMyAbout& window) {
      closed = &window;
      window.Timer1Timer();
      QTest::keyClick(&window, Qt::Key_Escape);
    }));
    Release(closed);
  };
  // The first rounds fill Qt's caches (fonts, pictures, glyphs).
  for (int round = 0; round < 20; ++round) openAndClose();
  const long before = ResidentBytes();
  for (int round = 0; round < 500; ++round) openAndClose();
  EXPECT_EQ(LiveWindows(), 0);
  if (MeasuresMemory) {
    // One window holds over 3.9 MB of pictures; a leak of even one would show.
    EXPECT_LT(ResidentBytes() - before, 2 * 1024 * 1024);
  }
}

}  // namespace
}  // namespace about
