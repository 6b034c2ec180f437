// The base of the sources that decompress a file: the compressed bytes are read from the file
// into a fixed input buffer and decoded straight into the reader's buffer, so memory stays the
// same whatever the compression ratio and no byte is copied twice. What was decoded before a
// fault is handed out first; the fault comes with the next Read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/input_file.h"

namespace platform {

class DecoderSource : public ByteSource {
 public:
  ~DecoderSource() override;
  DecoderSource(const DecoderSource&) = delete;
  DecoderSource& operator=(const DecoderSource&) = delete;

  // Decodes until the buffer is full, the data ends, or the file has no more bytes at hand
  // while some were decoded already (a pipe is never waited on with output in hand). A fault
  // is stored as "<format> data is ..." in *error.
  bool Read(char* buffer, size_t capacity, size_t* count, std::string* error) final;

  // The compressed bytes the decoder had taken in when Read had handed out `delivered` bytes:
  // exact where a Read ended, interpolated in between; the whole file once the data has ended.
  uint64_t FileBytesFor(uint64_t delivered) const final;

 protected:
  enum class Step {
    kGoOn,       // progress was made: decode again
    kNeedInput,  // nothing more can be done without more compressed bytes
    kEnd,        // the compressed data ended where it may end
    kFault,      // *fault names what is wrong with the data
  };

  // `format` names the data in the texts of faults ("gzip", "xz").
  DecoderSource(std::unique_ptr<ByteSource> file, const char* format);

  // Decodes from `in` into `out`; stores how many bytes of each it used in *used and *made.
  // `inputEnded`: the file has no bytes beyond `in`.
  virtual Step Decode(std::span<const unsigned char> in, std::span<char> out, bool inputEnded,
                      size_t* used, size_t* made, std::string* fault) = 0;

 private:
  struct Mark {
    uint64_t delivered = 0;
    uint64_t fileBytes = 0;
  };
  static constexpr size_t kInputSize = 64 * 1024;
  static constexpr size_t kMarks = 16;

  // Keeps the bytes not decoded yet and reads more behind them. A read failure becomes the fault.
  void Refill();
  // Remembers where this Read ended, for FileBytesFor.
  void SetMark();

  std::unique_ptr<ByteSource> m_pFile;
  const char* m_pFormat;
  std::unique_ptr<unsigned char[]> m_pInput;
  size_t m_nInBegin = 0;  // first byte not decoded yet
  size_t m_nInEnd = 0;    // end of the bytes read into the input buffer
  bool m_bInputEnded = false;
  bool m_bEnded = false;
  std::string m_strFault;
  uint64_t m_nDelivered = 0;
  uint64_t m_nFileBytes = 0;         // compressed bytes taken in by the decoder
  std::array<Mark, kMarks> m_marks;  // a ring: where the latest Reads ended
  size_t m_nMarks = 1;               // marks ever set, the first one {0, 0}
};

}  // namespace platform
