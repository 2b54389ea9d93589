// Shared by the about window's tests: records to fill, windows to open with or without the
// modal loop, the live windows, and URL handlers standing in for the browser and mail program.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

#include "about/tmyabout.h"
#include "tests/toolkit/qt_print.h"
#include "toolkit/about_info.h"

namespace about {

inline const QString ProductPage = QStringLiteral("https://www.example.com/software/toolcoll.shtm");

// A record as a caller fills it: title, description, copyright and a product page.
toolkit::TAboutInfo SampleInfo();

// Notes every URL the desktop is asked to open.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

// TTMyAbout windows that exist, shown or not.
int LiveWindows();
// The about window that is shown, or none.
TTMyAbout* ShownWindow();

class AboutTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new window, created and filled as ShowAbout does, but not shown modally; shown (without a
  // modal loop) when show is true. Released with the fixture unless it released itself.
  TTMyAbout* Open(const toolkit::TAboutInfo& info, bool show = false);

  // ShowAbout with action run on the shown window inside its modal loop; action must close it.
  bool ShowAboutAnd(const toolkit::TAboutInfo& info, std::function<void(TTMyAbout&)> action);

  // Runs the release countdown of a closed window to its end and lets it go.
  static void Release(TTMyAbout* window);
  // Waits up to timeoutMs for every about window to release itself; true when none is left.
  static bool WaitForNoWindows(int timeoutMs);

  UrlRecorder urls_;
};

// A move of the pointer, without buttons, to at in the widget.
void MoveMouse(QWidget* widget, const QPoint& at);
// The surface as the window paints it.
const QImage& Surface(TTMyAbout& window);
// True when the colours differ by at most tolerance in each channel.
bool Near(const QColor& actual, const QColor& expected, int tolerance = 2);

}  // namespace about
