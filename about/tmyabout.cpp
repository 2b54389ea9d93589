#include "tmyabout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

#include "about/about_surface.h"
#include "about/credits.h"
#include "about/round_rect_region.h"
#include "about/screen_cursor.h"
#include "langsupp/tag.h"
#include "langsupp/translate_form.h"
#include "toolkit/classic_font.h"
#include "toolkit/colours.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/image.h"
#include "toolkit/shell_links.h"
#include "toolkit/version_info.h"
#include "toolkit/widget_colour.h"

namespace about {

namespace {

const QColor Blue(0x00, 0x00, 0xFF);
const QColor MemoCream(0xFE, 0xFB, 0xF0);
// The texts on the painted card and the notice: the colour they have under the default palette,
// fixed like the card's own colours, so a dark desktop theme cannot put light text on them.
const QColor CardText(Qt::black);
constexpr int CloseGlyphTag = 65002;
constexpr int ScrollClipCorner = 10;
constexpr int FadeStep = 5;

const QString MakerSite = QStringLiteral("https://www.example.com");
const QString MakerMail = QStringLiteral("mailto: info@example.com");
const QString PartnerSite = QStringLiteral("https://partner.example.org");
const QString SecondPage = QStringLiteral("https://www.example.com/software/quality.php");

// The program is MIT-licensed: the notice says what that licence asks of a copy.
const QString Notice = QStringLiteral(
    "Warning: this program is protected\n"
    "by copyright law. It is licensed\n"
    "under the MIT licence; every copy\n"
    "must keep its copyright and\n"
    "permission notice. Copying or\n"
    "distribution without that notice\n"
    "is not permitted. Unauthorised\n"
    "copying or distribution will be\n"
    "prosecuted.");

// A timer that is enabled keeps its rhythm; only a disabled one starts anew.
void EnableTimer(QTimer* timer, bool enabled) {
  if (!enabled) {
    timer->stop();
  } else if (!timer->isActive()) {
    timer->start();
  }
}

}  // namespace

TTMyAbout::TTMyAbout() {
  setObjectName(QStringLiteral("TMyAbout"));
  setWindowTitle(QStringLiteral("About"));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  setFixedSize(SurfaceSize);
  setAutoFillBackground(true);
  toolkit::SetWidgetColour(this, QPalette::Window, Navy);
  toolkit::SetWidgetColour(this, QPalette::WindowText, CardText);
  setFont(toolkit::ClassicSansSerif(11));
  createComponents();
  // Key preview: the window sees F3 and Esc wherever the focus is.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  toolkit::Dispatch([this] { FormCreate(); });
}

QLabel* TTMyAbout::addLabel(const QString& caption, const QRect& bounds, const QFont& font) {
  auto* label = new QLabel(caption, this);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setFont(font);
  label->setGeometry(bounds);
  // A label takes its presses, so that they never reach the window and close it.
  label->setAttribute(Qt::WA_NoMousePropagation);
  return label;
}

QLabel* TTMyAbout::addLink(const QString& caption, const QRect& bounds, int pixelSize) {
  QFont font = toolkit::ClassicSansSerif(pixelSize);
  font.setUnderline(true);
  QLabel* link = addLabel(caption, bounds, font);
  toolkit::SetWidgetColour(link, link->foregroundRole(), Blue);
  link->setCursor(Qt::PointingHandCursor);
  // Sized to its text, so that the whole address shows whatever face stands in for the font.
  link->adjustSize();
  return link;
}

void TTMyAbout::createComponents() {
  Image1 = new toolkit::TImage(this);
  Image1->setGeometry(QRect(QPoint(0, 0), SurfaceSize));
  Image1->setTransparent(true);
  Image1->OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
    toolkit::Dispatch([&] { Image1MouseDown(button, shift, at.x(), at.y()); });
  };
  Image1->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPoint at) {
    toolkit::Dispatch([&] { Image1MouseMove(shift, at.x(), at.y()); });
  };

  Image2 = new toolkit::TImage(this);
  Image2->setGeometry(16, 16, 137, 49);
  Image2->loadVector(QStringLiteral(":/about/logo.svg"));
  Image2->setProportional(true);

  Label2 = addLabel(QStringLiteral("Build: "), QRect(136, 172, 0, 0), font());
  Label2->adjustSize();
  Label3 = addLink(MakerSite, QRect(24, 256, 135, 16), 13);
  Label4 = addLink(MakerMail, QRect(24, 280, 162, 16), 13);
  Label1 = addLabel(QString(), QRect(24, 192, 201, 57), toolkit::ClassicSansSerif(13));
  Label1->setWordWrap(true);
  Copyright = addLabel(QString(), QRect(48, 312, 0, 0), toolkit::ClassicSansSerif(12));
  Label6 = addLink(QStringLiteral("Show Authors"), QRect(360, 152, 66, 13), 11);
  Label6->hide();
  Label5 = addLink(PartnerSite, QRect(24, 232, 185, 16), 13);
  Label5->hide();

  Image3 = new toolkit::TImage(this);
  Image3->setGeometry(400, 8, 25, 25);
  Image3->setBitmap(CloseGlyph(Image3->devicePixelRatio()));
  Image3->setTransparent(true);
  Image3->setToolTip(QStringLiteral("Close Window"));
  langsupp::SetTag(Image3, CloseGlyphTag);
  Image3->OnClick = [this] { toolkit::Dispatch([this] { FormHide(); }); };

  Image5 = new toolkit::TImage(this);
  Image5->setGeometry(376, 304, 80, 29);
  Image5->loadVector(QStringLiteral(":/about/badge.svg"));
  Image5->setProportional(true);
  Image5->setCenter(true);
  Image5->setCursor(Qt::PointingHandCursor);
  Image5->OnClick = [this] { toolkit::Dispatch([this] { Image5Click(); }); };

  ListBox1 = new QListWidget(this);
  ListBox1->setGeometry(144, 208, 121, 97);
  ListBox1->addItems(CreditRoles());
  ListBox1->hide();

  Memo1 = new QPlainTextEdit(Notice, this);
  Memo1->setGeometry(232, 176, 193, 129);
  Memo1->setFrameShape(QFrame::NoFrame);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setReadOnly(true);
  Memo1->setEnabled(false);
  QFont memoFont(QStringLiteral("Arial"));
  memoFont.setPixelSize(11);
  Memo1->setFont(memoFont);
  QPalette memoColours = Memo1->palette();
  memoColours.setColor(QPalette::Base, MemoCream);
  // The card's text colour although disabled, as the notice is meant to be read.
  memoColours.setColor(QPalette::Text, CardText);
  Memo1->setPalette(memoColours);

  Timer1 = new QTimer(this);
  Timer1->setInterval(55);
  Timer1->start();
  connect(Timer1, &QTimer::timeout, this, [this] { toolkit::Dispatch([this] { Timer1Timer(); }); });
  Timer3 = new QTimer(this);
  Timer3->setInterval(20);
  connect(Timer3, &QTimer::timeout, this, [this] { toolkit::Dispatch([this] { Timer3Timer(); }); });
}

void TTMyAbout::FormCreate() {
  PaintCard(Image1->Canvas(), palette().color(QPalette::Dark));
  QStringList roles;
  for (int i = 0; i < ListBox1->count(); ++i) roles << ListBox1->item(i)->text();
  // As sharp as the surface it scrolls on.
  CreditsBitmap = BuildCreditsBitmap(roles, Image1->Canvas().devicePixelRatio());
  // The file's true version: the twelve-digit form cannot hold a part above 999.
  Label2->setText(QStringLiteral("Build: ") +
                  toolkit::FileVersionText(QCoreApplication::applicationFilePath()));
  Label2->adjustSize();
  applyColourKey();
}

void TTMyAbout::FillAbout(toolkit::TAboutInfo info) {
  QImage& surface = Image1->Canvas();
  if (info.Graphic != nullptr) {
    // Placed by its logical width: a picture for a scaled screen has more pixels than that.
    QPainter painter(&surface);
    const int width = qRound(info.Graphic->deviceIndependentSize().width());
    painter.drawPixmap(LogicalSize(surface).width() - 20 - width, 60, *info.Graphic);
  }
  const QString caption = ' ' + info.Title + ' ';
  setWindowTitle(caption);
  TitleRect = PaintTitle(surface, caption);
  Label2->move(TitleRect.left(), Label2->y());
  PaintSubtitle(surface, info.SubTitle);
  Copyright->setText(info.Copyright);
  Copyright->adjustSize();
  Label1->setText(info.Description);
  if (!info.BuildText.isEmpty()) {
    Label2->setText(info.BuildText);
    Label2->adjustSize();
  }
  Label5->setVisible(info.ShowPartnerLink);
  EnableTimer(Timer1, info.ShowCredits);
  Memo1->setVisible(!info.ShowCredits);
  Url = info.Url;
  applyColourKey();
  Image1->repaint();
}

int TTMyAbout::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  move(screen()->geometry().center() - rect().center());
  modalResult_ = 0;
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  modalLoop_ = &loop;
  applicationEnding_ = false;
  // Watches for the application's quit request, which closes the windows before it ends the loops.
  QCoreApplication::instance()->installEventFilter(this);
  loop.exec(QEventLoop::DialogExec);
  QCoreApplication::instance()->removeEventFilter(this);
  modalLoop_ = nullptr;
  // Only a modal result ends the loop from inside; otherwise the application is ending.
  if (applicationEnding_ || modalResult_ == 0) {
    modalResult_ = ModalResultCancel;
  } else {
    toolkit::Dispatch([this] { FormClose(); });
  }
  const int result = modalResult_;
  hide();
  SetScreenCursor(Qt::ArrowCursor);
  return result;
}

void TTMyAbout::setModalResult(int result) {
  modalResult_ = result;
  if (result != 0 && modalLoop_ != nullptr) modalLoop_->quit();
}

void TTMyAbout::setColor(const QColor& colour) {
  toolkit::SetWidgetColour(this, QPalette::Window, colour);
  applyColourKey();
}

void TTMyAbout::applyColourKey() {
  // The key applies to the window as it looks, pictures reaching over the navy included: the
  // surface's navy pixels show the background, which is navy until the window closes.
  clearMask();
  if (palette().color(QPalette::Window) != Navy) return;
  QImage look(size(), QImage::Format_RGB32);
  render(&look);
  setMask(OutsideKey(look, Navy));
}

void TTMyAbout::applyOpacity() {
  setWindowOpacity(AlphaBlend ? AlphaBlendValue / 255.0 : 1.0);
}

void TTMyAbout::FormShow() {
  EnableTimer(Timer3, false);
}

void TTMyAbout::FormHide() {
  SetScreenCursor(Qt::BlankCursor);
  AlphaBlend = true;
  applyOpacity();
  setColor(toolkit::Cream);
  hideBound_ = false;
  setModalResult(ModalResultOk);
  EnableTimer(Timer3, true);
}

void TTMyAbout::FormClose() {
  SetScreenCursor(Qt::ArrowCursor);
  setModalResult(ModalResultOk);
}

void TTMyAbout::FormKeyDown(int key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F3) {
    Label6Click();
  } else if (key == Qt::Key_Escape) {
    FormHide();
  }
}

void TTMyAbout::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
  if (!Url.isEmpty() && TitleRect.contains(X, Y)) {
    toolkit::RunProgram(this, Url);
  } else {
    FormHide();
  }
}

void TTMyAbout::Image1MouseMove(Qt::KeyboardModifiers, int X, int Y) {
  const bool hot = !Url.isEmpty() && TitleRect.contains(X, Y);
  if (hot) {
    Image1->setCursor(Qt::PointingHandCursor);
  } else {
    Image1->unsetCursor();
  }
  PaintTitleText(Image1->Canvas(), TitleRect, windowTitle(), hot ? Aqua : Yellow);
  Image1->repaint(TitleRect);
}

void TTMyAbout::Label3Click(QLabel* Sender) {
  toolkit::OpenLinkLabel(Sender);
}

void TTMyAbout::Image5Click() {
  toolkit::RunProgram(this, SecondPage);
}

void TTMyAbout::Label6Click() {
  // The scroller's copies are always clipped to the box (see Timer1Timer).
  Memo1->hide();
  EnableTimer(Timer1, true);
  Label6->hide();
}

void TTMyAbout::Timer1Timer() {
  // Clipped to the box's rounded region however the scroller was started, so that no block
  // spills onto the card.
  const QRect box = Memo1->geometry();
  const QRect changed = ScrollStep(Image1->Canvas(), CreditsBitmap, box.topLeft(),
                                   RoundRectRegion(box, ScrollClipCorner, ScrollClipCorner));
  Image1->repaint(changed);
}

void TTMyAbout::Timer3Timer() {
  AlphaBlendValue = static_cast<std::uint8_t>(AlphaBlendValue - FadeStep);
  applyOpacity();
  if (AlphaBlendValue == 0) deleteLater();
}

void TTMyAbout::mousePressEvent(QMouseEvent* event) {
  // Presses on the window itself, such as on the disabled warning box, act as on the surface.
  const QPoint at = event->position().toPoint();
  toolkit::Dispatch([&] { Image1MouseDown(event->button(), event->modifiers(), at.x(), at.y()); });
}

bool TTMyAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == QCoreApplication::instance()) {
    if (event->type() == QEvent::Quit) applicationEnding_ = true;
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    toolkit::Dispatch([&] { FormKeyDown(key->key(), key->modifiers()); });
    // Taken here, so that they reach neither a control nor, a second time, this filter.
    return key->key() == Qt::Key_F3 || key->key() == Qt::Key_Escape;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* release = static_cast<QMouseEvent*>(event);
    auto* label = qobject_cast<QLabel*>(watched);
    if (label != nullptr && release->button() == Qt::LeftButton &&
        label->rect().contains(release->position().toPoint())) {
      if (label == Label6) {
        toolkit::Dispatch([this] { Label6Click(); });
      } else if (label == Label3 || label == Label4 || label == Label5) {
        toolkit::Dispatch([this, label] { Label3Click(label); });
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TTMyAbout::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  toolkit::Dispatch([this] { FormShow(); });
}

void TTMyAbout::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (hideBound_) toolkit::Dispatch([this] { FormHide(); });
}

void TTMyAbout::closeEvent(QCloseEvent* event) {
  if (applicationEnding_) {
    // The application closes its windows on the way out; the modal loop ends with it.
    event->accept();
    return;
  }
  if (modalLoop_ != nullptr) {
    // A close request from outside cancels; the modal loop then closes the window.
    setModalResult(ModalResultCancel);
    event->ignore();
    return;
  }
  toolkit::Dispatch([this] { FormClose(); });
  event->accept();
}

bool ShowAbout(toolkit::TAboutInfo info) {
  auto* form = new TTMyAbout;
  if (info.Translate) langsupp::TranslateForm(form);
  form->FillAbout(info);
  return form->ShowModal() == ModalResultOk;
}

}  // namespace about
