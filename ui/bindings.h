#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <functional>

#include "core/controls.h"
#include "ui/window_geometry.h"

namespace quorlen {

// Runs `slot` at every change the signal tells while `owner` lives: a view's listeners go
// with the view, however long its model lasts.
void Watch(QObject* owner, Signal<>& signal, std::function<void()> slot);

// Keeps a widget in step with its control model: the widget shows the model's state,
// and the user's actions go to the model's handlers. Menu captions keep their "&"
// access keys as Qt reads them.
void Bind(QLabel* widget, Label& model);
void Bind(QCheckBox* widget, CheckBox& model);
void Bind(QPushButton* widget, Button& model);
void Bind(QLineEdit* widget, TextBox& model);
// A read-only text that scrolls, such as the debug log.
void Bind(QPlainTextEdit* widget, TextBox& model);
// A text box of several lines that the user types in; Enter gives the program's CR LF.
void BindTyped(QPlainTextEdit* widget, TextBox& model);
// A label shown as a read-only text area that scrolls and can be selected and copied, for
// texts longer than the room they have (the status area).
void Bind(QPlainTextEdit* widget, Label& model);
// The items and the selection; a click on an item selects it and runs the click handler,
// even on the item already selected, as the program's list boxes do.
void Bind(QListWidget* widget, ListBox& model);
void Bind(QProgressBar* widget, ProgressBar& model);
void Bind(QTabWidget* widget, TabStrip& model);
void Bind(QAction* action, MenuItem& model);
// Esc closes the window as its close box does (Cancel or Close, as the window says).
void CloseOnEscape(QWidget* window);

// A label that acts as a link: a click runs the model's click handler.
class LinkLabel : public QLabel {
 public:
  explicit LinkLabel(Label& model);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Label& model_;
};
// The program's picture at `size` pixels with a tooltip (and, where given, a name for
// screen readers); a click on it runs the model's click handler.
class PictureLink : public QLabel {
 public:
  PictureLink(Label& model, int size, const QString& tip, const QString& accessibleName = {});

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Label& model_;
};

// A new widget of the given kind bound to `model`.
template <typename Widget, typename Model>
Widget* Make(Model& model) {
  auto* widget = new Widget;
  Bind(widget, model);
  return widget;
}

}  // namespace quorlen
