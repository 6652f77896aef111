// The status area's binding: its label shown in a text area that lays out only what changed.
#include <QEvent>
#include <QTextCursor>

#include "ui/bindings.h"
#include "ui/text_area.h"

namespace quorlen {

namespace {

// The status area can hold tens of thousands of lines (the report of a build), and
// laying out a document that long anew is a pause the user feels. So the text is put in
// only while the area can be seen, catching up when it is shown, and a text that only
// grew at its start or end ("Settings Saved" above a report) is grown there.
class StatusArea : public QObject {
 public:
  StatusArea(QPlainTextEdit* widget, Label& model)
      : QObject(widget), widget_(widget), model_(model) {
    widget->installEventFilter(this);
    Show();
    Watch(this, model.changed, [this] { Show(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Show && stale_) ShowText();
    return false;
  }

 private:
  void Show() {
    widget_->setEnabled(model_.Enabled());
    widget_->setVisible(model_.Visible());
    stale_ = true;
    if (widget_->isVisible()) ShowText();
  }

  void ShowText() {
    stale_ = false;
    QString text = AreaText(model_.Caption());
    if (text == shown_) return;
    const bool grownAtStart = !shown_.isEmpty() && text.endsWith(shown_);
    const bool grownAtEnd = !shown_.isEmpty() && text.startsWith(shown_);
    if (grownAtStart || grownAtEnd) {
      QTextCursor cursor(widget_->document());
      if (grownAtStart) {
        cursor.insertText(text.first(text.size() - shown_.size()));
      } else {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text.sliced(shown_.size()));
      }
      // Where a new text would show: from its top.
      widget_->moveCursor(QTextCursor::Start);
    } else {
      widget_->setPlainText(text);
    }
    shown_ = std::move(text);
  }

  QPlainTextEdit* widget_;
  Label& model_;
  QString shown_;
  bool stale_ = false;
};

}  // namespace

void Bind(QPlainTextEdit* widget, Label& model) {
  ReadOnlyTextArea(widget);
  new StatusArea(widget, model);
}

}  // namespace quorlen
