#pragma once

#include <QLabel>
#include <QWidget>

#include "forms/settings_window.h"

namespace quorlen {

// The eight pages of the settings window's tab control `A`, each a thin binding of the
// controls it shows; in the order of the tabs.
QWidget* BuildAdBlockingPage(SettingsWindow& c);
QWidget* BuildStartupPage(SettingsWindow& c);
QWidget* BuildHelpPage(SettingsWindow& c);
QWidget* BuildSoundsPage(SettingsWindow& c);
QWidget* BuildOtherPage(SettingsWindow& c);
QWidget* BuildStatusPage(SettingsWindow& c);
QWidget* BuildAllowPage(SettingsWindow& c);
QWidget* BuildLoggingPage(SettingsWindow& c);

// A check box whose caption wraps, as the design's multi-line check boxes do: clicking
// the caption ticks the box like clicking the box itself.
class Tick : public QWidget {
 public:
  explicit Tick(CheckBox& model);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  CheckBox& model_;
  QLabel* caption_ = nullptr;
};

// A label that acts as a link: a click (or Enter while it has the focus) runs the model's
// click handler.
class LinkText : public QLabel {
 public:
  explicit LinkText(Label& model);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Label& model_;
};

}  // namespace quorlen
