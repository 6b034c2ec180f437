// Items whose values are not yet written: each is written once when finished (released, needed
// by another row, or before the next search or save), not at every setter.
#pragma once

namespace epgdb {

class PendingList;

// An item that can wait to be written. Its owner calls MarkPending after a change.
class PendingWrite {
 public:
  PendingWrite(const PendingWrite&) = delete;
  PendingWrite& operator=(const PendingWrite&) = delete;

  bool IsPending() const { return list_ != nullptr; }

 protected:
  PendingWrite() = default;
  ~PendingWrite() { Unmark(); }

  void MarkPending(PendingList& list);
  void Unmark();
  // Writes the item now if it waits; every derived destructor calls it, while the list lives.
  void WriteIfPending();
  // Writes the item's row; called with the item already taken off the list.
  virtual void Write() = 0;

 private:
  friend class PendingList;
  PendingList* list_ = nullptr;
  PendingWrite* prev_ = nullptr;
  PendingWrite* next_ = nullptr;
};

// The items waiting to be written, in the order they became pending.
class PendingList {
 public:
  PendingList() = default;
  PendingList(const PendingList&) = delete;
  PendingList& operator=(const PendingList&) = delete;

  // Writes every pending item, including those that become pending meanwhile.
  void WriteAll();

 private:
  friend class PendingWrite;
  PendingWrite* head_ = nullptr;
  PendingWrite* tail_ = nullptr;
};

}  // namespace epgdb
