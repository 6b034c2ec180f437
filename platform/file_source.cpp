#include "platform/file_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

std::unique_ptr<FileSource> FileSource::Open(const std::string& path, std::string* error) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *error = std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<FileSource>(new FileSource(fd));
}

FileSource::~FileSource() {
  close(m_nFd);
}

bool FileSource::PeekHead(size_t count, std::string_view* head, std::string* error) {
  count = std::min(count, kHeadLimit);
  while (m_nHeadEnd < count) {
    ssize_t n = ReadSome(m_head + m_nHeadEnd, count - m_nHeadEnd, error);
    if (n < 0)
      return false;
    if (n == 0)
      break;
    m_nHeadEnd += static_cast<size_t>(n);
  }
  *head = std::string_view(m_head, m_nHeadEnd);
  return true;
}

bool FileSource::Read(char* buffer, size_t capacity, size_t* count, std::string* error) {
  if (m_nHeadBegin < m_nHeadEnd) {
    *count = std::min(capacity, m_nHeadEnd - m_nHeadBegin);
    std::memcpy(buffer, m_head + m_nHeadBegin, *count);
    m_nHeadBegin += *count;
    return true;
  }
  ssize_t n = ReadSome(buffer, capacity, error);
  if (n < 0)
    return false;
  *count = static_cast<size_t>(n);
  return true;
}

ssize_t FileSource::ReadSome(char* buffer, size_t capacity, std::string* error) {
  ssize_t n;
  do {
    n = read(m_nFd, buffer, capacity);
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    *error = std::strerror(errno);
  return n;
}

}  // namespace platform
