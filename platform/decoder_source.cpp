#include "platform/decoder_source.h"

#include <cstring>

namespace platform {

DecoderSource::DecoderSource(std::unique_ptr<ByteSource> file, const char* format)
    : m_pFile(std::move(file)),
      m_pFormat(format),
      m_pInput(std::make_unique_for_overwrite<unsigned char[]>(kInputSize)) {}

DecoderSource::~DecoderSource() = default;

bool DecoderSource::Read(char* buffer, size_t capacity, size_t* count, std::string* error) {
  size_t produced = 0;
  while (produced < capacity && !m_bEnded && m_strFault.empty()) {
    size_t used = 0;
    size_t made = 0;
    Step step =
        Decode({m_pInput.get() + m_nInBegin, m_nInEnd - m_nInBegin},
               {buffer + produced, capacity - produced}, m_bInputEnded, &used, &made, &m_strFault);
    m_nInBegin += used;
    m_nFileBytes += used;
    produced += made;
    if (step == Step::kEnd) {
      m_bEnded = true;
    } else if (step == Step::kNeedInput) {
      if (produced > 0)
        break;
      if (m_bInputEnded)
        m_strFault = std::string(m_pFormat) + " data is cut short";
      else
        Refill();
    }
  }
  m_nDelivered += produced;
  SetMark();
  if (produced == 0 && !m_strFault.empty()) {
    *error = m_strFault;
    return false;
  }
  *count = produced;
  return true;
}

void DecoderSource::Refill() {
  size_t kept = m_nInEnd - m_nInBegin;
  if (kept > 0 && m_nInBegin > 0)
    std::memmove(m_pInput.get(), m_pInput.get() + m_nInBegin, kept);
  m_nInBegin = 0;
  m_nInEnd = kept;
  size_t count = 0;
  std::string error;
  if (!m_pFile->Read(reinterpret_cast<char*>(m_pInput.get()) + kept, kInputSize - kept, &count,
                     &error)) {
    m_strFault = error;
    return;
  }
  m_nInEnd += count;
  m_bInputEnded = count == 0;
}

void DecoderSource::SetMark() {
  Mark& last = m_marks[(m_nMarks - 1) % kMarks];
  if (last.delivered == m_nDelivered)
    last.fileBytes = m_nFileBytes;
  else
    m_marks[m_nMarks++ % kMarks] = {m_nDelivered, m_nFileBytes};
}

uint64_t DecoderSource::FileBytesFor(uint64_t delivered) const {
  size_t newest = m_nMarks - 1;
  size_t oldest = m_nMarks > kMarks ? m_nMarks - kMarks : 0;
  if (delivered >= m_marks[newest % kMarks].delivered)
    return m_marks[newest % kMarks].fileBytes;
  for (size_t i = newest; i > oldest; --i) {
    const Mark& before = m_marks[(i - 1) % kMarks];
    const Mark& after = m_marks[i % kMarks];
    if (delivered >= before.delivered) {
      // Marks differ in `delivered`; the product can pass 64 bits on a huge read.
      unsigned __int128 part = static_cast<unsigned __int128>(after.fileBytes - before.fileBytes) *
                               (delivered - before.delivered) /
                               (after.delivered - before.delivered);
      return before.fileBytes + static_cast<uint64_t>(part);
    }
  }
  return m_marks[oldest % kMarks].fileBytes;
}

}  // namespace platform
