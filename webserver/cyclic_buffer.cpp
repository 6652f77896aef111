#include "webserver/cyclic_buffer.h"

namespace quorlen {

void cCyclicBuffer::Create(std::int16_t size) {
  if (size < 2) {
    if (dialogs_) {
      dialogs_->MsgBox("Unable to create. Invalid buffer size.", msgbox::kExclamation, "Error");
    }
    return;
  }
  iSize_ = size;
  aItems_.assign(static_cast<size_t>(size) + 1, Variant());
  iHead_ = 1;
  iTail_ = 1;
  iCount_ = 0;
  iThreshold_ = 1;
}

void cCyclicBuffer::PutItem(const Variant& item) {
  const bool full = IsFull();
  const bool overwrite = full && bOverwriteOnFull_;
  if (full && !overwrite) return;
  // A buffer never created has no slots: it answers full and empty and stores nothing.
  if (iSize_ < 2) return;
  aItems_[static_cast<size_t>(iHead_)] = item;
  ++iCount_;
  iHead_ = Next(iHead_);
  if (overwrite && iCount_ > iSize_) {
    iCount_ = iSize_;
    iTail_ = iHead_;
  }
  if (iCount_ >= iThreshold_) OnBuf();
}

Variant cCyclicBuffer::GetItem() {
  if (IsEmpty()) return {};
  Variant result = aItems_[static_cast<size_t>(iTail_)];
  --iCount_;
  iTail_ = Next(iTail_);
  return result;
}

bool cCyclicBuffer::IsFull() {
  if (iHead_ == iTail_ && iCount_ == iSize_) {
    BufFull();
    return true;
  }
  return false;
}

bool cCyclicBuffer::IsEmpty() {
  if (iHead_ == iTail_ && iCount_ == 0) {
    BufEmpty();
    return true;
  }
  return false;
}

void cCyclicBuffer::ClearBuffer() {
  iHead_ = 1;
  iTail_ = 1;
  iCount_ = 0;
}

void cCyclicBuffer::GetAllItems(std::vector<Variant>& items) {
  items.assign(static_cast<size_t>(iSize_) + 1, Variant());
  if (IsEmpty()) return;
  std::int16_t j = iTail_;
  for (std::int16_t i = 1; i <= iCount_; ++i) {
    items[static_cast<size_t>(i)] = aItems_[static_cast<size_t>(j)];
    j = Next(j);
  }
}

void cCyclicBuffer::GetInternalProperties(std::int16_t& size, std::int16_t& count,
                                          std::int16_t& head, std::int16_t& tail) const {
  size = iSize_;
  count = iCount_;
  head = iHead_;
  tail = iTail_;
}

void cCyclicBuffer::Copy(cCyclicBuffer& source) {
  std::int16_t size, count, head, tail;
  source.GetInternalProperties(size, count, head, tail);
  Create(size);
  iThreshold_ = source.iThreshold();
  bOverwriteOnFull_ = source.bOverwriteOnFull();
  std::vector<Variant> items;
  source.GetAllItems(items);
  FillFromArray(items);
}

void cCyclicBuffer::FillFromArray(const std::vector<Variant>& items) {
  for (const Variant& item : items) {
    if (!item.EqualsEmpty()) PutItem(item);
  }
}

}  // namespace quorlen
