// Starts the writing of files' dirty pages to disk, again and again from a thread of its own for
// as long as it lives, so that a sync of those files finds little left to write and waits less.
// Nothing is made durable here: that stays with the syncs of whoever writes the files.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class BackgroundWriteback {
 public:
  // Files that cannot be opened are left out.
  explicit BackgroundWriteback(const std::vector<std::string>& paths);
  // Stops the thread and closes the files.
  ~BackgroundWriteback();
  BackgroundWriteback(const BackgroundWriteback&) = delete;
  BackgroundWriteback& operator=(const BackgroundWriteback&) = delete;

 private:
  void Run();

  std::vector<int> files_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace platform
