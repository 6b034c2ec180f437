#include "epgdb/writer.h"

#include <algorithm>
#include <iterator>

namespace epgdb {
namespace {

// A batch holds the writes of about a hundred programmes: the thread is woken rarely, and what
// the queue holds (the values of the programmes waiting) stays under a MiB.
constexpr size_t kBatchSize = 256;
constexpr size_t kMaxBatches = 2;

}  // namespace

Writer::Writer() : thread_([this] { Run(); }) {}

Writer::~Writer() {
  Drain();
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void Writer::Post(Task task) {
  filling_.push_back(std::move(task));
  DestroySomeRan();
  if (filling_.size() >= kBatchSize)
    HandOver();
}

void Writer::KeepToDestroy(std::vector<Batch> ran) {
  if (dead_ == dying_.size()) {
    dying_.clear();
    dead_ = 0;
  }
  for (Batch& batch : ran)
    std::move(batch.begin(), batch.end(), std::back_inserter(dying_));
}

void Writer::DestroySomeRan() {
  for (size_t end = std::min(dead_ + 2, dying_.size()); dead_ < end;)
    dying_[dead_++] = nullptr;
}

void Writer::HandOver() {
  std::vector<Batch> ran;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return queue_.size() < kMaxBatches; });
  ran.swap(ran_);
  bool wake = !filling_.empty() && !busy_;
  if (!filling_.empty()) {
    queue_.push_back(std::move(filling_));
    filling_ = {};
    filling_.reserve(kBatchSize);
  }
  lock.unlock();
  if (wake)
    wake_.notify_one();
  KeepToDestroy(std::move(ran));
}

void Writer::Drain() {
  HandOver();
  std::vector<Batch> ran;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return queue_.empty() && !busy_; });
  ran.swap(ran_);
  lock.unlock();
  KeepToDestroy(std::move(ran));
}

void Writer::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty())
      return;
    Batch batch = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    done_.notify_all();
    for (Task& task : batch) {
      try {
        task();
      } catch (...) {
        failed_ = true;
      }
    }
    lock.lock();
    ran_.push_back(std::move(batch));
    busy_ = false;
    done_.notify_all();
  }
}

}  // namespace epgdb
