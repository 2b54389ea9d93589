#include "about_test.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "toolkit/image.h"

namespace about {

namespace {

const QString HandledSchemes[] = {QStringLiteral("http"), QStringLiteral("https"),
                                  QStringLiteral("mailto")};
// Longer than any test's modal step, so that only a stuck window meets it.
constexpr int ModalGuardMs = 10000;
constexpr int FadeTicks = 51;

QList<QPointer<TTMyAbout>> opened;

}  // namespace

toolkit::TAboutInfo SampleInfo() {
  toolkit::TAboutInfo info{};
  info.Title = QStringLiteral("Quantelo");
  info.Description = QStringLiteral("Berechnet das Signaldifferenz-Rausch-Verhältnis");
  info.Copyright = QStringLiteral("© 2024 Example Software");
  info.Url = ProductPage;
  return info;
}

int LiveWindows() {
  int live = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (dynamic_cast<TTMyAbout*>(window) != nullptr) ++live;
  }
  return live;
}

TTMyAbout* ShownWindow() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* about = dynamic_cast<TTMyAbout*>(window); about != nullptr && about->isVisible()) {
      return about;
    }
  }
  return nullptr;
}

void AboutTest::SetUp() {
  for (const QString& scheme : HandledSchemes) {
    QDesktopServices::setUrlHandler(scheme, &urls_, "open");
  }
}

void AboutTest::TearDown() {
  for (const QPointer<TTMyAbout>& window : opened) delete window.data();
  opened.clear();
  EXPECT_TRUE(WaitForNoWindows(3000)) << LiveWindows() << " about windows still alive";
  for (const QString& scheme : HandledSchemes) QDesktopServices::unsetUrlHandler(scheme);
  // Windows closed outside a modal loop leave the application-wide pointer hidden.
  while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
}

TTMyAbout* AboutTest::Open(const toolkit::TAboutInfo& info, bool show) {
  auto* window = new TTMyAbout;
  opened.append(window);
  window->FillAbout(info);
  if (show) {
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  return window;
}

bool AboutTest::ShowAboutAnd(const toolkit::TAboutInfo& info,
                             std::function<void(TTMyAbout&)> action) {
  QTimer::singleShot(0, [action = std::move(action)] {
    TTMyAbout* window = ShownWindow();
    if (window == nullptr) {
      ADD_FAILURE() << "No about window is shown";
      return;
    }
    action(*window);
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (TTMyAbout* stuck = ShownWindow()) {
      ADD_FAILURE() << "The about window did not close";
      stuck->setModalResult(ModalResultCancel);
    }
  });
  guard.start(ModalGuardMs);
  return ShowAbout(info);
}

void AboutTest::Release(TTMyAbout* window) {
  QPointer<TTMyAbout> alive(window);
  for (int tick = 0; tick < FadeTicks && alive; ++tick) window->Timer3Timer();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool AboutTest::WaitForNoWindows(int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (LiveWindows() > 0 && clock.elapsed() < timeoutMs) QTest::qWait(10);
  return LiveWindows() == 0;
}

void MoveMouse(QWidget* widget, const QPoint& at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

const QImage& Surface(TTMyAbout& window) {
  return window.Image1->Canvas();
}

bool Near(const QColor& actual, const QColor& expected, int tolerance) {
  return std::abs(actual.red() - expected.red()) <= tolerance &&
         std::abs(actual.green() - expected.green()) <= tolerance &&
         std::abs(actual.blue() - expected.blue()) <= tolerance;
}

}  // namespace about
