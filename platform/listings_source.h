// Opens a listings file as the source of its text: a gzip or xz file is recognised by its first
// bytes (never by its name) and decompressed while it is read; any other file is read as it is.
#pragma once

#include <memory>
#include <string>

#include "platform/input_file.h"

namespace platform {

// On success returns the source; on failure (the file cannot be opened or its first bytes read,
// or the decompressor cannot start) returns null and stores the cause in *error.
std::unique_ptr<ByteSource> OpenListingsSource(const std::string& path, std::string* error);

}  // namespace platform
