#include "platform/gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "platform/decoder_source.h"

namespace platform {
namespace {

class GzipSource final : public DecoderSource {
 public:
  explicit GzipSource(std::unique_ptr<ByteSource> file) : DecoderSource(std::move(file), "gzip") {}
  ~GzipSource() override {
    if (m_bStarted)
      inflateEnd(&m_stream);
  }

  // False with zlib's text in *error when it cannot start.
  bool Start(std::string* error) {
    // 16 + the largest window: gzip wrapping only, every window size.
    int result = inflateInit2(&m_stream, 16 + MAX_WBITS);
    m_bStarted = result == Z_OK;
    if (!m_bStarted)
      *error = result == Z_MEM_ERROR ? "out of memory" : "zlib cannot start";
    return m_bStarted;
  }

 private:
  Step Decode(std::span<const unsigned char> in, std::span<char> out, bool inputEnded, size_t* used,
              size_t* made, std::string* fault) override {
    if (m_bMemberEnded) {
      if (in.size() < 2 && !inputEnded)
        return Step::kNeedInput;
      if (in.empty())
        return Step::kEnd;
      if (in.size() < 2 || in[0] != 0x1f || in[1] != 0x8b) {
        *fault = "gzip data is followed by garbage";
        return Step::kFault;
      }
      inflateReset(&m_stream);
      m_bMemberEnded = false;
    }
    uInt inSize = static_cast<uInt>(std::min<size_t>(in.size(), UINT_MAX));
    uInt outSize = static_cast<uInt>(std::min<size_t>(out.size(), UINT_MAX));
    m_stream.next_in = const_cast<Bytef*>(in.data());
    m_stream.avail_in = inSize;
    m_stream.next_out = reinterpret_cast<Bytef*>(out.data());
    m_stream.avail_out = outSize;
    int result = inflate(&m_stream, Z_NO_FLUSH);
    *used = inSize - m_stream.avail_in;
    *made = outSize - m_stream.avail_out;
    switch (result) {
      case Z_OK:
        return Step::kGoOn;
      case Z_STREAM_END:
        m_bMemberEnded = true;
        return Step::kGoOn;
      case Z_BUF_ERROR:
        return Step::kNeedInput;
      case Z_MEM_ERROR:
        *fault = "out of memory";
        return Step::kFault;
      default:
        *fault = "gzip data is corrupt";
        if (m_stream.msg != nullptr)
          *fault = *fault + " (" + m_stream.msg + ")";
        return Step::kFault;
    }
  }

  z_stream m_stream = {};
  bool m_bStarted = false;
  bool m_bMemberEnded = false;
};

}  // namespace

std::unique_ptr<ByteSource> OpenGzipSource(std::unique_ptr<ByteSource> file, std::string* error) {
  auto source = std::make_unique<GzipSource>(std::move(file));
  if (!source->Start(error))
    return nullptr;
  return source;
}

}  // namespace platform
