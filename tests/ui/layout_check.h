#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

namespace quorlen::testing_support {

// What a user would see cut off in `root` as laid out now: a control that reaches past
// the edge of `root`, a wrapped text shorter than its lines need, a one-line text or a
// button narrower than its caption, and two controls that overlap. One line each.
// Controls within `skip` (kept out of sight on purpose) are not looked at.
inline std::vector<std::string> ClippedControls(QWidget* root,
                                                const std::vector<const QWidget*>& skip = {}) {
  std::vector<std::string> problems;
  auto name = [](QWidget* w) {
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (text.isEmpty()) text = w->accessibleName();
    return std::string(w->metaObject()->className()) + " \"" + text.left(40).toStdString() + "\"";
  };
  std::vector<std::pair<QWidget*, QRect>> leaves;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || w->width() == 0) continue;
    if (std::any_of(skip.begin(), skip.end(), [w](const QWidget* hidden) {
          return hidden == w || hidden->isAncestorOf(w);
        })) {
      continue;
    }
    QRect area(w->mapTo(root, QPoint(0, 0)), w->size());
    if (!root->rect().contains(area)) problems.push_back(name(w) + " reaches past the window");
    auto* label = qobject_cast<QLabel*>(w);
    if (label && !label->text().isEmpty() && label->pixmap().isNull()) {
      if (label->wordWrap() && label->heightForWidth(label->width()) > label->height() + 1) {
        problems.push_back(name(w) + " is cut at the bottom");
      } else if (!label->wordWrap() && label->sizeHint().width() > label->width() + 1) {
        problems.push_back(name(w) + " is cut at the side");
      }
    }
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (button && !button->text().isEmpty() &&
        button->minimumSizeHint().width() > button->width() + 1) {
      problems.push_back(name(w) + " is narrower than its caption");
    }
    if (label || button || qobject_cast<QLineEdit*>(w)) leaves.emplace_back(w, area);
  }
  for (size_t i = 0; i < leaves.size(); ++i) {
    for (size_t j = i + 1; j < leaves.size(); ++j) {
      if (leaves[i].first->isAncestorOf(leaves[j].first) ||
          leaves[j].first->isAncestorOf(leaves[i].first)) {
        continue;
      }
      if (leaves[i].second.intersects(leaves[j].second)) {
        problems.push_back(name(leaves[i].first) + " overlaps " + name(leaves[j].first));
      }
    }
  }
  return problems;
}

}  // namespace quorlen::testing_support
