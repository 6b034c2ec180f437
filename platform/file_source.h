// The bytes of a file as they stand, read in order with read(2): regular files, pipes, FIFOs,
// /dev/stdin, /dev/fd/N. Its first bytes can be looked at before the reading starts (to recognise
// a compressed file); they are then handed out first, so nothing is read twice, which a pipe
// could not do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/input_file.h"

namespace platform {

class FileSource final : public ByteSource {
 public:
  static constexpr size_t kHeadLimit = 8;

  // Opens the file read-only (a FIFO without a writer waits for one). On failure returns null and
  // stores the OS error text in *error.
  static std::unique_ptr<FileSource> Open(const std::string& path, std::string* error);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // Reads until the first `count` bytes (at most kHeadLimit) are at hand or the file ends. On
  // success stores a view of them in *head (shorter only for a shorter file) and returns true; on
  // failure stores the OS error text in *error and returns false. Only before the first Read.
  bool PeekHead(size_t count, std::string_view* head, std::string* error);

  // The bytes peeked at come first, in a call of their own.
  bool Read(char* buffer, size_t capacity, size_t* count, std::string* error) override;
  uint64_t FileBytesFor(uint64_t delivered) const override { return delivered; }

 private:
  explicit FileSource(int fd) : m_nFd(fd) {}
  // read(2) retried on EINTR: the byte count, or -1 with the OS error text in *error.
  ssize_t ReadSome(char* buffer, size_t capacity, std::string* error);

  int m_nFd;
  char m_head[kHeadLimit];
  size_t m_nHeadBegin = 0;  // first byte of the head not handed out yet
  size_t m_nHeadEnd = 0;
};

}  // namespace platform
