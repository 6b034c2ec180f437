#include "epgdb/writer.h"

#include <algorithm>
#include <iterator>

namespace epgdb {
namespace {

// A batch holds the writes of about a hundred programmes: the thread is woken rarely, and what
// the queue holds (the values of the programmes waiting) stays under a MiB.
constexpr size_t kBatchSize = 256;
constexpr size_t kMaxBatches = 2;
// A grouped task mostly holds an entry's key, ids and times, some 400 bytes with its blocks: the
// window spreads over the services of a large guide, so that a group run is more than a task or
// two.
constexpr size_t kWindowSize = 4096;

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

void Writer::Queue(Queued queued) {
  filling_.tasks.push_back(std::move(queued));
  DestroySomeRan();
  if (filling_.tasks.size() >= kBatchSize)
    HandOver();
}

void Writer::KeepToDestroy(std::vector<Task> ran) {
  if (dead_ == dying_.size()) {
    dying_.clear();
    dead_ = 0;
  }
  std::move(ran.begin(), ran.end(), std::back_inserter(dying_));
}

void Writer::DestroySomeRan() {
  for (size_t end = std::min(dead_ + 4, dying_.size()); dead_ < end;)
    dying_[dead_++] = nullptr;
}

void Writer::HandOver() {
  std::vector<Task> ran;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return queue_.size() < kMaxBatches; });
  ran.swap(ran_);
  bool wake = !filling_.tasks.empty() || filling_.drain;
  if (wake) {
    queue_.push_back(std::move(filling_));
    filling_ = {};
    filling_.tasks.reserve(kBatchSize);
  }
  wake = wake && !busy_;
  lock.unlock();
  if (wake)
    wake_.notify_one();
  KeepToDestroy(std::move(ran));
}

void Writer::Drain() {
  filling_.drain = true;
  HandOver();
  std::vector<Task> ran;
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
    std::vector<Task> ran;
    RunBatch(batch, &ran);
    lock.lock();
    std::move(ran.begin(), ran.end(), std::back_inserter(ran_));
    busy_ = false;
    done_.notify_all();
  }
}

void Writer::RunBatch(Batch& batch, std::vector<Task>* ran) {
  for (Queued& queued : batch.tasks) {
    if (!queued.group) {
      RunTask(queued.task, ran);
      continue;
    }
    auto [group, added] = groups_.try_emplace(*queued.group);
    if (added)
      oldest_.push_back(*queued.group);
    group->second.push_back(std::move(queued.task));
    if (++waiting_ >= kWindowSize)
      RunOldestGroup(ran);
  }
  while (batch.drain && !oldest_.empty())
    RunOldestGroup(ran);
}

void Writer::RunOldestGroup(std::vector<Task>* ran) {
  // Taken out of the map: a guide's thousands of services keep no room for tasks while idle.
  std::vector<Task> tasks = std::move(groups_.extract(oldest_.front()).mapped());
  oldest_.pop_front();
  for (Task& task : tasks)
    RunTask(task, ran);
  waiting_ -= tasks.size();
}

void Writer::RunTask(Task& task, std::vector<Task>* ran) {
  try {
    task();
  } catch (...) {
    failed_ = true;
  }
  ran->push_back(std::move(task));
}

}  // namespace epgdb
