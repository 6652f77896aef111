// A Qt window for the desktop tests, titled by its first argument; "--question <title>": a
// Yes/No box that exits 6 for Yes, 7 for No, 0 when closed; "--dialog <title> <dialog title>":
// a window and a dialog of its own over it.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
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
  const bool withDialog = args.size() >= 4 && args[1] == "--dialog";
  QWidget window;
  window.setWindowTitle(withDialog         ? args[2]
                        : args.size() >= 2 ? args[1]
                                           : QString("Quorlen test window"));
  window.resize(320, 200);
  window.show();
  // Not modal: the window it belongs to can be the active one while it is open.
  QDialog dialog(&window);
  if (withDialog) {
    dialog.setWindowTitle(args[3]);
    dialog.resize(200, 100);
    dialog.show();
  }
  return QApplication::exec();
}
