// Reading a listings file: a source of its text (the file itself, or the decompressed bytes of a
// gzip or xz file: listings_source.h) and, above it, a reader that fills big blocks and hands out
// views of lines straight from its buffer. Works on anything that can be opened and read in
// order: regular files, pipes, FIFOs, /dev/stdin, /dev/fd/N (process substitution). Nothing is
// read twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Where the text of an input file comes from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // On success stores in *count the number of bytes read into buffer (at most capacity; 0 only at
  // the end of the data) and returns true. On failure stores a text naming the cause in *error and
  // returns false.
  virtual bool Read(char* buffer, size_t capacity, size_t* count, std::string* error) = 0;

  // The number of bytes of the file behind the first `delivered` bytes that Read handed out (the
  // same number for a plain file, the compressed bytes for a compressed one).
  virtual uint64_t FileBytesFor(uint64_t delivered) const = 0;
};

// Hands out the input line by line, or a long line piece by piece, as views into its buffer.
class InputFile {
 public:
  // A view of the input from the current position, up to the end of its line at most.
  struct Line {
    std::string_view text;  // the bytes, without the line terminator
    size_t terminator = 0;  // bytes of the terminator behind text: 1 (LF), 2 (CR LF) or 0
    bool complete = false;  // text runs to the end of its line (terminated, or the last line)
    // The bytes followed by their terminator, as they stand in the file.
    std::string_view WithTerminator() const { return {text.data(), text.size() + terminator}; }
  };

  enum class Status { kData, kEnd, kError };

  InputFile();
  // Reads from the given source instead of opening a file.
  explicit InputFile(std::unique_ptr<ByteSource> source);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file at path, decompressing a gzip or xz file. On success returns true; on failure
  // stores the cause in *error and returns false.
  bool Open(const std::string& path, std::string* error);

  // kData: *line views the rest of the current line when it holds at most `limit` bytes without
  // its terminator (complete), else the first `limit` bytes of it (not complete). Nothing is
  // consumed; the view stays valid until the next Peek. kEnd: the input is exhausted. kError: a
  // read failed or the compressed data is faulty; Error() names the cause.
  Status Peek(size_t limit, Line* line);

  // The bytes read ahead of the current position, without reading more: the view of the last Peek
  // and whatever follows it in the buffer. Valid until the next Peek.
  std::string_view Buffered() const { return {m_pBuffer.get() + m_nBegin, m_nEnd - m_nBegin}; }

  // Moves the current position on by count bytes, at most as many as Buffered holds.
  void Consume(size_t count);

  // The bytes of the file behind the text consumed so far.
  uint64_t BytesConsumed() const;

  const std::string& Error() const { return m_strError; }

 private:
  // Moves the unconsumed bytes to the front, makes room for at least `need` of them, and reads
  // once. False on a read error.
  bool Fill(size_t need);

  std::unique_ptr<ByteSource> m_pSource;
  std::unique_ptr<char[]> m_pBuffer;
  size_t m_nCapacity = 0;
  size_t m_nBegin = 0;       // first unconsumed byte in the buffer
  size_t m_nEnd = 0;         // end of the bytes read into the buffer
  uint64_t m_nPosition = 0;  // bytes consumed since the start of the input
  bool m_bEof = false;
  std::string m_strError;
};

}  // namespace platform
