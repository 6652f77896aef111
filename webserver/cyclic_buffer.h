#pragma once

#include <cstdint>
#include <vector>

#include "core/signal.h"
#include "platform/dialogs.h"
#include "webserver/variant.h"

namespace quorlen {

// A fixed-size ring of values with 1-based slots, keeping the most recent blocked items
// of each kind. A full buffer either overwrites its oldest item or drops the new one.
// Slots are never cleared: a removed item's value stays until the slot is written again.
class cCyclicBuffer {
 public:
  // `dialogs` tells the user of an invalid size; without it the error is silent.
  explicit cCyclicBuffer(Dialogs* dialogs = nullptr) : dialogs_(dialogs) {}

  std::int16_t iThreshold() const { return iThreshold_; }
  void setIThreshold(std::int16_t threshold) { iThreshold_ = threshold; }
  bool bOverwriteOnFull() const { return bOverwriteOnFull_; }
  void setBOverwriteOnFull(bool overwrite) { bOverwriteOnFull_ = overwrite; }

  // The stored items, oldest first, in slots 1 to `iCount` of an array of `iSize` + 1
  // elements (element 0 is unused and empty); the rest are empty.
  void GetAllItems(std::vector<Variant>& items);
  void GetInternalProperties(std::int16_t& size, std::int16_t& count, std::int16_t& head,
                             std::int16_t& tail) const;
  // Makes this buffer a copy of `source`, skipping its empty items.
  void Copy(cCyclicBuffer& source);
  // A size below 2 is refused with a message box and changes nothing.
  void Create(std::int16_t size);
  void PutItem(const Variant& item);
  Variant GetItem();
  bool IsFull();
  bool IsEmpty();
  void ClearBuffer();

  Signal<> BufFull;
  Signal<> BufEmpty;
  Signal<> OnBuf;

 private:
  void FillFromArray(const std::vector<Variant>& items);
  std::int16_t Next(std::int16_t slot) const {
    return static_cast<std::int16_t>(slot % iSize_ + 1);
  }

  Dialogs* dialogs_;
  std::vector<Variant> aItems_;  // element 0 unused: the slots are 1-based
  std::int16_t iSize_ = 0;
  std::int16_t iCount_ = 0;
  std::int16_t iHead_ = 0;
  std::int16_t iTail_ = 0;
  std::int16_t iThreshold_ = 0;
  bool bOverwriteOnFull_ = false;
};

}  // namespace quorlen
