// The component's second thread: runs the writes handed to it strictly in the order they were
// handed over, while the caller goes on. Tasks are collected in batches, so that a busy caller
// wakes the thread once a batch and not once a task. Anything that reads the database drains
// first: after Drain returns, every task handed over has run and the caller may use the
// connection itself until its next Post.
//
// A task is destroyed on the caller's thread, after it ran: what it holds was allocated there,
// and memory freed on the thread that allocated it costs no lock shared by the two threads. The
// tasks run are destroyed a few at each Post, not a batch at a time: each block freed goes to the
// allocator's small per-thread cache, from which the next allocation of its size takes it again.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace epgdb {

class Writer {
 public:
  using Task = std::function<void()>;

  Writer();
  // Runs what is still queued, then ends the thread.
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Queues a task. Blocks while the thread is too far behind, so memory stays bounded.
  void Post(Task task);
  // Returns once every task posted so far has run.
  void Drain();
  // True once a task threw (out of memory): what it was to write is lost.
  bool Failed() const { return failed_; }

 private:
  using Batch = std::vector<Task>;

  void HandOver();
  // Keeps the tasks of the batches run, to be destroyed a few at a time.
  void KeepToDestroy(std::vector<Batch> ran);
  // Destroys the two oldest tasks run that are not destroyed yet, or what there is: faster than
  // tasks are posted, so that those run are soon all gone.
  void DestroySomeRan();
  void Run();

  Batch filling_;  // the caller's batch, not yet handed over
  std::mutex mutex_;
  std::condition_variable wake_;  // the thread waits for work
  std::condition_variable done_;  // the caller waits for room or for the end of the queue
  std::deque<Batch> queue_;
  std::vector<Batch> ran_;  // batches run, for the caller to take back
  Batch dying_;             // the caller's: tasks run, destroyed from dead_ on
  size_t dead_ = 0;
  bool busy_ = false;  // the thread is running a batch
  bool stop_ = false;
  std::atomic<bool> failed_ = false;
  std::thread thread_;
};

}  // namespace epgdb
