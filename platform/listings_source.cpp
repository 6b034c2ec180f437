#include "platform/listings_source.h"

#include <string_view>

#include "platform/file_source.h"
#include "platform/gzip_source.h"
#include "platform/xz_source.h"

namespace platform {
namespace {

constexpr std::string_view kGzipMagic("\x1f\x8b", 2);
// Split so that the 7 is not read as a hex digit of the escape.
constexpr std::string_view kXzMagic(
    "\xfd"
    "7zXZ\0",
    6);

}  // namespace

std::unique_ptr<ByteSource> OpenListingsSource(const std::string& path, std::string* error) {
  std::unique_ptr<FileSource> file = FileSource::Open(path, error);
  std::string_view head;
  if (!file || !file->PeekHead(kXzMagic.size(), &head, error))
    return nullptr;
  if (head.starts_with(kGzipMagic))
    return OpenGzipSource(std::move(file), error);
  if (head.starts_with(kXzMagic))
    return OpenXzSource(std::move(file), error);
  return file;
}

}  // namespace platform
