#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/qt/text_codec.h"

namespace quorlen {

namespace {

// The window the user is working in, which asked for the box: the box stands over it and
// goes with it. None while the program shows no window (a box from the tray menu).
QWidget* AskingWindow() { return QApplication::activeWindow(); }

}  // namespace

int QtDialogs::MsgBox(const std::string& text, int style, const std::string& title) {
  QMessageBox box(AskingWindow());
  box.setWindowTitle(FromSingleByte(title));
  // Plain text always: a box may show what a web site sent (the version check's changes),
  // and no markup of theirs is drawn or followed.
  box.setTextFormat(Qt::PlainText);
  box.setText(FromSingleByte(text));
  switch (style & 0xF0) {
    case msgbox::kCritical:
      box.setIcon(QMessageBox::Critical);
      break;
    case 32:
      box.setIcon(QMessageBox::Question);
      break;
    case msgbox::kExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case msgbox::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  if ((style & 0x0F) == msgbox::kYesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  // An hourglass pointer must not hide the box's buttons.
  bool waiting = waitDepth_ > 0;
  if (waiting) QApplication::restoreOverrideCursor();
  int result = box.exec();
  if (waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (result == QMessageBox::Yes) return msgbox::kAnswerYes;
  if (result == QMessageBox::No) return msgbox::kAnswerNo;
  return msgbox::kAnswerOk;
}

std::optional<std::string> QtDialogs::ChooseFile(const FileDialogRequest& request) {
  QFileDialog dialog(AskingWindow(), FromSingleByte(request.title),
                     FromSingleByte(request.fileName), FromSingleByte(request.filter));
  dialog.setDefaultSuffix(FromSingleByte(request.defaultExtension));
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (!request.fileName.empty()) dialog.selectFile(FromSingleByte(request.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToSingleByte(dialog.selectedFiles().first());
}

void QtDialogs::SetWaitCursor(bool wait) {
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitDepth_;
  } else {
    while (waitDepth_ > 0) {
      QApplication::restoreOverrideCursor();
      --waitDepth_;
    }
  }
}

}  // namespace quorlen
