#include "epgdb/pending_writes.h"

namespace epgdb {

void PendingWrite::MarkPending(PendingList& list) {
  if (list_ != nullptr)
    return;
  list_ = &list;
  prev_ = list.tail_;
  next_ = nullptr;
  (prev_ != nullptr ? prev_->next_ : list.head_) = this;
  list.tail_ = this;
}

void PendingWrite::Unmark() {
  if (list_ == nullptr)
    return;
  (prev_ != nullptr ? prev_->next_ : list_->head_) = next_;
  (next_ != nullptr ? next_->prev_ : list_->tail_) = prev_;
  list_ = nullptr;
  prev_ = next_ = nullptr;
}

void PendingWrite::WriteIfPending() {
  if (list_ == nullptr)
    return;
  Unmark();
  Write();
}

void PendingList::WriteAll() {
  while (head_ != nullptr) {
    PendingWrite* item = head_;
    item->Unmark();
    item->Write();
  }
}

}  // namespace epgdb
