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

#include "core/controls.h"

namespace quorlen {

// Keeps a widget in step with its control model: the widget shows the model's state,
// and the user's actions go to the model's handlers. Menu captions keep their "&"
// access keys as Qt reads them.
void Bind(QLabel* widget, Label& model);
void Bind(QCheckBox* widget, CheckBox& model);
void Bind(QPushButton* widget, Button& model);
void Bind(QLineEdit* widget, TextBox& model);
void Bind(QPlainTextEdit* widget, TextBox& model);
// The items and the selection; a click on an item selects it and runs the click handler,
// even on the item already selected, as the program's list boxes do.
void Bind(QListWidget* widget, ListBox& model);
void Bind(QProgressBar* widget, ProgressBar& model);
void Bind(QTabWidget* widget, TabStrip& model);
void Bind(QAction* action, MenuItem& model);
// The window's caption, visibility, size, z-order and minimised state.
void Bind(QWidget* window, Window& model);

// A label that acts as a link: a click runs the model's click handler.
class LinkLabel : public QLabel {
 public:
  explicit LinkLabel(Label& model);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Label& model_;
};

}  // namespace quorlen
