#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

bool FileExists(const std::string& path, std::string* problem) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0)
    return true;
  if (problem != nullptr)
    *problem = std::strerror(errno);
  return false;
}

bool AppendToFile(const std::string& path, const char* data, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_DSYNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  ssize_t written = write(fd, data, size);
  close(fd);
  return written >= 0 && static_cast<size_t>(written) == size;
}

bool DeleteFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

bool GetFileSize(const std::string& path, uint64_t* size) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    return false;
  if (!S_ISREG(st.st_mode)) {
    // A FIFO is never opened here: its writer, waiting for a reader, would start writing and
    // could meet none once this closed again, losing its data or blocking the reading open.
    *size = 0;
    return true;
  }
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  bool ok = fstat(fd, &st) == 0;
  close(fd);
  if (!ok)
    return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

}  // namespace platform
