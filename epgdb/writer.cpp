#include "epgdb/writer.h"

namespace epgdb {
namespace {

constexpr size_t kBatchSize = 64;
constexpr size_t kMaxBatches = 16;

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
  if (filling_.size() >= kBatchSize)
    HandOver();
}

void Writer::HandOver() {
  if (filling_.empty())
    return;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return queue_.size() < kMaxBatches; });
  queue_.push_back(std::move(filling_));
  filling_ = {};
  filling_.reserve(kBatchSize);
  bool idle = !busy_;
  lock.unlock();
  if (idle)
    wake_.notify_one();
}

void Writer::Drain() {
  HandOver();
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void Writer::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty())
      return;
    std::vector<Task> batch = std::move(queue_.front());
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
    batch.clear();
    lock.lock();
    busy_ = false;
    done_.notify_all();
  }
}

}  // namespace epgdb
