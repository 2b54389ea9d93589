// The help window: the measurement procedure and the formula, read-only.
#pragma once

#include <QWidget>

class QPlainTextEdit;

class TForm2 : public QWidget {
 public:
  TForm2();

  static constexpr int MaxWidth = 600;

  QPlainTextEdit* Memo1;
};
