// Reading an xz file: one stream or several in a row, with their padding, each block checked
// against its check field.
#pragma once

#include <memory>
#include <string>

#include "platform/input_file.h"

namespace platform {

// The decompressed bytes of the xz data in `file`. Returns null and stores the cause in *error
// when liblzma cannot start.
std::unique_ptr<ByteSource> OpenXzSource(std::unique_ptr<ByteSource> file, std::string* error);

}  // namespace platform
