// The main window: four measured values in, the SDNR out.
#pragma once

#include <QMainWindow>
#include <QString>
#include <optional>

#include "record/session_saving.h"

class QAction;
class QLabel;
class QMenu;

namespace calc {
class Fpu;
}
namespace toolkit {
class TLabeledEdit;
}
class TForm2;

class TForm1 : public QMainWindow {
 public:
  // fpu is the process setting the calculation runs under; help is the help window;
  // recordOption is --record WHERE, the QA record to save into (empty: the environment's or the
  // default).
  TForm1(calc::Fpu& fpu, TForm2& help, QString recordOption = {});

  // The change notification of the four input fields.
  void LabeledEdit1Change(toolkit::TLabeledEdit* Sender);
  // The calculation: the SDNR of the four fields, or "NaN", into the result field.
  void Button1Click();
  // Ends the program once the messages posted before have been handled.
  void Beenden1Click();
  // Shows the help window without making it modal and brings it to the front.
  void BitBtn1Click();
  // Describes the program to the about window and shows it until it is closed.
  void ber1Click();
  // Asks for a DICOM image and measures it.
  void openImageClick();
  // Reads the image, shows it in the measuring window and, when the user takes the values
  // over, writes them into the four fields as if typed. A file that cannot be measured raises
  // imaging::ImageError naming the file.
  void openImage(const QString& path);
  // Shows the window that saves the measurement in the fields into the QA record: the one taken
  // over from the last measured image while the fields hold exactly its texts, else the values as
  // typed.
  void saveMeasurementClick();
  // The record's history of a device, and its reference values and tolerance rules; each
  // raises record::RecordError where there is no record yet or it cannot be read.
  void historyClick();
  void referenceValuesClick();

  toolkit::TLabeledEdit* LabeledEdit1;
  toolkit::TLabeledEdit* LabeledEdit2;
  toolkit::TLabeledEdit* LabeledEdit3;
  toolkit::TLabeledEdit* LabeledEdit4;
  toolkit::TLabeledEdit* LabeledEdit5;
  QLabel* Image1;
  QMenuBar* MainMenu1;
  QMenu* Datei1;
  QAction* openImageAction;
  // Enabled while the result is a number.
  QAction* saveMeasurementAction;
  QAction* historyAction;
  QAction* referenceValuesAction;
  QAction* Beenden1;
  QMenu* Hilfe1;
  QAction* Hilfe2;
  QAction* ber1;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // Routes a file dropped on a field to the window, so that no path lands in a field.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  toolkit::TLabeledEdit* addLabeledEdit(const QString& caption, int left, int top);
  void buildMenu();

  calc::Fpu& fpu_;
  TForm2& help_;
  QString recordOption_;
  // What the record keeps of the measured image whose values were last taken over.
  std::optional<record::MeasuredImage> taken_;
};
