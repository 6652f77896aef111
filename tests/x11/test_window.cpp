// A small Qt program for the desktop tests: a window titled by its first argument, or with
// "--question <title>" a Yes/No message box with that title. Its exit code tells which
// button ended it: 6 for Yes, 7 for No, 0 when the window was closed.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("QuorlenTestWindow");
  const QStringList args = QApplication::arguments();
  if (args.size() >= 3 && args[1] == "--question") {
    QMessageBox box(QMessageBox::Question, args[2], "Do you want to debug this page?",
                    QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText("&Yes");
    box.button(QMessageBox::No)->setText("&No");
    int answer = box.exec();
    return answer == QMessageBox::Yes ? 6 : answer == QMessageBox::No ? 7 : 0;
  }
  QWidget window;
  window.setWindowTitle(args.size() >= 2 ? args[1] : QString("Quorlen test window"));
  window.resize(320, 200);
  window.show();
  return QApplication::exec();
}
