// The least a Qt Widgets program needs for a window like Quantelo's: the same fixed size, menu
// bar and five line edits at the same place, and nothing else. Its start-up time and memory
// are the floor Quantelo is measured against.
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Floor"));
  auto* client = new QWidget(&window);
  window.setCentralWidget(client);
  for (const QPoint place : {QPoint(32, 32), QPoint(200, 32), QPoint(32, 88), QPoint(200, 88),
                             QPoint(32, 152)}) {
    (new QLineEdit(client))->setGeometry(QRect(place, QSize(121, 21)));
  }

  QMenuBar* menu = window.menuBar();
  menu->addMenu(QStringLiteral("&Datei"))->addAction(QStringLiteral("Be&enden"));
  QMenu* help = menu->addMenu(QStringLiteral("&Hilfe"));
  help->addAction(QStringLiteral("Hilfe"));
  help->addAction(QStringLiteral("Ü&ber"));

  window.setFixedSize(346, 203 + menu->sizeHint().height());
  window.move(281, 281);
  window.show();
  return application.exec();
}
