#include "platform/xz_source.h"

#include <lzma.h>

#include <cstdint>

#include "platform/decoder_source.h"

namespace platform {
namespace {

class XzSource final : public DecoderSource {
 public:
  explicit XzSource(std::unique_ptr<ByteSource> file) : DecoderSource(std::move(file), "xz") {}
  ~XzSource() override { lzma_end(&m_stream); }

  // False with the cause in *error when liblzma cannot start.
  bool Start(std::string* error) {
    // The dictionary is the one memory the file decides: 8 MiB at xz's default preset.
    lzma_ret result = lzma_stream_decoder(&m_stream, UINT64_MAX, LZMA_CONCATENATED);
    if (result != LZMA_OK)
      *error = result == LZMA_MEM_ERROR ? "out of memory" : "liblzma cannot start";
    return result == LZMA_OK;
  }

 private:
  Step Decode(std::span<const unsigned char> in, std::span<char> out, bool inputEnded, size_t* used,
              size_t* made, std::string* fault) override {
    m_stream.next_in = in.data();
    m_stream.avail_in = in.size();
    m_stream.next_out = reinterpret_cast<uint8_t*>(out.data());
    m_stream.avail_out = out.size();
    // Several streams may follow each other: only the end of the file ends the data.
    lzma_ret result = lzma_code(&m_stream, inputEnded ? LZMA_FINISH : LZMA_RUN);
    *used = in.size() - m_stream.avail_in;
    *made = out.size() - m_stream.avail_out;
    switch (result) {
      case LZMA_OK:
        return *used > 0 || *made > 0 ? Step::kGoOn : Step::kNeedInput;
      case LZMA_STREAM_END:
        return Step::kEnd;
      case LZMA_BUF_ERROR:
        return Step::kNeedInput;
      case LZMA_MEM_ERROR:
        *fault = "out of memory";
        return Step::kFault;
      case LZMA_OPTIONS_ERROR:
        *fault = "xz data uses options this program cannot read";
        return Step::kFault;
      default:
        *fault = "xz data is corrupt";
        return Step::kFault;
    }
  }

  lzma_stream m_stream = LZMA_STREAM_INIT;
};

}  // namespace

std::unique_ptr<ByteSource> OpenXzSource(std::unique_ptr<ByteSource> file, std::string* error) {
  auto source = std::make_unique<XzSource>(std::move(file));
  if (!source->Start(error))
    return nullptr;
  return source;
}

}  // namespace platform
