#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <string>
#include <vector>

#include "core/controls.h"

namespace quorlen {

// A list box model shown in a QListView, fit for lists of tens of thousands of names:
// rows are painted on demand, and the many changes a handler makes in one go (a list
// loaded item by item, a search that selects every item in turn) reach the view as one
// update once the handler returns. An added or removed item keeps the scroll position.
class ListBoxModel : public QAbstractListModel {
 public:
  ListBoxModel(ListBox& model, QListView* view);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // Brings the view up to date now rather than after the current handler.
  void Sync();

 private:
  void Schedule();

  ListBox& model_;
  QListView* view_;
  std::vector<std::string> shown_;
  bool pending_ = false;
};

// A list view bound to a list box: the user's selection goes to the model (running its
// click handler), a double click to its double-click handler.
QListView* MakeListView(ListBox& model);

}  // namespace quorlen
