// Opening targets through the desktop, observed by URL handlers that stand in for the browser
// and the mail program.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <functional>

#include "tests/toolkit/qt_print.h"
#include "toolkit/shell_links.h"

namespace toolkit {
namespace {

const QColor Red(0xFF, 0x00, 0x00);
const QColor Purple(0x80, 0x00, 0x80);
const QString HandledSchemes[] = {QStringLiteral("http"), QStringLiteral("https"),
                                  QStringLiteral("mailto")};

QColor FontColour(const QLabel& label) {
  return label.palette().color(label.foregroundRole());
}

// Accepts every URL of the handled schemes, notes it and runs the check given for the moment of
// opening.
class UrlHandler : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;
  std::function<void()> whileOpening = [] {};

 public slots:
  void open(const QUrl& url) {
    opened.append(url);
    whileOpening();
  }
};

// Notes the font colour of every paint of the watched label.
class PaintWatcher : public QObject {
 public:
  QList<QColor> painted;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted.append(FontColour(*static_cast<QLabel*>(watched)));
    return false;
  }
};

class ShellLinksTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const QString& scheme : HandledSchemes) {
      QDesktopServices::setUrlHandler(scheme, &handler_, "open");
    }
  }
  void TearDown() override {
    for (const QString& scheme : HandledSchemes) QDesktopServices::unsetUrlHandler(scheme);
  }

  UrlHandler handler_;
};

TEST_F(ShellLinksTest, RunProgramOpensTheTargetAsAnAddress) {
  struct Case {
    const char* target;
    const char* opened;
  };
  const Case cases[] = {
      {"https://www.example.com/software/toolcoll.shtm",
       "https://www.example.com/software/toolcoll.shtm"},
      {"www.example.com", "http://www.example.com"},
      {"mailto:info@example.com", "mailto:info@example.com"},
      // The blank that reads well in a caption is not part of the address.
      {"mailto: info@example.com", "mailto:info@example.com"},
      {"mailto:\t info@example.com", "mailto:info@example.com"},
      {"  https://www.example.com/a b  ", "https://www.example.com/a%20b"},
  };
  QWidget window;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    handler_.opened.clear();
    EXPECT_TRUE(RunProgram(&window, QString::fromUtf8(c.target)));
    ASSERT_EQ(handler_.opened.size(), 1);
    EXPECT_EQ(handler_.opened[0].toString(QUrl::FullyEncoded), c.opened);
  }
}

TEST_F(ShellLinksTest, RunProgramReportsWhatTheDesktopRefuses) {
  // Nothing takes the scheme (the offscreen platform has no desktop behind it), or it is no
  // address at all.
  for (const char* target : {"nosuchscheme:x", "", "   "}) {
    EXPECT_FALSE(RunProgram(nullptr, QString::fromUtf8(target))) << target;
  }
  EXPECT_TRUE(handler_.opened.isEmpty());
}

TEST_F(ShellLinksTest, LinkLabelIsRedAndPaintedWhileOpeningAndPurpleAfterwards) {
  struct Case {
    const char* caption;
    bool opens;
  };
  const Case cases[] = {
      {"https://www.example.com", true},
      {"mailto: info@example.com", true},
      {"nosuchscheme:x", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    QWidget window;
    QLabel* label = new QLabel(QString::fromUtf8(c.caption), &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    PaintWatcher watcher;
    label->installEventFilter(&watcher);
    handler_.opened.clear();
    bool checked = false;
    handler_.whileOpening = [&] {
      checked = true;
      EXPECT_EQ(FontColour(*label), Red);
      ASSERT_FALSE(watcher.painted.isEmpty());
      EXPECT_EQ(watcher.painted.last(), Red);
    };
    EXPECT_EQ(OpenLinkLabel(label), c.opens);
    EXPECT_EQ(checked, c.opens);
    // Painted once, red, before the desktop was asked: also when it refused.
    EXPECT_EQ(watcher.painted, QList<QColor>{Red});
    EXPECT_EQ(FontColour(*label), Purple);
  }
}

TEST_F(ShellLinksTest, LinkLabelDestroyedByAPendingEventStillOpens) {
  QWidget window;
  QPointer<QLabel> label = new QLabel(QStringLiteral("https://www.example.com"), &window);
  QMetaObject::invokeMethod(
      label, [&label] { delete label; }, Qt::QueuedConnection);
  EXPECT_TRUE(OpenLinkLabel(label));
  EXPECT_TRUE(label.isNull());
  EXPECT_EQ(handler_.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.example.com"))});
}

TEST_F(ShellLinksTest, NoLabelOpensNothing) {
  EXPECT_FALSE(OpenLinkLabel(nullptr));
  EXPECT_TRUE(handler_.opened.isEmpty());
}

}  // namespace
}  // namespace toolkit

#include "test_shell_links.moc"
