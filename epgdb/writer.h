// The component's second thread: runs the writes handed to it while the caller goes on. Tasks
// are collected in batches, so that a busy caller wakes the thread once a batch and not once a
// task. Anything that reads the database drains first: after Drain returns, every task handed
// over has run and the caller may use the connection itself until its next Post.
//
// Order: ungrouped tasks run in the order they were handed over. A task of a group (the writes
// of one service's rows) runs after the ungrouped tasks handed over before it and after the
// earlier tasks of its group; tasks of other groups, and ungrouped tasks handed over later, may
// run before it. The thread gathers grouped tasks by group; while a window's worth wait, it runs
// the group that has waited longest, which in a file that goes round the services programme by
// programme is one of the largest. The index pages of a service are then visited once for many
// of its entries, where such a file would touch more pages than the cache holds, and each run is
// short, so the caller rarely waits for one.
//
// A task is destroyed on the caller's thread, after it ran: what it holds was allocated there,
// and memory freed on the thread that allocated it costs no lock shared by the two threads. The
// tasks run are destroyed a few at each Post, not a batch at a time: each block freed goes to the
// allocator's small per-thread cache, from which the next allocation of its size takes it again.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
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
  void Post(Task task) { Queue({std::move(task), std::nullopt}); }
  void Post(Task task, int64_t group) { Queue({std::move(task), group}); }
  // Returns once every task posted so far has run.
  void Drain();
  // True once a task threw (out of memory): what it was to write is lost.
  bool Failed() const { return failed_; }

 private:
  struct Queued {
    Task task;
    std::optional<int64_t> group;
  };
  struct Batch {
    std::vector<Queued> tasks;
    bool drain = false;  // every group is run after this batch
  };

  void Queue(Queued queued);
  void HandOver();
  // Keeps the tasks run, to be destroyed a few at a time.
  void KeepToDestroy(std::vector<Task> ran);
  // Destroys the four oldest tasks run that are not destroyed yet, or what there is: faster than
  // tasks are posted, so that those run are soon all gone.
  void DestroySomeRan();
  void Run();
  // The thread's: runs a batch's ungrouped tasks and gathers its grouped ones; the tasks run go
  // to *ran, for the caller to destroy.
  void RunBatch(Batch& batch, std::vector<Task>* ran);
  void RunOldestGroup(std::vector<Task>* ran);
  void RunTask(Task& task, std::vector<Task>* ran);

  Batch filling_;  // the caller's batch, not yet handed over
  std::mutex mutex_;
  std::condition_variable wake_;  // the thread waits for work
  std::condition_variable done_;  // the caller waits for room or for the end of the queue
  std::deque<Batch> queue_;
  std::vector<Task> ran_;    // tasks run, for the caller to take back
  std::vector<Task> dying_;  // the caller's: tasks run, destroyed from dead_ on
  size_t dead_ = 0;
  // The thread's: the grouped tasks waiting, by group; the groups from the one that has waited
  // longest; how many tasks wait.
  std::unordered_map<int64_t, std::vector<Task>> groups_;
  std::deque<int64_t> oldest_;
  size_t waiting_ = 0;
  bool busy_ = false;  // the thread is running a batch
  bool stop_ = false;
  std::atomic<bool> failed_ = false;
  std::thread thread_;
};

}  // namespace epgdb
