// Control kinds the translation tells apart that Qt does not have as classes of their own.
#pragma once

#include <QFrame>
#include <QString>

namespace langsupp {

// A panel: a raised frame that holds other controls and shows its caption in the middle.
// Deliberately not a QLabel, so that the translation never takes a panel for a label.
class TPanel : public QFrame {
 public:
  explicit TPanel(QWidget* parent = nullptr);

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

}  // namespace langsupp
