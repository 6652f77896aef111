// The floor of the memory benchmark: a Qt Widgets program that shows one empty window
// and does nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.show();
  return QApplication::exec();
}
