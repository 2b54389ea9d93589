// The main window: four measured values in, the SDNR out.
#pragma once

#include <QMainWindow>

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
  // fpu is the process setting the calculation runs under; help is the help window.
  TForm1(calc::Fpu& fpu, TForm2& help);

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

  toolkit::TLabeledEdit* LabeledEdit1;
  toolkit::TLabeledEdit* LabeledEdit2;
  toolkit::TLabeledEdit* LabeledEdit3;
  toolkit::TLabeledEdit* LabeledEdit4;
  toolkit::TLabeledEdit* LabeledEdit5;
  QLabel* Image1;
  QMenuBar* MainMenu1;
  QMenu* Datei1;
  QAction* openImageAction;
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
};
