#include "ui/list_box_view.h"

#include <QItemSelectionModel>
#include <QTimer>
#include <algorithm>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"

namespace quorlen {

ListBoxModel::ListBoxModel(ListBox& model, QListView* view)
    : QAbstractListModel(view), model_(model), view_(view) {
  Watch(this, model_.changed, [this] { Schedule(); });
}

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() ||
      index.row() >= static_cast<int>(shown_.size())) {
    return {};
  }
  return FromSingleByte(shown_[static_cast<size_t>(index.row())]);
}

void ListBoxModel::Schedule() {
  if (pending_) return;
  pending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (pending_) Sync();
  });
}

void ListBoxModel::Sync() {
  pending_ = false;
  const std::vector<std::string>& items = model_.Items();
  if (items != shown_) {
    const size_t n = shown_.size();
    const size_t m = items.size();
    const size_t first = static_cast<size_t>(
        std::mismatch(shown_.begin(), shown_.begin() + static_cast<long>(std::min(n, m)),
                      items.begin())
            .first -
        shown_.begin());
    const int row = static_cast<int>(first);
    if (m == n + 1 && std::equal(shown_.begin() + static_cast<long>(first), shown_.end(),
                                 items.begin() + static_cast<long>(first) + 1)) {
      beginInsertRows({}, row, row);
      shown_.insert(shown_.begin() + static_cast<long>(first), items[first]);
      endInsertRows();
    } else if (n == m + 1 && std::equal(items.begin() + static_cast<long>(first), items.end(),
                                        shown_.begin() + static_cast<long>(first) + 1)) {
      beginRemoveRows({}, row, row);
      shown_.erase(shown_.begin() + static_cast<long>(first));
      endRemoveRows();
    } else {
      beginResetModel();
      shown_ = items;
      endResetModel();
    }
  }
  QItemSelectionModel* selection = view_->selectionModel();
  const int selected = model_.ListIndex();
  if (selected >= 0 && selected < rowCount()) {
    QModelIndex at = index(selected);
    if (selection->currentIndex() != at || !selection->isSelected(at)) {
      selection->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    }
    view_->scrollTo(at);
  } else if (selection->hasSelection()) {
    selection->clear();
  }
}

namespace {

// Taking the focus selects nothing: only the user's click or key picks an item, as the
// model's click handler must run for a real choice only.
class ListView : public QListView {
 protected:
  void focusInEvent(QFocusEvent* event) override {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
  }
};

}  // namespace

QListView* MakeListView(ListBox& model) {
  auto* view = new ListView;
  // One row height for all: a list of 32,767 names is laid out without measuring each.
  view->setUniformItemSizes(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* rows = new ListBoxModel(model, view);
  view->setModel(rows);
  rows->Sync();
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                   [&model](const QModelIndex& current) {
                     if (current.isValid() && current.row() != model.ListIndex()) {
                       model.SetListIndex(current.row());
                     }
                   });
  QObject::connect(view, &QListView::doubleClicked, view, [&model] {
    if (model.onDoubleClick) model.onDoubleClick();
  });
  return view;
}

}  // namespace quorlen
