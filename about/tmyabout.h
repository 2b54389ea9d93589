// The maker's shared about window: a borderless, self-painted card on a navy colour key, filled
// from the caller's TAboutInfo, shown modally, and gone by itself about a second after closing.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>

#include "toolkit/about_info.h"

class QEventLoop;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTimer;

namespace toolkit {
class TImage;
}

namespace about {

inline constexpr int ModalResultOk = 1;
inline constexpr int ModalResultCancel = 2;

class TTMyAbout : public QWidget {
 public:
  // Builds the components and runs FormCreate. No owner: the window releases itself.
  TTMyAbout();

  // Paints and sets the caller's texts; works on its own copy of the record.
  void FillAbout(toolkit::TAboutInfo info);
  // Shows the window modally until its modal result is set, and returns that result:
  // ModalResultCancel when the application ended the loop.
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  // A result other than 0 ends the modal loop.
  void setModalResult(int result);
  // The background colour, which the surface's navy pixels show; navy is the colour key.
  void setColor(const QColor& colour);

  void FormCreate();
  void FormShow();
  void FormHide();
  void FormClose();
  void FormKeyDown(int key, Qt::KeyboardModifiers shift);
  void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
  void Image1MouseMove(Qt::KeyboardModifiers shift, int X, int Y);
  void Label3Click(QLabel* Sender);
  void Image5Click();
  void Label6Click();
  void Timer1Timer();
  void Timer3Timer();

  toolkit::TImage* Image1;
  toolkit::TImage* Image2;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label1;
  QLabel* Copyright;
  QLabel* Label6;
  QLabel* Label5;
  toolkit::TImage* Image3;
  toolkit::TImage* Image5;
  QListWidget* ListBox1;
  QPlainTextEdit* Memo1;
  QTimer* Timer1;
  QTimer* Timer3;

  QImage CreditsBitmap;
  QString Url;
  // The title's hot spot on the surface.
  QRect TitleRect;
  bool AlphaBlend = false;
  std::uint8_t AlphaBlendValue = 255;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void createComponents();
  QLabel* addLabel(const QString& caption, const QRect& bounds, const QFont& font);
  QLabel* addLink(const QString& caption, const QRect& bounds, int pixelSize);
  void applyColourKey();
  void applyOpacity();

  QEventLoop* modalLoop_ = nullptr;
  int modalResult_ = 0;
  bool applicationEnding_ = false;
  bool hideBound_ = true;
};

// Creates a new about window, translates it when the record asks, fills it and shows it
// modally. True when it was closed with modal result 1, as every close by the user is; false
// when the application ended while it was open. The window is not destroyed here.
bool ShowAbout(toolkit::TAboutInfo info);

}  // namespace about
