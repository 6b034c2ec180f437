#include "platform/writeback.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

namespace platform {
namespace {

// Often enough that the disk is kept busy while the files are written, rarely enough to cost
// nothing.
constexpr std::chrono::milliseconds kPeriod{2};

}  // namespace

BackgroundWriteback::BackgroundWriteback(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
      files_.push_back(fd);
  }
  if (!files_.empty())
    thread_ = std::thread([this] { Run(); });
}

BackgroundWriteback::~BackgroundWriteback() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopped_.notify_one();
  if (thread_.joinable())
    thread_.join();
  for (int fd : files_)
    close(fd);
}

void BackgroundWriteback::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    lock.unlock();
    for (int fd : files_)
      sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    lock.lock();
    stopped_.wait_for(lock, kPeriod, [this] { return stop_; });
  }
}

}  // namespace platform
