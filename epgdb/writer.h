// The component's second thread: runs the writes handed to it strictly in the order they were
// handed over, while the caller goes on. Tasks are collected in batches, so that a busy caller
// wakes the thread once a batch and not once a task. Anything that reads the database drains
// first: after Drain returns, every task handed over has run and the caller may use the
// connection itself until its next Post.
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
  void HandOver();
  void Run();

  std::vector<Task> filling_;  // the caller's batch, not yet handed over
  std::mutex mutex_;
  std::condition_variable wake_;  // the thread waits for work
  std::condition_variable done_;  // the caller waits for room or for the end of the queue
  std::deque<std::vector<Task>> queue_;
  bool busy_ = false;  // the thread is running a batch
  bool stop_ = false;
  std::atomic<bool> failed_ = false;
  std::thread thread_;
};

}  // namespace epgdb
