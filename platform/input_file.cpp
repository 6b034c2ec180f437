#include "platform/input_file.h"

#include <algorithm>
#include <cstring>

#include "platform/listings_source.h"

namespace platform {
namespace {

constexpr size_t kBlockSize = 256 * 1024;

}  // namespace

InputFile::InputFile() = default;

InputFile::InputFile(std::unique_ptr<ByteSource> source) : m_pSource(std::move(source)) {}

InputFile::~InputFile() = default;

bool InputFile::Open(const std::string& path, std::string* error) {
  m_pSource = OpenListingsSource(path, error);
  m_nBegin = m_nEnd = 0;
  m_nPosition = 0;
  m_bEof = false;
  return m_pSource != nullptr;
}

InputFile::Status InputFile::Peek(size_t limit, Line* line) {
  if (!m_pSource)
    return Status::kEnd;
  size_t searched = 0;  // bytes from the current position known to hold no line feed
  for (;;) {
    const char* p = m_pBuffer.get() + m_nBegin;
    size_t available = m_nEnd - m_nBegin;
    size_t window = std::min(available, limit + 1);
    if (window > searched) {
      const void* lf = std::memchr(p + searched, '\n', window - searched);
      if (lf != nullptr) {
        size_t n = static_cast<const char*>(lf) - p;
        size_t terminator = (n > 0 && p[n - 1] == '\r') ? 2 : 1;
        *line = {std::string_view(p, n + 1 - terminator), terminator, true};
        return Status::kData;
      }
      searched = window;
    }
    if (available > limit) {
      *line = {std::string_view(p, limit), 0, false};
      return Status::kData;
    }
    if (m_bEof) {
      if (available == 0)
        return Status::kEnd;
      *line = {std::string_view(p, available), 0, true};
      return Status::kData;
    }
    if (!Fill(limit + 1))
      return Status::kError;
  }
}

void InputFile::Consume(size_t count) {
  m_nBegin += count;
  m_nPosition += count;
}

uint64_t InputFile::BytesConsumed() const {
  return m_pSource ? m_pSource->FileBytesFor(m_nPosition) : 0;
}

bool InputFile::Fill(size_t need) {
  size_t available = m_nEnd - m_nBegin;
  if (m_nCapacity < std::max(need, kBlockSize)) {
    size_t capacity = std::max(kBlockSize, m_nCapacity);
    while (capacity < need)
      capacity *= 2;
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    if (available > 0)
      std::memcpy(buffer.get(), m_pBuffer.get() + m_nBegin, available);
    m_pBuffer = std::move(buffer);
    m_nCapacity = capacity;
  } else if (m_nBegin > 0 && available > 0) {
    std::memmove(m_pBuffer.get(), m_pBuffer.get() + m_nBegin, available);
  }
  m_nBegin = 0;
  m_nEnd = available;
  size_t count = 0;
  if (!m_pSource->Read(m_pBuffer.get() + m_nEnd, m_nCapacity - m_nEnd, &count, &m_strError)) {
    return false;
  }
  m_nEnd += count;
  m_bEof = count == 0;
  return true;
}

}  // namespace platform
